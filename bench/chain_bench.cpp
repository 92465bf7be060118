// Compares the conversion chain with the bare FreeImage calls it is built on:
// a 24-megapixel Radiance picture converted to JPEG with the default settings,
// each run in a child process of its own so that its peak memory is its own.
//
//   chain_bench [runs]            generate the picture, alternate the runs, report
//   chain_bench --chain IN OUTDIR one conversion through ConvertCurrentFile
//   chain_bench --bare IN OUT     load, Drago, save with FreeImage directly
//
// A child prints its conversion time in milliseconds on standard output.
#include <FreeImage.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "run/conversion_chain.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kJpegFlags = 95 | JPEG_SUBSAMPLING_444;

using Clock = std::chrono::steady_clock;

double MillisSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// A smooth sky with a bright sun and some texture, so that run-length coding
// and tone mapping have realistic work to do.
bool WriteSamplePicture(const std::string& path) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, kWidth, kHeight, 96);
    if (!image) return false;
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, kHeight - 1 - y));
        for (int x = 0; x < kWidth; ++x) {
            const float dx = (x - 4500) / 300.0f;
            const float dy = (y - 800) / 300.0f;
            const float sun = 60.0f / (1.0f + dx * dx + dy * dy);
            const float sky = 0.2f + 0.8f * static_cast<float>(y) / kHeight;
            const float texture = 0.05f * std::sin(x * 0.05f) * std::cos(y * 0.07f);
            row[x] = FIRGBF{sky * 0.6f + sun + texture, sky * 0.8f + sun * 0.9f + texture,
                            sky + sun * 0.7f + texture};
        }
    }
    const bool saved = FreeImage_Save(FIF_HDR, image, path.c_str(), 0) != 0;
    FreeImage_Unload(image);
    return saved;
}

int RunChain(const std::string& input, const std::string& outputFolder) {
    orvex::ConversionSettings settings;
    orvex::ResetSettingsToDefaults(settings, true);
    orvex::FileContext project;
    project.FileCounter = 1;
    project.RandomNumber = 1;
    project.InputPath = input;
    project.OutputFolder = outputFolder;
    project.OutputExtension = "jpg";
    project.OutputFormatId = FIF_JPEG;
    project.SaveFlags = kJpegFlags;
    project.AutoBitDepth = 1;
    const Clock::time_point begin = Clock::now();
    const orvex::RunCheck converted = orvex::ConvertCurrentFile(settings, project, nullptr);
    if (!converted.ok()) {
        std::fprintf(stderr, "chain failed: %s\n", converted.detail.c_str());
        return 1;
    }
    std::printf("%.1f\n", MillisSince(begin));
    return 0;
}

int RunBare(const std::string& input, const std::string& output) {
    const Clock::time_point begin = Clock::now();
    FIBITMAP* image = FreeImage_Load(FIF_HDR, input.c_str(), 0);
    if (!image) return 1;
    FIBITMAP* mapped = FreeImage_TmoDrago03(image, 1.0, 0.0);
    FreeImage_Unload(image);
    if (!mapped) return 1;
    const bool saved = FreeImage_Save(FIF_JPEG, mapped, output.c_str(), kJpegFlags) != 0;
    FreeImage_Unload(mapped);
    if (!saved) return 1;
    std::printf("%.1f\n", MillisSince(begin));
    return 0;
}

struct RunResult {
    double millis = 0;
    long peakKilobytes = 0;
    bool ok = false;
};

// Re-executes this program with `arguments` and collects the child's printed
// time and its peak resident memory.
RunResult RunChild(const std::vector<std::string>& arguments) {
    RunResult result;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return result;
    const pid_t child = ::fork();
    if (child < 0) return result;
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::vector<char*> argv;
        std::string self = "/proc/self/exe";
        argv.push_back(self.data());
        std::vector<std::string> copies = arguments;
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv("/proc/self/exe", argv.data());
        std::_Exit(127);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child) return result;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !text.empty();
    result.millis = std::atof(text.c_str());
    result.peakKilobytes = usage.ru_maxrss;
    return result;
}

template <typename T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int Drive(int runs) {
    char pattern[] = "/tmp/orvex_chain_bench_XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string folder = std::string(pattern) + "/";
    const std::string input = folder + "sample.hdr";
    const std::string chainOutput = folder + "chain/";
    std::filesystem::create_directories(chainOutput);

    std::printf("Writing a %d x %d Radiance picture...\n", kWidth, kHeight);
    std::fflush(stdout);
    if (!WriteSamplePicture(input)) {
        std::fprintf(stderr, "could not write %s\n", input.c_str());
        return 1;
    }
    std::printf("Input: %.1f MB on disk\n", std::filesystem::file_size(input) / 1e6);

    std::vector<double> chainMillis, bareMillis;
    std::vector<long> chainPeak, barePeak;
    for (int run = 0; run < runs; ++run) {
        const RunResult chain = RunChild({"--chain", input, chainOutput});
        const RunResult bare = RunChild({"--bare", input, folder + "bare.jpg"});
        if (!chain.ok || !bare.ok) {
            std::fprintf(stderr, "run %d failed (chain %d, bare %d)\n", run + 1, chain.ok, bare.ok);
            std::filesystem::remove_all(folder);
            return 1;
        }
        std::printf("run %d: chain %.0f ms, %ld MB peak | bare %.0f ms, %ld MB peak\n", run + 1,
                    chain.millis, chain.peakKilobytes / 1024, bare.millis,
                    bare.peakKilobytes / 1024);
        std::fflush(stdout);
        chainMillis.push_back(chain.millis);
        bareMillis.push_back(bare.millis);
        chainPeak.push_back(chain.peakKilobytes);
        barePeak.push_back(bare.peakKilobytes);
    }
    const double chainTime = Median(chainMillis), bareTime = Median(bareMillis);
    const long chainMemory = Median(chainPeak), bareMemory = Median(barePeak);
    std::printf("median time:   chain %.0f ms, bare %.0f ms, ratio %.3f\n", chainTime, bareTime,
                chainTime / bareTime);
    std::printf("median peak:   chain %ld MB, bare %ld MB, ratio %.3f\n", chainMemory / 1024,
                bareMemory / 1024, static_cast<double>(chainMemory) / bareMemory);
    std::filesystem::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--chain") == 0) return RunChain(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--bare") == 0) return RunBare(argv[2], argv[3]);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
    return Drive(runs);
}
