// The real executable writing into a pipe whose reader has gone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "console/console_test_support.h"

namespace orvex {
namespace {

// `orvex -d ... | head -1` once died of SIGPIPE (exit 141) before saving.
TEST(ClosedOutput, SigpipeNeitherEndsTheRunNorChangesItsExitCode) {
    test_support::ScopedTempFolder folder{"closed_output"};
    const std::string input = folder.File("big.hdr");
    ASSERT_TRUE(test::WriteTestHdr(input, 64, 48));
    std::filesystem::create_directory(folder.File("out"));

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);  // the reader is gone before the first line
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGPIPE, SIG_DFL);  // as a shell starts it
        dup2(fds[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        execl(ORVEX_EXECUTABLE, ORVEX_EXECUTABLE, "-d", "-i", input.c_str(), "-o",
              folder.File("out").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::JpegSize(folder.File("out/big.jpg")), std::make_pair(64u, 48u));
}

}  // namespace
}  // namespace orvex
