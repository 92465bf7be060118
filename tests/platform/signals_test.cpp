// Tests of what an ending signal leaves behind (nothing), and of pending files.
#include "platform/signals.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/console_output.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFileBytes;
using test_support::ScopedTempFolder;

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

// Runs `body` in a child process and gives its wait status.
int InChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

// An interrupted save once left its hidden temporary file behind.
TEST(Signals, InterruptedSaveLeavesNoTemporaryFile) {
    ScopedTempFolder folder{"signals"};
    const std::string path = folder.WriteFile(".orvex-1-2.tmp", "partial");
    const int status = InChild([&] {
        InstallSignalHandling();
        RemoveOnSignal cleanup(path);
        raise(SIGTERM);
    });
    EXPECT_TRUE(ExitedWith(status, 128 + SIGTERM)) << status;
    EXPECT_FALSE(fs::exists(path));

    // Once the registration is gone, the file stays.
    const std::string kept = folder.WriteFile("kept", "whole");
    EXPECT_TRUE(ExitedWith(InChild([&] {
                               InstallSignalHandling();
                               { RemoveOnSignal cleanup(kept); }
                               raise(SIGINT);
                           }),
                           128 + SIGINT));
    EXPECT_TRUE(fs::exists(kept));
}

TEST(Signals, InterruptedPendingFileLeavesNothingInTheFolder) {
    for (const bool unnamed : {true, false}) {
        ScopedTempFolder folder{"signals"};
        const int status = InChild([&] {
            InstallSignalHandling();
            PendingFile file;
            if (!file.Open(folder.File("out.jpg"), unnamed)) _exit(1);
            if (unnamed && file.IsNamed()) _exit(2);  // this filesystem has none
            if (write(file.Fd(), "abc", 3) != 3) _exit(1);
            raise(SIGHUP);
        });
        if (ExitedWith(status, 2)) continue;
        EXPECT_TRUE(ExitedWith(status, 128 + SIGHUP)) << status;
        EXPECT_EQ(EntryCount(folder.Folder()), 0u) << unnamed;
    }
}

TEST(Signals, ASignalStartedIgnoredStaysIgnored) {
    const int status = InChild([] {
        signal(SIGHUP, SIG_IGN);
        InstallSignalHandling();
        raise(SIGHUP);
        _exit(7);
    });
    EXPECT_TRUE(ExitedWith(status, 7)) << status;
}

// The pause once left the terminal raw when a signal ended the process.
TEST(Signals, PauseRestoresTheTerminalWhenEndedBySignal) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios before{};
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ECHO);
    const pid_t child = fork();
    if (child == 0) {
        InstallSignalHandling();
        WaitForKeyPress(slave);
        _exit(0);
    }
    // Wait until the pause has switched the terminal, then end the child.
    termios now{};
    for (int i = 0; i < 5000; ++i) {
        tcgetattr(slave, &now);
        if (!(now.c_lflag & ECHO)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(now.c_lflag & ECHO);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(ExitedWith(status, 128 + SIGTERM)) << status;
    termios after{};
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    close(slave);
    close(master);
}

// The temporary file of a save was once created readable by everyone for a
// moment: it is the owner's alone until it is put in place.
class PendingFileTest : public testing::TestWithParam<bool> {};

TEST_P(PendingFileTest, IsPrivateAndInvisibleUntilCommitted) {
    const bool unnamed = GetParam();
    ScopedTempFolder folder{"pending"};
    const std::string target = folder.WriteFile("out.jpg", "old");
    chmod(target.c_str(), 0640);
    {
        PendingFile file;
        ASSERT_TRUE(file.Open(target, unnamed));
        struct stat info {};
        ASSERT_EQ(fstat(file.Fd(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        ASSERT_EQ(write(file.Fd(), "new", 3), 3);
        EXPECT_EQ(ReadFileBytes(target), "old");
        if (file.IsNamed()) {
            EXPECT_EQ(EntryCount(folder.Folder()), 2u);  // hidden, and the owner's only
        }
    }  // dropped without a commit
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(EntryCount(folder.Folder()), 1u);

    PendingFile file;
    ASSERT_TRUE(file.Open(target, unnamed));
    ASSERT_EQ(write(file.Fd(), "new", 3), 3);
    ASSERT_TRUE(file.Commit(0640));
    EXPECT_EQ(ReadFileBytes(target), "new");
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntryCount(folder.Folder()), 1u);
}

INSTANTIATE_TEST_SUITE_P(UnnamedAndNamed, PendingFileTest, testing::Bool());

TEST(PendingFile, FailsCleanlyWhereNoFileCanBeMade) {
    ScopedTempFolder folder{"pending"};
    PendingFile file;
    EXPECT_FALSE(file.Open(folder.File("missing/out.jpg")));
    EXPECT_FALSE(file.Commit(0644));
    EXPECT_EQ(EntryCount(folder.Folder()), 0u);
}

}  // namespace
}  // namespace orvex
