// Whole-file replacement: the new contents or the old, never a partial file
// or a leftover temporary.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFileBytes;

class AtomicFileTest : public testing::Test {
  protected:
    size_t EntryCount() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(m_folder), fs::directory_iterator{}));
    }

    test_support::ScopedTempFolder m_temp{"atomic-file"};
    const fs::path m_folder = m_temp.Folder();
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithExactBytes) {
    const fs::path target = m_folder / "config.ini";
    const std::string binary("a\0b\r\n\xEF\xBB\xBF", 8);
    ASSERT_TRUE(WriteFileAtomically(target.string(), binary));
    EXPECT_EQ(ReadFileBytes(target), binary);
    ASSERT_TRUE(WriteFileAtomically(target.string(), "short"));
    EXPECT_EQ(ReadFileBytes(target), "short");
    ASSERT_TRUE(WriteFileAtomically(target.string(), ""));
    EXPECT_EQ(ReadFileBytes(target), "");
    EXPECT_EQ(EntryCount(), 1u);  // no temporary left beside it
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheReplacedFile) {
    const fs::path target = m_folder / "private.ini";
    std::ofstream(target) << "old";
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomically(target.string(), "new"));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(AtomicFileTest, ReplacesTheTargetOfASymbolicLink) {
    const fs::path real = m_folder / "real.ini";
    const fs::path link = m_folder / "link.ini";
    std::ofstream(real) << "old";
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link.string(), "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
}

TEST_F(AtomicFileTest, FailureInAReadOnlyFolderLeavesTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const fs::path target = m_folder / "config.ini";
    std::ofstream(target) << "old contents";
    fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteFileAtomically(target.string(), "new contents"));
    fs::permissions(m_folder, fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(target), "old contents");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, FailsForAMissingFolderOrAFolderTarget) {
    EXPECT_FALSE(WriteFileAtomically((m_folder / "absent" / "config.ini").string(), "x"));
    EXPECT_FALSE(fs::exists(m_folder / "absent"));
    fs::create_directory(m_folder / "config.ini");
    EXPECT_FALSE(WriteFileAtomically((m_folder / "config.ini").string(), "x"));
    EXPECT_TRUE(fs::is_directory(m_folder / "config.ini"));
    EXPECT_FALSE(WriteFileAtomically("", "x"));
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, FailedWriteRemovesTheTemporaryAndKeepsTheOldFile) {
    const fs::path target = m_folder / "config.ini";
    const std::string old(4096, 'o');
    std::ofstream(target) << old;
    // A file size limit makes the write fail part-way, like a full disk.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomically(target.string(), std::string(1000, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFileBytes(target), old);
    EXPECT_EQ(EntryCount(), 1u);
}

// Flushes in the background keep up with a file written in parts, and one
// that fails is reported at the end rather than lost: the file's own flush
// would not see the error again.
TEST_F(AtomicFileTest, BackgroundFlushesReportTheirFailure) {
    const fs::path path = m_folder / "parts.bin";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    {
        BackgroundSync sync(fd, 1024);
        const std::string part(1000, 'p');
        for (int i = 0; i < 200; ++i) {
            ASSERT_EQ(write(fd, part.data(), part.size()), static_cast<ssize_t>(part.size()));
            sync.Written(part.size());
        }
        EXPECT_EQ(sync.Finish(), 0);
        sync.Written(5000);  // after the end: nothing more is flushed or started
        EXPECT_EQ(sync.Finish(), 0);
    }
    close(fd);
    EXPECT_EQ(fs::file_size(path), 200000u);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    {
        BackgroundSync sync(pipeEnds[1], 1);
        sync.Written(1);  // a pipe cannot be flushed to a disk
        EXPECT_EQ(sync.Finish(), EINVAL);
    }
    {
        BackgroundSync unused(pipeEnds[1]);  // nothing written: no thread, no flush
        EXPECT_EQ(unused.Finish(), 0);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

}  // namespace
}  // namespace orvex
