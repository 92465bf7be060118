// The gain map's cost on the 25-megapixel picture with a photograph's
// statistics: orvex with default settings, with and without --gain-map, run
// alternately; medians of wall and processor time, peak memory and the
// file's size, and the ratios against the goals (time at most 1.35 x, size
// at most 1.25 x). Then the half- and quarter-size maps once each.
//
//   gain_map_bench [runs]        (run it from a Release build folder)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"

namespace fs = std::filesystem;

namespace {

using orvex::bench::ChildRun;
using orvex::bench::Median;
using orvex::bench::RunChild;

struct Series {
    std::string name;
    std::vector<std::string> argv;
    std::string output;
    std::vector<double> seconds, cpu;
    long peakKiB = 0;
    int failures = 0;
    uintmax_t bytes = 0;

    void Run() {
        const ChildRun s = RunChild(argv);
        if (s.status != 0) ++failures;
        seconds.push_back(s.seconds);
        cpu.push_back(s.cpuSeconds);
        peakKiB = std::max(peakKiB, s.peakKiB);
        std::error_code error;
        bytes = fs::file_size(output, error);
    }
    void Print() const {
        std::printf("%-26s median %7.3f s  cpu %7.3f s  peak %7.1f MiB  file %6.2f MiB%s\n",
                    name.c_str(), Median(seconds), Median(cpu), peakKiB / 1024.0,
                    static_cast<double>(bytes) / 1048576.0, failures ? "  (FAILED runs)" : "");
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path work =
        fs::temp_directory_path() / ("orvex_gain_map_bench_" + std::to_string(::getpid()));
    fs::create_directories(work / "plain");
    fs::create_directories(work / "map");
    const std::string photo = (work / "photo.hdr").string();
    std::printf(
        "Generating a 6144 x 4096 picture with a photograph's statistics (25 megapixels)...\n");
    if (RunChild({MAKE_SAMPLE_HDR, photo, "6144", "4096", "photo"}).status != 0) {
        std::fprintf(stderr, "could not generate the picture in %s\n", work.string().c_str());
        return 1;
    }
    const auto series = [&](const char* name, const char* folder, std::vector<std::string> extra) {
        Series s;
        s.name = name;
        s.argv = {ORVEX_EXECUTABLE, "-q", "-i", photo, "-o", (work / folder).string()};
        s.argv.insert(s.argv.end(), extra.begin(), extra.end());
        s.output = (work / folder / "photo.jpg").string();
        return s;
    };
    Series plain = series("without gain map", "plain", {});
    Series map = series("--gain-map", "map", {"--gain-map"});
    std::printf("%d runs each, alternating\n", runs);
    for (int i = 0; i < runs; ++i) {
        plain.Run();
        map.Run();
    }
    plain.Print();
    map.Print();
    std::printf("%-26s %7.2f x   (goal <= 1.35 x)\n", "time with / without",
                Median(map.seconds) / Median(plain.seconds));
    std::printf("%-26s %7.2f x\n", "cpu time with / without", Median(map.cpu) / Median(plain.cpu));
    std::printf("%-26s %7.2f x   (goal <= 1.25 x)\n", "size with / without",
                static_cast<double>(map.bytes) / static_cast<double>(plain.bytes));
    std::printf("%-26s %7.2f x\n", "peak memory with / without",
                static_cast<double>(map.peakKiB) / static_cast<double>(plain.peakKiB));
    for (const char* scale : {"2", "4"}) {
        Series smaller = series(scale[0] == '2' ? "--gain-map-scale=2" : "--gain-map-scale=4",
                                "map", {std::string("--gain-map-scale=") + scale});
        smaller.Run();
        smaller.Print();
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return plain.failures == 0 && map.failures == 0 ? 0 : 1;
}
