// Whole-process benchmark of a console conversion: orvex against a bare
// FreeImage program (and another Drago converter when this machine has one)
// on two generated pictures, run alternately, with medians of wall and
// processor time, their ratios and peak memory against the goals, and each
// step's time in one process. The first picture (24 megapixels, smooth
// shapes) compresses about 38:1; the second (6144 x 4096) has a photograph's
// statistics (1/f noise over eight stops, hard-edged regions, grain) and
// compresses about 6.5:1 at quality 95, so its JPEG save weighs as a real
// photograph's does. Then a batch of 16 six-megapixel pictures with one and
// two jobs, the start-up time of "orvex --version" and other converters
// found on this machine.
//
//   process_bench [runs]        (run it from a Release build folder)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

using orvex::bench::ChildRun;
using orvex::bench::Median;
using orvex::bench::RunChild;

struct Series {
    Series(std::string seriesName, std::vector<std::string> command)
        : name(std::move(seriesName)), argv(std::move(command)) {}

    std::string name;
    std::vector<std::string> argv;
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    long peakKiB = 0;
    int failures = 0;

    void Add(const ChildRun& sample) {
        if (sample.status != 0) ++failures;
        seconds.push_back(sample.seconds);
        cpuSeconds.push_back(sample.cpuSeconds);
        peakKiB = std::max(peakKiB, sample.peakKiB);
    }
    void Print() const {
        std::printf("%-28s median %8.3f s   cpu %7.3f s   peak %7.1f MiB%s\n", name.c_str(),
                    Median(seconds), Median(cpuSeconds), static_cast<double>(peakKiB) / 1024.0,
                    failures ? "   (FAILED runs)" : "");
    }
};

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        std::string folder = list.substr(start, end == std::string::npos ? end : end - start);
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

// /usr/bin/convert may be a stand-in on some machines; only the real
// ImageMagick announces itself.
bool IsImageMagick() {
    std::FILE* pipe = ::popen("convert -version 2>/dev/null", "r");
    if (pipe == nullptr) return false;
    char buffer[256] = {};
    bool found = std::fgets(buffer, sizeof buffer, pipe) != nullptr &&
                 std::string(buffer).find("ImageMagick") != std::string::npos;
    ::pclose(pipe);
    return found;
}

struct Goals {
    double vsBare, vsLuminance, peakVsBare;
};

// orvex, the bare FreeImage program and Luminance HDR (when installed) on
// `input`, alternating; then each step in one process. False when orvex or
// the bare program failed a run.
bool ComparePrograms(const std::string& label, const std::string& input, const fs::path& out,
                     int runs, const Goals& goals, double* orvexSeconds) {
    std::printf("== %s: %.1f MiB, %d runs each, alternating\n", label.c_str(),
                static_cast<double>(fs::file_size(input)) / 1048576.0, runs);
    Series orvex{"orvex -q -i " + label + " -o out",
                 {ORVEX_EXECUTABLE, "-q", "-i", input, "-o", out.string()}};
    Series bare{"bare FreeImage program", {BARE_DRAGO, input, (out / "bare.jpg").string()}};
    std::vector<Series*> peers = {&orvex, &bare};
    // The other Drago converter the goals name; never installed by us.
    Series luminance{"luminance-hdr-cli drago",
                     {"luminance-hdr-cli", "-l", input, "--tmo", "drago", "-q", "95", "-o",
                      (out / "lum.jpg").string()}};
    const bool haveLuminance = OnPath("luminance-hdr-cli");
    if (haveLuminance) peers.push_back(&luminance);
    for (int i = 0; i < runs; ++i) {
        for (Series* series : peers) series->Add(RunChild(series->argv));
    }
    for (Series* series : peers) series->Print();
    const double orvexTime = Median(orvex.seconds);
    *orvexSeconds = orvexTime;
    std::printf("%-28s %8.2f x    (goal <= %.2f x)\n", "time orvex / bare",
                orvexTime / Median(bare.seconds), goals.vsBare);
    std::printf("%-28s %8.2f x\n", "cpu time orvex / bare",
                Median(orvex.cpuSeconds) / Median(bare.cpuSeconds));
    std::printf("%-28s %8.2f x    (goal <= %.2f x)\n", "peak memory orvex / bare",
                static_cast<double>(orvex.peakKiB) / static_cast<double>(bare.peakKiB),
                goals.peakVsBare);
    if (haveLuminance) {
        std::printf("%-28s %8.2f x    (goal <= %.2f x)\n", "time orvex / luminance-hdr",
                    orvexTime / Median(luminance.seconds), goals.vsLuminance);
    } else {
        std::printf("skipped: luminance-hdr-cli not installed\n");
    }
    std::printf("\n");
    std::fflush(stdout);

    // Each step on its own, in one process.
    const std::string steps = std::string(STEP_BENCH) + " '" + input + "' " + std::to_string(runs);
    if (std::system(steps.c_str()) != 0) std::printf("step benchmark failed\n");
    std::printf("\n");
    std::fflush(stdout);
    return orvex.failures == 0 && bare.failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    fs::path work =
        fs::temp_directory_path() / ("orvex_process_bench_" + std::to_string(::getpid()));
    fs::create_directories(work / "out");
    std::string big = (work / "big.hdr").string();
    std::string photo = (work / "photo.hdr").string();

    std::printf(
        "Generating a 6000 x 4000 picture (24 megapixels) and a 6144 x 4096 one with a\n"
        "photograph's statistics (25 megapixels)...\n\n");
    if (RunChild({MAKE_SAMPLE_HDR, big, "6000", "4000"}).status != 0 ||
        RunChild({MAKE_SAMPLE_HDR, photo, "6144", "4096", "photo"}).status != 0) {
        std::fprintf(stderr, "could not generate the pictures in %s\n", work.string().c_str());
        return 1;
    }
    double orvexTime = 0, photoTime = 0;
    bool ok = ComparePrograms("big.hdr", big, work / "out", runs, {0.30, 0.40, 0.65}, &orvexTime);
    std::printf("%-28s %8.3f s    (goal <= 0.600 s)\n\n", "orvex wall time, big.hdr", orvexTime);
    ok = ComparePrograms("photo.hdr", photo, work / "out", runs, {0.20, 0.25, 0.65}, &photoTime) &&
         ok;
    std::printf("%-28s peak memory goal: not above 385 MiB\n\n", "photo.hdr");

    // A batch of 16 six-megapixel pictures, one job at a time and two at once.
    const fs::path batch = work / "batch";
    fs::create_directories(batch / "out");
    const std::string first = (batch / "p01.hdr").string();
    Args batchArgs = {ORVEX_EXECUTABLE, "-q"};
    if (RunChild({MAKE_SAMPLE_HDR, first, "3000", "2000"}).status == 0) {
        for (int i = 1; i <= 16; ++i) {
            const std::string name =
                (batch / ((i < 10 ? "p0" : "p") + std::to_string(i) + ".hdr")).string();
            if (i > 1) fs::copy_file(first, name, fs::copy_options::overwrite_existing);
            batchArgs.push_back("-i");
            batchArgs.push_back(name);
        }
        batchArgs.push_back("-o");
        batchArgs.push_back((batch / "out").string());
    }
    Args oneJob = batchArgs, twoJobs = batchArgs;
    oneJob.push_back("--jobs=1");
    twoJobs.push_back("--jobs=2");
    // An orvex without batches converts one of the files, or none.
    size_t converted = 0;
    if (RunChild(oneJob).status == 0) {
        for (const auto& entry : fs::directory_iterator(batch / "out"))
            converted += entry.is_regular_file();
    }
    if (converted != 16) {
        std::printf("skipped: this orvex does not convert a batch with --jobs\n\n");
    } else {
        Series serial{"16 x 6 MP, --jobs=1", oneJob}, parallel{"16 x 6 MP, --jobs=2", twoJobs};
        for (int i = 0; i < runs; ++i) {
            serial.Add(RunChild(serial.argv));
            parallel.Add(RunChild(parallel.argv));
        }
        serial.Print();
        parallel.Print();
        std::printf("%-28s %8.2f x    (goal >= 1.8 x)\n\n", "speed-up --jobs=2",
                    Median(serial.seconds) / Median(parallel.seconds));
    }

    Series version{"orvex --version", {ORVEX_EXECUTABLE, "--version"}};
    for (int i = 0; i < 21; ++i) version.Add(RunChild(version.argv));
    std::printf("%-28s median %8.1f ms (goal < 30 ms)\n\n", version.name.c_str(),
                Median(version.seconds) * 1000.0);

    // Other converters, when this machine has them.
    std::vector<Series> others;
    std::string out = (work / "out").string();
    if (OnPath("pfsin") && OnPath("pfstmo_drago03") && OnPath("pfsout"))
        others.emplace_back(
            "pfs drago03 pipeline",
            Args{"/bin/sh", "-c",
                 "pfsin '" + big + "' | pfstmo_drago03 | pfsout '" + out + "/pfs.jpg'"});
    else
        std::printf("skipped: pfsin/pfstmo_drago03/pfsout not installed\n");
    if (OnPath("convert") && IsImageMagick())
        others.emplace_back("ImageMagick convert",
                            Args{"convert", big, "-quality", "95", out + "/im.jpg"});
    else
        std::printf("skipped: ImageMagick convert not installed\n");
    for (Series& other : others) {
        for (int i = 0; i < runs; ++i) other.Add(RunChild(other.argv));
        other.Print();
        std::printf("%-28s %8.2f x\n", ("ratio orvex / " + other.name).substr(0, 28).c_str(),
                    orvexTime / Median(other.seconds));
    }

    std::error_code ignored;
    fs::remove_all(work, ignored);
    return ok ? 0 : 1;
}
