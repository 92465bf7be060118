// Measuring, storing and sharing the Drago figures of a frame sequence.
#include "run/sequence_statistics.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <unordered_map>

#include "run/chain_steps.h"
#include "run/conversion_chain.h"
#include "run/json_names.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

// A running sum for the geometric mean of log-averages; frames without light
// have none and are left out.
struct LogMean {
    double sum = 0;
    int64_t count = 0;
    void Add(float logAverage) {
        if (!(logAverage > 0)) return;
        sum += std::log(double{logAverage});
        ++count;
    }
    void Remove(float logAverage) {
        if (!(logAverage > 0)) return;
        sum -= std::log(double{logAverage});
        --count;
    }
    float Value() const {
        return count > 0 ? static_cast<float>(std::exp(sum / static_cast<double>(count))) : 0.0f;
    }
};

std::optional<FrameStatistics> FrameOf(const nlohmann::ordered_json& object) {
    if (!object.is_object()) return std::nullopt;
    std::optional<std::string> input = GetName(object, "input");
    const auto position = object.find("position");
    const auto largest = object.find("largest_luminance");
    const auto logAverage = object.find("log_average_luminance");
    if (!input || position == object.end() || !position->is_number_integer() ||
        largest == object.end() || !largest->is_number() || logAverage == object.end() ||
        !logAverage->is_number())
        return std::nullopt;
    FrameStatistics frame;
    frame.input = std::move(*input);
    const int64_t at = position->get<int64_t>();
    const double high = largest->get<double>();
    const double mean = logAverage->get<double>();
    if (at < 0 || at > INT32_MAX || !(high >= 0) || !(mean >= 0) || !std::isfinite(high) ||
        !std::isfinite(mean))
        return std::nullopt;
    frame.position = static_cast<int32_t>(at);
    frame.figures.largestLuminance = static_cast<float>(high);
    frame.figures.logAverageLuminance = static_cast<float>(mean);
    return frame;
}

}  // namespace

std::string FrameStatisticsLine(const FrameStatistics& frame) {
    nlohmann::ordered_json object;
    PutName(object, "input", frame.input);
    object["position"] = frame.position;
    // Written as doubles, which give the floats back exactly.
    object["largest_luminance"] = double{frame.figures.largestLuminance};
    object["log_average_luminance"] = double{frame.figures.logAverageLuminance};
    return JsonLine(object);
}

std::optional<FrameStatistics> MeasureFrame(const ConversionSettings& settings,
                                            const std::string& path, int32_t position,
                                            std::string& reason) {
    FileContext file;
    file.InputPath = path;
    Result<Bitmap> loaded = LoadChainInput(file);
    if (!loaded.ok()) {
        reason = loaded.reason();
        return std::nullopt;
    }
    // The steps before the tone mapping, so the figures are those of the
    // picture the mapping sees (rotated, resized), as a frame's own are.
    Bitmap image = std::move(loaded.value());
    StepInput input{settings, file, nullptr, 0, 0, {}};
    for (const ChainStepRow& row : ChainStepTable()) {
        if (row.step == ChainStep::ToneMap) break;
        if (!row.apply || (row.isOn && !row.isOn(settings))) continue;
        image = row.apply(std::move(image), input);
        if (!image) {
            reason = !input.reason.empty()
                         ? input.reason
                         : std::string("No image after the ") + row.name + " step";
            return std::nullopt;
        }
    }
    std::optional<DragoStatistics> figures = MeasureDragoStatistics(image.get());
    if (!figures) {
        reason = "The picture cannot be tone-mapped";
        return std::nullopt;
    }
    FrameStatistics frame;
    frame.input = path;
    frame.position = position;
    frame.figures = *figures;
    return frame;
}

std::optional<std::vector<FrameStatistics>> ReadSequenceStatistics(const std::string& path,
                                                                   std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot be read";
        return std::nullopt;
    }
    std::vector<FrameStatistics> frames;
    std::string line;
    for (int64_t number = 1; std::getline(in, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        std::optional<FrameStatistics> frame =
            FrameOf(nlohmann::ordered_json::parse(line, nullptr, false));
        if (!frame) {
            reason = "line " + std::to_string(number) + " is not a frame's statistics";
            return std::nullopt;
        }
        frames.push_back(std::move(*frame));
    }
    if (in.bad()) {
        reason = "cannot be read";
        return std::nullopt;
    }
    if (frames.empty()) {
        reason = "lists no frame";
        return std::nullopt;
    }
    std::sort(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.position != b.position ? a.position < b.position : a.input < b.input;
    });
    frames.erase(std::unique(frames.begin(), frames.end(),
                             [](const auto& a, const auto& b) {
                                 return a.position == b.position && a.input == b.input;
                             }),
                 frames.end());
    return frames;
}

std::vector<DragoStatistics> SharedStatistics(const std::vector<FrameStatistics>& frames,
                                              int32_t window) {
    const size_t count = frames.size();
    std::vector<DragoStatistics> shared(count);
    if (window <= 0) {
        DragoStatistics locked;
        LogMean mean;
        for (const FrameStatistics& frame : frames) {
            locked.largestLuminance =
                std::max(locked.largestLuminance, frame.figures.largestLuminance);
            mean.Add(frame.figures.logAverageLuminance);
        }
        locked.logAverageLuminance = mean.Value();
        std::fill(shared.begin(), shared.end(), locked);
        return shared;
    }
    // Frames [i - before, i + after] of the sequence, as a sliding sum.
    const size_t before = static_cast<size_t>(window - 1) / 2;
    const size_t after = static_cast<size_t>(window) / 2;
    double largestSum = 0;
    LogMean mean;
    size_t first = 0;
    size_t end = 0;  // one past the last frame in the window
    for (size_t i = 0; i < count; ++i) {
        const size_t wantEnd = std::min(count, i + after + 1);
        for (; end < wantEnd; ++end) {
            largestSum += frames[end].figures.largestLuminance;
            mean.Add(frames[end].figures.logAverageLuminance);
        }
        const size_t wantFirst = i > before ? i - before : 0;
        for (; first < wantFirst; ++first) {
            largestSum -= frames[first].figures.largestLuminance;
            mean.Remove(frames[first].figures.logAverageLuminance);
        }
        shared[i].largestLuminance =
            static_cast<float>(std::max(0.0, largestSum / static_cast<double>(end - first)));
        shared[i].logAverageLuminance = mean.Value();
    }
    return shared;
}

std::string AssignSequenceStatistics(FileQueue& queue, const std::vector<FrameStatistics>& frames,
                                     int32_t window) {
    const std::vector<DragoStatistics> shared = SharedStatistics(frames, window);
    std::unordered_map<std::string, size_t> byName;
    for (size_t at = 0; at < frames.size(); ++at) byName.emplace(frames[at].input, at);
    std::vector<size_t> found(queue.size());
    for (size_t at = 0; at < queue.size(); ++at) {
        const auto frame = byName.find(queue[at].path);
        if (frame == byName.end()) return queue[at].path;
        found[at] = frame->second;
    }
    for (size_t at = 0; at < queue.size(); ++at) {
        queue[at].sequenceLargestLuminance = shared[found[at]].largestLuminance;
        queue[at].sequenceLogAverageLuminance = shared[found[at]].logAverageLuminance;
    }
    return {};
}

DragoControls SequenceToneControls(const FileContext& file) {
    DragoControls controls;
    if (file.SequenceLargestLuminance > 0 && file.SequenceLogAverageLuminance > 0) {
        DragoStatistics figures;
        figures.largestLuminance = file.SequenceLargestLuminance;
        figures.logAverageLuminance = file.SequenceLogAverageLuminance;
        controls.statistics = figures;
    }
    return controls;
}

}  // namespace orvex
