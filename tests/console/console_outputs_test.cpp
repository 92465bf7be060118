// End-to-end runs of the real executable for what a batch may write: never
// one output from two inputs, never an output over an input, and every
// folder entry named like a picture either converted or reported as skipped.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "console/console_test_support.h"

namespace orvex {
namespace {

using test::ProcessResult;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class ConsoleOutputsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::WriteTestHdr(File("a.hdr"), 32, 24));
        ASSERT_TRUE(test::WriteTestHdr(File("b.hdr"), 20, 12));
        fs::create_directory(File("out"));
    }
    ProcessResult Run(const Lines& arguments) { return test::RunOrvex(arguments, m_temp.Path()); }
    std::string File(const std::string& name) const { return m_temp.File(name); }
    std::string Bytes(const std::string& name) const {
        return test_support::ReadFileBytes(File(name));
    }
    size_t OutputCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(File("out")), {}));
    }
    test_support::ScopedTempFolder m_temp{"console-outputs"};
};

// Names known before the run are checked before any work, whatever the
// order of the inputs and the number of jobs: nothing is written, and the
// inputs keep their bytes.
TEST_F(ConsoleOutputsTest, CollidingNamesKnownAheadAreRefusedBeforeAnyWork) {
    fs::create_directories(File("x"));
    fs::create_directories(File("y"));
    fs::copy_file(File("a.hdr"), File("x/p.hdr"));
    fs::copy_file(File("b.hdr"), File("y/p.hdr"));
    fs::create_hard_link(File("b.hdr"), File("hard.hdr"));
    const std::string a = Bytes("a.hdr");
    const std::string b = Bytes("b.hdr");
    for (const std::string jobs : {"--jobs=1", "--jobs=2"}) {
        for (const bool swapped : {false, true}) {
            auto pair = [swapped](Lines first, Lines second) {
                if (swapped) std::swap(first, second);
                first.insert(first.end(), second.begin(), second.end());
                return first;
            };
            // Another input of the run as the mask's name: b.hdr itself, and
            // b.hdr through a hard link.
            for (const std::string mask : {"b.hdr", "hard.hdr"}) {
                Lines over = pair({"-i", "a.hdr"}, {"-i", "b.hdr"});
                over.insert(over.end(), {"--filename-mask=" + mask, jobs});
                ProcessResult result = Run(over);
                EXPECT_EQ(result.exitCode, 2) << mask;
                ASSERT_EQ(result.errLines().size(), 2u);
                EXPECT_EQ(result.errLines()[0], "Error: Output file replaces an input file");
                EXPECT_NE(result.errLines()[1].find("would be written from"), std::string::npos);
                EXPECT_EQ(Bytes("a.hdr"), a);
                EXPECT_EQ(Bytes("b.hdr"), b);
            }
            // Two inputs of the same name from two folders, and one fixed name.
            Lines same = pair({"-i", "x/p.hdr"}, {"-i", "y/p.hdr"});
            same.insert(same.end(), {"-o", "out", jobs});
            Lines fixed = pair({"-i", "a.hdr"}, {"-i", "b.hdr"});
            fixed.insert(fixed.end(), {"-o", "out", "--filename-mask=out.%ext%", jobs});
            for (const Lines& arguments : {same, fixed}) {
                ProcessResult result = Run(arguments);
                EXPECT_EQ(result.exitCode, 2);
                ASSERT_EQ(result.errLines().size(), 2u);
                EXPECT_EQ(result.errLines()[0], "Error: Duplicate output file");
                EXPECT_NE(result.errLines()[1].find("would be written from both "),
                          std::string::npos);
                EXPECT_EQ(OutputCount(), 0u);
            }
        }
    }
}

// A name known only at save time: the second file to claim it fails with the
// reason and the first file's output stays as written.
TEST_F(ConsoleOutputsTest, ANameTakenInTheRunFailsTheLaterFileAndKeepsTheFirst) {
    fs::copy_file(File("a.hdr"), File("c.hdr"));
    for (const std::string jobs : {"--jobs=1", "--jobs=2"}) {
        ProcessResult result = Run({"-d", "-i", "a.hdr", "-i", "b.hdr", "-i", "c.hdr", "-o",
                                    "out", "--filename-mask=%width%.%ext%", jobs});
        EXPECT_EQ(result.exitCode, 1);
        const Lines out = result.outLines();
        EXPECT_EQ(std::count_if(out.begin(), out.end(),
                                [](const std::string& line) {
                                    return line.rfind("[OK] Saving As: ", 0) == 0;
                                }),
                  2);
        EXPECT_NE(std::find(out.begin(), out.end(), "Files converted: 2 of 3"), out.end());
        ASSERT_EQ(result.errLines().size(), 1u);
        EXPECT_NE(result.errLines()[0].find("c.hdr: The output file "), std::string::npos);
        EXPECT_NE(result.errLines()[0].find(" was already written in this run from a.hdr"),
                  std::string::npos);
        EXPECT_EQ(OutputCount(), 2u);
        fs::remove_all(File("out"));
        fs::create_directory(File("out"));
    }
}

// The folder walk reports each entry named like a picture that is none; a
// named one fails by itself; the report counts them.
TEST_F(ConsoleOutputsTest, EverySkippedEntryIsCountedAndNamed) {
    fs::create_directory(File("w"));
    fs::copy_file(File("a.hdr"), File("w/good.hdr"));
    test_support::WriteFileBytes(File("w/empty.hdr"), "");
    test_support::WriteFileBytes(File("w/notes.txt"), "not a picture");
    ASSERT_EQ(::mkfifo(File("w/pipe.hdr").c_str(), 0644), 0);
    fs::create_symlink("nowhere.hdr", File("w/dangling.hdr"));

    fs::create_directory(File("w/set.hdr"));  // walked into as a folder when sub-folders are kept
    ProcessResult result = Run({"-i", "w", "-o", "out"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.errLines(), (Lines{"orvex: w/dangling.hdr: skipped: a dangling symbolic link",
                                        "orvex: w/empty.hdr: skipped: empty",
                                        "orvex: w/pipe.hdr: skipped: not a regular file"}));
    const Lines out = result.outLines();
    EXPECT_NE(std::find(out.begin(), out.end(), "Files skipped: 3"), out.end());
    EXPECT_NE(std::find(out.begin(), out.end(), "Files converted: 1 of 1"), out.end());

    ProcessResult flat = Run({"-q", "-i", "w", "-o", "out", "--no-subfolders"});
    EXPECT_EQ(flat.errLines().size(), 4u);
    EXPECT_EQ(flat.errLines().back(), "orvex: w/set.hdr: skipped: a folder");

    ProcessResult debug = Run({"-d", "-i", "w", "-o", "out"});
    const Lines debugOut = debug.outLines();
    EXPECT_NE(std::find(debugOut.begin(), debugOut.end(), "Skipped: w/empty.hdr (empty)"),
              debugOut.end());

    // Named in a batch, the pipe fails alone and is never opened (which
    // would wait for a writer for ever).
    ProcessResult named = Run({"-q", "-i", "a.hdr", "-i", "w/pipe.hdr", "-o", "out", "--jobs=2"});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(named.errLines(), (Lines{"orvex: w/pipe.hdr: The input is not a regular file"}));
    EXPECT_EQ(named.outLines(), (Lines{"Not converted: w/pipe.hdr"}));
}

}  // namespace
}  // namespace orvex
