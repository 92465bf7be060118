// What the batch options cost: a batch of 200 small pictures converted
// plainly, with --report, with --skip-existing (nothing there yet, so every
// file is looked up and converted) and with both, the runs alternated and
// repeated, medians of wall time and the overhead against the goal of 3 %;
// then a --skip-existing rerun over 1,000 finished files against the goal of
// 0.5 s.
//
//   batch_bench [runs]        (run it from a Release build folder)
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

// Wall seconds of one run of `argv` with its output dropped; negative when
// it failed.
double RunOnce(const Args& argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
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
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

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
    const fs::path work = fs::temp_directory_path() / ("orvex-batch-bench-" + std::to_string(::getpid()));
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
    };
    std::vector<Variant> variants{
        {"plain", {}, {}},
        {"--report", {"--report=" + (work / "r.jsonl").string()}, {}},
        {"--skip-existing", {"--skip-existing"}, {}},
        {"both", {"--skip-existing", "--report=" + (work / "r.jsonl").string()}, {}},
    };
    for (int run = 0; run < runs; ++run) {
        for (Variant& variant : variants) {
            fs::remove_all(out);
            fs::create_directories(out);
            Args argv = plain;
            argv.insert(argv.end(), variant.extra.begin(), variant.extra.end());
            const double seconds = RunOnce(argv);
            if (seconds < 0) {
                std::fprintf(stderr, "%s failed\n", variant.name);
                return 1;
            }
            variant.seconds.push_back(seconds);
        }
    }
    std::printf("200 pictures of 320 x 200, every core, median of %d runs each (alternated)\n",
                runs);
    const double base = Median(variants.front().seconds);
    for (const Variant& variant : variants) {
        const double median = Median(variant.seconds);
        std::printf("  %-16s %7.3f s  %+6.2f %%%s\n", variant.name, median,
                    100.0 * (median - base) / base,
                    &variant == &variants.front() ? "" : "   (goal: at most +3 %)");
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
    std::printf("--skip-existing rerun over 1000 finished files: %.3f s median, %.3f s best "
                "(goal: at most 0.5 s)\n",
                Median(rerun), *std::min_element(rerun.begin(), rerun.end()));
    fs::remove_all(work);
    return 0;
}
