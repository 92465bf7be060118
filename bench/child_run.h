// Running a program as a child process and measuring it, for the benchmarks
// that compare whole processes.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace orvex::bench {

struct ChildRun {
    double seconds = 0.0;     // wall time
    double cpuSeconds = 0.0;  // user + system time of the child
    long peakKiB = 0;         // peak resident memory of the child
    int status = -1;          // exit status; -1 when it did not exit normally
};

// Runs `argv` (the program found on PATH like a shell would) with its output
// dropped, and measures it through wait4's resource usage.
inline ChildRun RunChild(const std::vector<std::string>& argv) {
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
    ChildRun run;
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKiB = usage.ru_maxrss;
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

}  // namespace orvex::bench
