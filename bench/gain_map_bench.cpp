// The gain map's cost on the 25-megapixel picture with a photograph's
// statistics: orvex with default settings, with and without --gain-map, run
// alternately; medians of wall and processor time, peak memory and the
// file's size, and the ratios against the goals (time at most 1.35 x, size
// at most 1.25 x). Then the half- and quarter-size maps once each.
//
//   gain_map_bench [runs]        (run it from a Release build folder)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
    double seconds = 0, cpuSeconds = 0;
    long peakKiB = 0;
    int status = -1;
};

Sample RunOnce(const std::vector<std::string>& argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    Sample sample;
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        sample.peakKiB = usage.ru_maxrss;
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        sample.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    sample.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

struct Series {
    std::string name;
    std::vector<std::string> argv;
    std::string output;
    std::vector<double> seconds, cpu;
    long peakKiB = 0;
    int failures = 0;
    uintmax_t bytes = 0;

    void Run() {
        const Sample s = RunOnce(argv);
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
    const fs::path work = fs::temp_directory_path() / ("orvex_gain_map_bench_" + std::to_string(::getpid()));
    fs::create_directories(work / "plain");
    fs::create_directories(work / "map");
    const std::string photo = (work / "photo.hdr").string();
    std::printf("Generating a 6144 x 4096 picture with a photograph's statistics (25 megapixels)...\n");
    if (RunOnce({MAKE_SAMPLE_HDR, photo, "6144", "4096", "photo"}).status != 0) {
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
        Series smaller = series(scale[0] == '2' ? "--gain-map-scale=2" : "--gain-map-scale=4", "map",
                                {std::string("--gain-map-scale=") + scale});
        smaller.Run();
        smaller.Print();
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return plain.failures == 0 && map.failures == 0 ? 0 : 1;
}
