// Helpers for the console tests: running the real executable with its output
// captured, and small Radiance test pictures (temporary folders and file
// helpers come from the shared test support).
#pragma once

#include <FreeImage.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/hdr_writer.h"

namespace orvex::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;

    std::vector<std::string> outLines() const { return SplitLines(out); }
    std::vector<std::string> errLines() const { return SplitLines(err); }

    static std::vector<std::string> SplitLines(const std::string& text) {
        std::vector<std::string> lines;
        std::string line;
        std::istringstream in(text);
        while (std::getline(in, line)) lines.push_back(line);
        return lines;
    }
};

// Starts `program` with `arguments` in `workingFolder`, standard input from
// /dev/null, and collects standard output, standard error and exit code.
class Process {
  public:
    Process(const std::string& program, std::vector<std::string> arguments,
            const std::string& workingFolder)
        : m_program(program), m_arguments(std::move(arguments)), m_folder(workingFolder) {}

    void Start() {
        // The captures lie outside the working folder, whose listing tests check.
        std::string stem =
            (std::filesystem::temp_directory_path() /
             ("orvex_capture_" + std::to_string(::getpid()) + "_" + std::to_string(++Counter())))
                .string();
        m_outPath = stem + ".out";
        m_errPath = stem + ".err";
        m_pid = ::fork();
        if (m_pid == 0) {
            int in = ::open("/dev/null", O_RDONLY);
            int out = ::open(m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = ::open(m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0 || ::chdir(m_folder.c_str()) != 0) ::_exit(127);
            // Under the leak checker its list of used suppressions would
            // otherwise end up in the captured error stream.
            if (const char* lsan = std::getenv("LSAN_OPTIONS"))
                ::setenv("LSAN_OPTIONS", (std::string(lsan) + ":print_suppressions=0").c_str(), 1);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(m_program.c_str()));
            for (std::string& argument : m_arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(m_program.c_str(), argv.data());
            ::_exit(127);
        }
    }

    pid_t pid() const { return m_pid; }

    ProcessResult Wait() {
        ProcessResult result;
        int status = 0;
        if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid)
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = test_support::ReadFileBytes(m_outPath);
        result.err = test_support::ReadFileBytes(m_errPath);
        std::error_code ignored;
        std::filesystem::remove(m_outPath, ignored);
        std::filesystem::remove(m_errPath, ignored);
        return result;
    }

  private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }

    std::string m_program;
    std::vector<std::string> m_arguments;
    std::string m_folder;
    std::string m_outPath;
    std::string m_errPath;
    pid_t m_pid = -1;
};

inline ProcessResult RunOrvex(const std::vector<std::string>& arguments,
                              const std::string& workingFolder) {
    Process process(ORVEX_EXECUTABLE, arguments, workingFolder);
    process.Start();
    return process.Wait();
}

// A Radiance picture of `width` x `height` with a horizontal ramp from dark
// to above 1.0 and a blue stripe pattern repeating every three rows counted
// from the bottom, written by FreeImage's own writer.
inline bool WriteTestHdr(const std::string& path, int width = 32, int height = 24) {
    return test_support::WriteHdrWithFreeImage(path, width, height, [width, height](int x, int y) {
        const float level = 0.05f + 3.0f * static_cast<float>(x) / static_cast<float>(width);
        const int fromBottom = height - 1 - y;
        return test_support::Rgb{level, level * 0.8f,
                                 level * 0.5f + 0.1f * static_cast<float>(fromBottom % 3)};
    });
}

// The size of a JPEG file as FreeImage reads it, {0, 0} when it does not load.
inline std::pair<unsigned, unsigned> JpegSize(const std::string& path) {
    FIBITMAP* image = FreeImage_Load(FIF_JPEG, path.c_str(), 0);
    if (image == nullptr) return {0, 0};
    std::pair<unsigned, unsigned> size{FreeImage_GetWidth(image), FreeImage_GetHeight(image)};
    FreeImage_Unload(image);
    return size;
}

}  // namespace orvex::test
