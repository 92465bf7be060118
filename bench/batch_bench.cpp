// What the batch options cost: a batch of 200 small pictures converted
// plainly, with --report, with --skip-existing (nothing there yet, so every
// file is looked up and converted) and with both, the runs alternated and
// repeated, medians of wall time and the overhead against the goal of 3 %;
// then a --skip-existing rerun over 1,000 finished files against the goal of
// 0.5 s.
//
//   batch_bench [runs]        (run it from a Release build folder)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"
#include "run/run_report_json.h"
#include "run/skip_existing.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace fs = std::filesystem;
using namespace orvex;
using Args = std::vector<std::string>;

namespace {

struct Timing {
    double seconds = -1;    // wall time, negative when the run failed
    double cpuSeconds = 0;  // user + system time of the child
};

// One run of `argv` with its output dropped.
Timing Time(const Args& argv) {
    const bench::ChildRun run = bench::RunChild(argv);
    Timing timing;
    if (run.status != 0) return timing;
    timing.seconds = run.seconds;
    timing.cpuSeconds = run.cpuSeconds;
    return timing;
}

double RunOnce(const Args& argv) { return Time(argv).seconds; }

using bench::Median;

void Fill(const fs::path& folder, const fs::path& picture, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.hdr", i);
        fs::copy_file(picture, folder / name, fs::copy_options::overwrite_existing);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path work =
        fs::temp_directory_path() / ("orvex-batch-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const fs::path picture = work / "small.hdr";
    if (RunOnce({MAKE_SAMPLE_HDR, picture.string(), "320", "200"}) < 0) {
        std::fprintf(stderr, "cannot make the sample picture\n");
        return 1;
    }
    Fill(work / "in200", picture, 200);
    const std::string out = (work / "out").string();
    const Args plain{ORVEX_EXECUTABLE, "-q", "-i", (work / "in200").string(), "-o", out};
    struct Variant {
        const char* name;
        Args extra;
        std::vector<double> seconds;
        std::vector<double> cpuSeconds;
    };
    std::vector<Variant> variants{
        {"plain", {}, {}, {}},
        {"--report", {"--report=" + (work / "r.jsonl").string()}, {}, {}},
        {"--skip-existing", {"--skip-existing"}, {}, {}},
        {"both", {"--skip-existing", "--report=" + (work / "r.jsonl").string()}, {}, {}},
    };
    for (int run = 0; run < runs; ++run) {
        // Each round starts with another variant, so none always comes first.
        for (size_t turn = 0; turn < variants.size(); ++turn) {
            Variant& variant = variants[(turn + static_cast<size_t>(run)) % variants.size()];
            fs::remove_all(out);
            fs::create_directories(out);
            Args argv = plain;
            argv.insert(argv.end(), variant.extra.begin(), variant.extra.end());
            const Timing timing = Time(argv);
            if (timing.seconds < 0) {
                std::fprintf(stderr, "%s failed\n", variant.name);
                return 1;
            }
            variant.seconds.push_back(timing.seconds);
            variant.cpuSeconds.push_back(timing.cpuSeconds);
        }
    }
    std::printf("200 pictures of 320 x 200, every core, median of %d runs each (alternated)\n",
                runs);
    const double base = Median(variants.front().seconds);
    const double cpuBase = Median(variants.front().cpuSeconds);
    std::printf("  %-16s %9s %8s %11s %8s\n", "", "wall", "", "processor", "");
    for (const Variant& variant : variants) {
        const double median = Median(variant.seconds);
        const double cpu = Median(variant.cpuSeconds);
        std::printf("  %-16s %7.3f s %+6.2f %% %7.3f s %+6.2f %%%s\n", variant.name, median,
                    100.0 * (median - base) / base, cpu, 100.0 * (cpu - cpuBase) / cpuBase,
                    &variant == &variants.front() ? "" : "   (goal: at most +3 %)");
    }

    // The options' own work for the 200 files, in this process: what the
    // whole runs above cannot resolve on a loaded machine.
    {
        ConversionSettings settings;
        ResetSettingsToDefaults(settings, true);
        const auto start = std::chrono::steady_clock::now();
        JsonLinesFile report;
        report.Open((work / "inproc.jsonl").string());
        int skipped = 0;
        for (int i = 0; i < 200; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "p%04d.hdr", i);
            FileContext file;
            file.InputPath = (work / "in200" / name).string();
            file.OutputFolder = out + "/";
            file.OutputExtension = "jpg";
            FileResult result;
            result.inputPath = file.InputPath;
            skipped += SkipIfOutputIsCurrent(settings, file, result) ? 1 : 0;
            result.converted = true;
            result.outputPath = file.OutputFolder + name;
            report.Write(FileReportLine(result, 12345));
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf(
            "  the options' own work for 200 files (skip look-up of %d finished outputs, "
            "200 report lines): %.2f ms, %.3f %% of the plain run\n",
            skipped, seconds * 1000, 100.0 * seconds / base);
    }

    Fill(work / "in1000", picture, 1000);
    fs::remove_all(out);
    fs::create_directories(out);
    const Args thousand{ORVEX_EXECUTABLE, "-q", "-i", (work / "in1000").string(), "-o", out,
                        "--skip-existing"};
    if (RunOnce(thousand) < 0) {
        std::fprintf(stderr, "the batch of 1000 failed\n");
        return 1;
    }
    std::vector<double> rerun;
    for (int run = 0; run < runs; ++run) rerun.push_back(RunOnce(thousand));
    std::printf(
        "--skip-existing rerun over 1000 finished files: %.3f s median, %.3f s best "
        "(goal: at most 0.5 s)\n",
        Median(rerun), *std::min_element(rerun.begin(), rerun.end()));
    fs::remove_all(work);
    return 0;
}
