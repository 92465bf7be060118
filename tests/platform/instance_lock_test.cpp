// The desktop's single-instance lock: one holder at a time, per title, and
// released with its holder.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace orvex {
namespace {

class InstanceLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("orvex_lock_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};

TEST_F(InstanceLockTest, ASecondHolderIsRefusedUntilTheFirstReleases) {
    InstanceLock first;
    InstanceLock second;
    ASSERT_EQ(first.Acquire(Path("Lumavert Orvex 3.1.lock")), InstanceLock::Result::Acquired);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(second.Acquire(Path("Lumavert Orvex 3.1.lock")), InstanceLock::Result::HeldElsewhere);
    EXPECT_FALSE(second.IsHeld());
    // Another version has its own lock.
    InstanceLock other;
    EXPECT_EQ(other.Acquire(Path("Lumavert Orvex 3.2.lock")), InstanceLock::Result::Acquired);
    first.Release();
    EXPECT_EQ(second.Acquire(Path("Lumavert Orvex 3.1.lock")), InstanceLock::Result::Acquired);
}

TEST_F(InstanceLockTest, AnotherProcessSeesTheLockAndItEndsWithItsHolder) {
    std::string path = Path("held.lock");
    {
        InstanceLock mine;
        ASSERT_EQ(mine.Acquire(path), InstanceLock::Result::Acquired);
        pid_t child = ::fork();
        if (child == 0) {
            InstanceLock theirs;
            ::_exit(theirs.Acquire(path) == InstanceLock::Result::HeldElsewhere ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // A holder that ended (here: went out of scope) leaves no stale lock.
    InstanceLock again;
    EXPECT_EQ(again.Acquire(path), InstanceLock::Result::Acquired);
}

TEST_F(InstanceLockTest, AnUnusableLocationIsReportedNotTreatedAsASecondInstance) {
    InstanceLock lock;
    EXPECT_EQ(lock.Acquire(Path("no/such/folder/x.lock")), InstanceLock::Result::Unavailable);
    std::filesystem::create_symlink(Path("target"), Path("link.lock"));
    EXPECT_EQ(lock.Acquire(Path("link.lock")), InstanceLock::Result::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(Path("target")));
}

TEST_F(InstanceLockTest, DefaultPathUsesTheRuntimeFolderOrAPerUserTmpName) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), Path("Lumavert Orvex 3.1.lock"));
    ::setenv("XDG_RUNTIME_DIR", Path("missing").c_str(), 1);
    std::string fallback = "/tmp/Lumavert Orvex 3.1-" + std::to_string(::getuid()) + ".lock";
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), fallback);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), fallback);
    if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

}  // namespace
}  // namespace orvex
