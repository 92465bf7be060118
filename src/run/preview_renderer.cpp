// The preview's render thread and what it keeps between renders.
#include "run/preview_renderer.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <variant>

#include "drawing/watermark_font.h"
#include "run/conversion_run.h"
#include "run/run_preparation.h"
#include "run/run_resources.h"
#include "settings/option_fields.h"
#include "settings/setting_ranges.h"

namespace orvex {
namespace {

// Whether two sets of settings differ only in the tone mapping's controls,
// which the preparation and the run's resources do not depend on.
bool SameButTone(const ConversionSettings& a, const ConversionSettings& b) {
    for (const OptionField& row : OptionFieldTable()) {
        const SettingMember& member = row.config.member;
        if (member == SettingMember(&ConversionSettings::DragoExposure) ||
            member == SettingMember(&ConversionSettings::DragoBias) ||
            member == SettingMember(&ConversionSettings::DragoGamma) ||
            member == SettingMember(&ConversionSettings::DragoSaturation))
            continue;
        const bool same = std::visit([&](auto field) { return a.*field == b.*field; }, member);
        if (!same) return false;
    }
    return true;
}

// A file's identity for the decoded copy: its path, size and change time.
std::string FileStamp(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {};
    return path + "\n" + std::to_string(info.st_size) + "\n" + std::to_string(info.st_mtim.tv_sec) +
           "." + std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

// What the render thread keeps: the decoded file, and the prepared run with
// its resources for the settings it was prepared with.
struct PreviewRenderer::Cache {
    std::string stamp;
    std::shared_ptr<const PreviewSource> source;
    double beforeExposure = 0;
    PreviewPixels before;
    bool haveBefore = false;

    bool prepared = false;
    std::string preparedFor;  // input and output folder
    ConversionSettings preparedSettings;
    Result<PreparedRun> run = RunCheck(RunFault::FileFailed);
    std::unique_ptr<RunResources> resources;
};

PreviewRenderer::PreviewRenderer(Deliver deliver, int longestSide, StepObserver onStep)
    : m_deliver(std::move(deliver)),
      m_onStep(std::move(onStep)),
      m_longestSide(longestSide),
      m_cache(std::make_unique<Cache>()) {
    m_thread = std::thread([this] { Work(); });
}

PreviewRenderer::~PreviewRenderer() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
        m_newest = UINT64_MAX;  // stops a render under way
    }
    m_wake.notify_all();
    m_thread.join();
}

uint64_t PreviewRenderer::Request(PreviewRequest request) {
    uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        number = ++m_pendingNumber;
        m_pending = std::move(request);
        m_newest = number;
    }
    m_wake.notify_all();
    return number;
}

void PreviewRenderer::Work() {
    for (;;) {
        PreviewRequest request;
        uint64_t number = 0;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_quit || m_pending.has_value(); });
            if (m_quit) return;
            request = std::move(*m_pending);
            m_pending.reset();
            number = m_pendingNumber;
        }
        std::shared_ptr<PreviewFrame> frame = Render(request, number);
        if (!frame) {
            ++m_cancelled;
            continue;
        }
        ++m_delivered;
        if (m_deliver) m_deliver(std::move(frame));
    }
}

std::shared_ptr<PreviewFrame> PreviewRenderer::Render(const PreviewRequest& request,
                                                      uint64_t number) {
    const auto started = std::chrono::steady_clock::now();
    const PreviewGoOn goOn = [this, number] {
        if (m_onStep) m_onStep(number);
        return m_newest.load() == number;
    };
    auto frame = std::make_shared<PreviewFrame>();
    frame->request = number;
    frame->fullSize = request.fullSize;
    Cache& cache = *m_cache;

    // The decoded copy, once per file (and again when the file changed).
    const std::string stamp = FileStamp(request.inputPath);
    if (stamp.empty() || stamp != cache.stamp) {
        cache.source.reset();
        cache.haveBefore = false;
        cache.stamp.clear();
        if (stamp.empty()) {
            frame->fault = RunCheck(RunFault::EmptyInputFiles, {}, request.inputPath);
            return goOn() ? frame : nullptr;
        }
        Result<std::shared_ptr<const PreviewSource>> loaded =
            LoadPreviewSource(request.inputPath, m_longestSide);
        if (!loaded.ok()) {
            frame->fault = loaded.fault();
            return goOn() ? frame : nullptr;
        }
        cache.source = loaded.value();
        cache.stamp = stamp;
        cache.prepared = false;
    }
    if (!goOn()) return nullptr;
    const PreviewSource& source = *cache.source;
    frame->sourceWidth = source.fullWidth;
    frame->sourceHeight = source.fullHeight;
    frame->lowestLuminance = source.lowestLuminance;
    frame->highestLuminance = source.highestLuminance;

    // The run prepared as Convert prepares it, with the same checks and
    // faults. The reduced copy is drawn on with its sizes shrunk, so its font
    // is loaded at the shrunk size. Kept while only the tone controls change
    // (and stay in their ranges).
    std::error_code error;
    std::string folder = request.outputFolder;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        folder = FolderOf(request.inputPath);
    const bool reduced = !request.fullSize && source.factor > 1;
    const std::string preparedFor = request.inputPath + "\n" + folder + "\n" +
                                    request.outputExtension + (reduced ? "\nreduced" : "");
    if (!cache.prepared || cache.preparedFor != preparedFor ||
        !SameButTone(cache.preparedSettings, request.settings) ||
        CheckSettingRanges(request.settings).has_value()) {
        cache.resources.reset();
        RunRequest run;
        run.face = RunFace::Desktop;
        run.inputs.push_back(request.inputPath);
        run.outputFolder = folder;
        run.outputExtension = request.outputExtension;
        cache.run = PrepareRun(request.settings, run, RunReport());
        cache.prepared = true;
        cache.preparedFor = preparedFor;
        cache.preparedSettings = request.settings;
        if (cache.run.ok()) {
            std::shared_ptr<const WatermarkFont> font = cache.run.value().job.font;
            ConversionSettings drawn = request.settings;
            if (reduced) {
                int width = 0, height = 0;
                drawn = ReducedSettings(request.settings, source.factor, source.fullWidth,
                                        source.fullHeight, &width, &height);
                if (font) font = WatermarkFont::Load(drawn);
            }
            cache.resources = std::make_unique<RunResources>(drawn, font, 0);
        }
    }
    if (!cache.run.ok()) {
        frame->fault = cache.run.fault();
        return goOn() ? frame : nullptr;
    }
    if (!goOn()) return nullptr;

    // The file's context as the worker gives it to the first file of a run.
    const ConversionJob& job = cache.run.value().job;
    FileContext file =
        FileContextFor(job, QueuedFile(request.inputPath), job.firstFileNumber, job.randomNumber);

    Result<PreviewResult> rendered =
        request.fullSize
            ? RenderFullSize(request.inputPath, request.settings, file, *cache.resources, goOn)
            : RenderPreview(source, request.settings, file, *cache.resources, goOn);
    if (!goOn()) return nullptr;
    if (!rendered.ok()) {
        frame->fault = rendered.fault();
    } else {
        frame->result = std::move(rendered.value());
    }
    const double exposure = request.settings.DragoExposure;
    if (!cache.haveBefore || cache.beforeExposure != exposure) {
        cache.before = BeforePixels(source, exposure);
        cache.beforeExposure = exposure;
        cache.haveBefore = true;
    }
    frame->before = cache.before;
    frame->millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    return frame;
}

}  // namespace orvex
