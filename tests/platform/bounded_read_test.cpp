// Reading the program's own small files: whole or not at all, and never
// hanging on something that is not a regular file.
#include "platform/bounded_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/temp_folder.h"

namespace orvex {
namespace {

TEST(BoundedReadTest, ReadsWholeFilesUpToTheBoundAndRefusesLarger) {
    test_support::ScopedTempFolder temp{"bounded-read"};
    const std::string bytes = std::string("[Main]\r\nkey=value\0tail", 22) + std::string(5000, 'x');
    const std::string path = temp.WriteFile("config.ini", bytes);

    EXPECT_EQ(ReadBoundedFile(path, bytes.size()), bytes);  // exactly at the bound
    EXPECT_EQ(ReadBoundedFile(path, 1u << 20), bytes);
    // One byte over: refused whole rather than read in part.
    EXPECT_FALSE(ReadBoundedFile(path, bytes.size() - 1).has_value());

    EXPECT_EQ(ReadBoundedFile(temp.WriteFile("empty.ini", ""), 16), std::string());
}

TEST(BoundedReadTest, GivesNothingForWhatIsNotAReadableRegularFile) {
    test_support::ScopedTempFolder temp{"bounded-read"};
    EXPECT_FALSE(ReadBoundedFile("", 100).has_value());
    EXPECT_FALSE(ReadBoundedFile(temp.File("missing.ini"), 100).has_value());
    EXPECT_FALSE(ReadBoundedFile(temp.Folder().string(), 100).has_value());
    // A FIFO with no writer would block a plain open for ever.
    const std::string fifo = temp.File("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadBoundedFile(fifo, 100).has_value());
    if (::geteuid() != 0) {
        const std::string locked = temp.WriteFile("locked.ini", "x=1");
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        EXPECT_FALSE(ReadBoundedFile(locked, 100).has_value());
    }
}

}  // namespace
}  // namespace orvex
