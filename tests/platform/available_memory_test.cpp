// Tests of reading the memory this process can still take, over fake /proc
// and control group trees.
#include "platform/available_memory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::ScopedTempFolder;

constexpr uint64_t kGiB = uint64_t{1} << 30;

class AvailableMemoryTest : public testing::Test {
  protected:
    void Put(const std::string& relative, const std::string& text) {
        const fs::path path = m_root.Folder() / relative;
        fs::create_directories(path.parent_path());
        test_support::WriteFileBytes(path.string(), text);
    }
    void MemAvailableKiB(uint64_t kib) {
        Put("proc/meminfo",
            "MemTotal:       25165824 kB\nMemFree:         1000 kB\n"
            "MemAvailable:   " +
                std::to_string(kib) + " kB\n");
    }
    uint64_t Available() { return AvailableMemoryBytes(m_root.Folder().string()); }

    ScopedTempFolder m_root{"memory"};
};

// The memory guard once trusted physical memory: a 24 GiB machine with
// little of it free let a huge picture through.
TEST_F(AvailableMemoryTest, MemoryGuardUsesMemAvailableNotPhysicalMemory) {
    MemAvailableKiB(2 * 1024 * 1024);
    EXPECT_EQ(Available(), 2 * kGiB);
}

TEST_F(AvailableMemoryTest, ControlGroupV2LimitCapsItLessWhatTheGroupUses) {
    MemAvailableKiB(20 * 1024 * 1024);
    Put("proc/self/cgroup", "0::/user.slice/job\n");
    Put("sys/fs/cgroup/user.slice/job/memory.max", std::to_string(3 * kGiB) + "\n");
    Put("sys/fs/cgroup/user.slice/job/memory.current", std::to_string(kGiB) + "\n");
    EXPECT_EQ(Available(), 2 * kGiB);
    // A tighter limit further up counts too; "max" means none.
    Put("sys/fs/cgroup/user.slice/memory.max", std::to_string(kGiB) + "\n");
    Put("sys/fs/cgroup/user.slice/memory.current", "0\n");
    Put("sys/fs/cgroup/user.slice/job/memory.max", "max\n");
    EXPECT_EQ(Available(), kGiB);
}

TEST_F(AvailableMemoryTest, ControlGroupV1LimitCapsItAndItsNoLimitValueIsIgnored) {
    MemAvailableKiB(20 * 1024 * 1024);
    Put("proc/self/cgroup", "5:devices:/\n4:cpu,memory:/box\n0::/\n");
    Put("sys/fs/cgroup/memory/box/memory.limit_in_bytes", "9223372036854771712\n");
    Put("sys/fs/cgroup/memory/memory.limit_in_bytes", std::to_string(4 * kGiB) + "\n");
    Put("sys/fs/cgroup/memory/memory.usage_in_bytes", std::to_string(kGiB) + "\n");
    EXPECT_EQ(Available(), 3 * kGiB);
    // A group already over its limit has no room at all.
    Put("sys/fs/cgroup/memory/memory.usage_in_bytes", std::to_string(5 * kGiB) + "\n");
    EXPECT_EQ(Available(), 0u);
}

TEST_F(AvailableMemoryTest, NothingReadableTellsNothing) {
    Put("proc/meminfo", "MemTotal: garbage\n");
    Put("proc/self/cgroup", "0::/../../etc\nnonsense\n");
    EXPECT_EQ(Available(), 0u);
}

TEST_F(AvailableMemoryTest, ThisMachineReportsSomething) {
    const uint64_t available = AvailableMemoryBytes();
    EXPECT_GT(available, 0u);
}

}  // namespace
}  // namespace orvex
