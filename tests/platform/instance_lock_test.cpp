// The desktop's single-instance lock: one holder at a time, per title, and
// released with its holder.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

class InstanceLockTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return m_temp.File(name); }

    test_support::ScopedTempFolder m_temp{"instance-lock"};
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
    // A lock file another user owns is not used, whoever holds it.
    if (::geteuid() == 0) {
        std::string foreign = Path("foreign.lock");
        ASSERT_EQ(lock.Acquire(foreign), InstanceLock::Result::Acquired);
        lock.Release();
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_EQ(lock.Acquire(foreign), InstanceLock::Result::Unavailable);
    }
}

TEST_F(InstanceLockTest, DefaultPathUsesTheRuntimeFolderOrAPerUserTmpName) {
    test_support::ScopedEnv runtime("XDG_RUNTIME_DIR", m_temp.Folder().c_str());
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), Path("Lumavert Orvex 3.1.lock"));
    runtime.Set(Path("missing").c_str());
    std::string fallback = "/tmp/Lumavert Orvex 3.1-" + std::to_string(::getuid()) + ".lock";
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), fallback);
    runtime.Set(nullptr);
    EXPECT_EQ(InstanceLock::DefaultPath("Lumavert Orvex 3.1"), fallback);
}

}  // namespace
}  // namespace orvex
