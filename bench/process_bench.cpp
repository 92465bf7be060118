// Whole-process benchmark of a console conversion: orvex against a bare
// FreeImage program on a generated 24-megapixel picture, run alternately,
// with medians, their ratio and peak memory; then the start-up time of
// "orvex --version"; then other converters found on this machine.
//
//   process_bench [runs]        (run it from a Release build folder)
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
using Args = std::vector<std::string>;

namespace {

struct Sample {
    double seconds = 0.0;
    long peakKiB = 0;
    int status = -1;
};

// Runs `argv` with its output dropped and measures wall time and the peak
// resident memory of the child (wait4's rusage).
Sample RunOnce(const std::vector<std::string>& argv) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = ::fork();
    if (child == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null != nullptr) {
            ::dup2(fileno(null), 1);
            ::dup2(fileno(null), 2);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    Sample sample;
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        sample.peakKiB = usage.ru_maxrss;
    }
    sample.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

struct Series {
    Series(std::string seriesName, std::vector<std::string> command)
        : name(std::move(seriesName)), argv(std::move(command)) {}

    std::string name;
    std::vector<std::string> argv;
    std::vector<double> seconds;
    long peakKiB = 0;
    int failures = 0;

    void Add(const Sample& sample) {
        if (sample.status != 0) ++failures;
        seconds.push_back(sample.seconds);
        peakKiB = std::max(peakKiB, sample.peakKiB);
    }
    void Print() const {
        std::printf("%-28s median %8.3f s   peak %7.1f MiB%s\n", name.c_str(), Median(seconds),
                    static_cast<double>(peakKiB) / 1024.0, failures ? "   (FAILED runs)" : "");
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

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    fs::path work =
        fs::temp_directory_path() / ("orvex_process_bench_" + std::to_string(::getpid()));
    fs::create_directories(work / "out");
    std::string big = (work / "big.hdr").string();

    std::printf("Generating a 6000 x 4000 picture (24 megapixels)...\n");
    if (RunOnce({MAKE_SAMPLE_HDR, big, "6000", "4000"}).status != 0) {
        std::fprintf(stderr, "could not generate %s\n", big.c_str());
        return 1;
    }
    std::printf("Input: %.1f MiB, %d runs each, alternating\n\n",
                static_cast<double>(fs::file_size(big)) / 1048576.0, runs);

    Series orvex{"orvex -q -i big.hdr -o out",
                 {ORVEX_EXECUTABLE, "-q", "-i", big, "-o", (work / "out").string()}};
    Series bare{"bare FreeImage program", {BARE_DRAGO, big, (work / "out" / "bare.jpg").string()}};
    for (int i = 0; i < runs; ++i) {
        orvex.Add(RunOnce(orvex.argv));
        bare.Add(RunOnce(bare.argv));
    }
    orvex.Print();
    bare.Print();
    std::printf("%-28s %8.2f x\n\n", "ratio orvex / bare",
                Median(orvex.seconds) / Median(bare.seconds));

    Series version{"orvex --version", {ORVEX_EXECUTABLE, "--version"}};
    for (int i = 0; i < 21; ++i) version.Add(RunOnce(version.argv));
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
    if (OnPath("luminance-hdr-cli"))
        others.emplace_back("luminance-hdr-cli drago",
                            Args{"luminance-hdr-cli", "-l", big, "--tmo", "drago", "-q", "95", "-o",
                                 out + "/lum.jpg"});
    else
        std::printf("skipped: luminance-hdr-cli not installed\n");
    if (OnPath("convert") && IsImageMagick())
        others.emplace_back("ImageMagick convert",
                            Args{"convert", big, "-quality", "95", out + "/im.jpg"});
    else
        std::printf("skipped: ImageMagick convert not installed\n");
    for (Series& other : others) {
        for (int i = 0; i < runs; ++i) other.Add(RunOnce(other.argv));
        other.Print();
        std::printf("%-28s %8.2f x\n", ("ratio orvex / " + other.name).substr(0, 28).c_str(),
                    Median(orvex.seconds) / Median(other.seconds));
    }

    std::error_code ignored;
    fs::remove_all(work, ignored);
    return orvex.failures || bare.failures ? 1 : 0;
}
