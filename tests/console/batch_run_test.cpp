// Batches spread over processes, end to end with the real executable: shares
// that together write one run's files, a killed run resumed, the JSON report
// read back, and a frame sequence mapped with shared figures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "console/console_test_support.h"
#include "run/json_names.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;
using Lines = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes

class BatchRunTest : public ::testing::Test {
  protected:
    ProcessResult Run(Lines arguments) { return test::RunOrvex(arguments, m_temp.Path()); }

    std::string File(const std::string& name) const { return m_temp.File(name); }

    Tree FilesBelow(const std::string& folder) const {
        Tree tree;
        for (const auto& entry : fs::recursive_directory_iterator(File(folder))) {
            if (entry.is_regular_file())
                tree[fs::relative(entry.path(), File(folder)).string()] =
                    test_support::ReadFileBytes(entry.path().string());
        }
        return tree;
    }

    // Each line of a JSON Lines file, parsed; a line that is not JSON fails.
    std::vector<nlohmann::ordered_json> ReportLines(const std::string& name) const {
        std::vector<nlohmann::ordered_json> lines;
        for (const std::string& line :
             ProcessResult::SplitLines(test_support::ReadFileBytes(File(name)))) {
            lines.push_back(nlohmann::ordered_json::parse(line, nullptr, false));
            EXPECT_FALSE(lines.back().is_discarded()) << line;
        }
        return lines;
    }

    test_support::ScopedTempFolder m_temp{"batch-run"};
};

// Shares of a folder tree, as many as the list has files and more, write
// exactly the files, names, numbers and bytes of one run; a share left
// without files has done its work.
TEST_F(BatchRunTest, SharesTogetherWriteWhatOneRunWrites) {
    fs::create_directories(File("in/sub/deep"));
    const char* names[] = {"in/a.hdr", "in/b.hdr", "in/sub/c.hdr", "in/sub/deep/d.hdr", "in/e.hdr"};
    int width = 20;
    for (const char* name : names) ASSERT_TRUE(test::WriteTestHdr(File(name), width++, 12));
    const Lines common{"-q", "-i", "in", "--filename-mask=%filename%_%n%.%ext%"};
    fs::create_directory(File("whole"));
    Lines whole = common;
    whole.insert(whole.end(), {"-o", "whole"});
    ASSERT_EQ(Run(whole).exitCode, 0);
    const Tree expected = FilesBelow("whole");
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_TRUE(expected.count("sub/deep/d_00005.jpg"));

    for (int count : {1, 3, 7}) {
        const std::string out = "shares" + std::to_string(count);
        fs::create_directory(File(out));
        for (int index = 1; index <= count; ++index) {
            Lines share = common;
            share.insert(share.end(),
                         {"-o", out, "--jobs=2",
                          "--shard=" + std::to_string(index) + "/" + std::to_string(count)});
            ProcessResult result = Run(share);
            EXPECT_EQ(result.exitCode, 0) << count << " " << index << result.err;
        }
        EXPECT_EQ(FilesBelow(out), expected) << count;
    }
}

// A run killed mid-way leaves whole outputs and whole report lines; run again
// with --skip-existing it converts exactly the missing files and leaves the
// others as they were.
TEST_F(BatchRunTest, AKilledRunResumesWithoutRewritingWhatIsDone) {
    fs::create_directories(File("in"));
    fs::create_directories(File("out"));
    constexpr int kFiles = 16;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "in/f%02d.hdr", i);
        ASSERT_TRUE(test::WriteTestHdr(File(name), 900, 600));
    }
    // The JPEG files there; a hidden file being written (where the file
    // system cannot make unnamed ones) is not an output yet.
    auto Outputs = [this] {
        Tree outputs = FilesBelow("out");
        std::erase_if(outputs, [](const auto& entry) { return entry.first.front() == '.'; });
        return outputs;
    };
    const Lines common{"-q", "-i", "in", "-o", "out"};
    Lines first = common;
    first.insert(first.end(), {"--jobs=2", "--report=first.jsonl"});
    test::Process killed(ORVEX_EXECUTABLE, first, m_temp.Path());
    killed.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Outputs().size() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(killed.pid(), SIGKILL);
    EXPECT_EQ(killed.Wait().exitCode, 128 + SIGKILL);

    std::map<std::string, std::pair<ino_t, timespec>> done;
    for (const auto& [name, bytes] : Outputs()) {
        struct stat info {};
        ASSERT_EQ(::stat(File("out/" + name).c_str(), &info), 0);
        done[name] = {info.st_ino, info.st_mtim};
        EXPECT_EQ(test::JpegSize(File("out/" + name)), std::make_pair(900u, 600u)) << name;
    }
    ASSERT_GE(done.size(), 3u);
    ASSERT_LT(done.size(), static_cast<size_t>(kFiles)) << "the run ended before it was killed";
    for (const auto& line : ReportLines("first.jsonl")) EXPECT_EQ(line["status"], "converted");

    Lines again = common;
    // One file after another this time: the other way through the worker.
    again.insert(again.end(), {"--jobs=1", "--skip-existing", "--report=again.jsonl"});
    ProcessResult result = Run(again);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Outputs().size(), static_cast<size_t>(kFiles));
    for (const auto& [name, stamp] : done) {
        struct stat info {};
        ASSERT_EQ(::stat(File("out/" + name).c_str(), &info), 0);
        EXPECT_EQ(info.st_ino, stamp.first) << name;
        EXPECT_EQ(info.st_mtim.tv_sec, stamp.second.tv_sec) << name;
        EXPECT_EQ(info.st_mtim.tv_nsec, stamp.second.tv_nsec) << name;
    }
    const auto lines = ReportLines("again.jsonl");
    ASSERT_EQ(lines.size(), static_cast<size_t>(kFiles) + 1);
    for (int i = 0; i < kFiles; ++i) {
        const std::string output = fs::path(lines[i]["output"].get<std::string>()).filename();
        EXPECT_EQ(lines[i]["status"], done.count(output) ? "skipped" : "converted") << output;
    }
    EXPECT_EQ(lines.back()["skipped"], done.size());
    EXPECT_EQ(lines.back()["failed"], 0);
}

// Names with a line break or bytes that are not UTF-8 keep every line valid
// JSON and come back exactly; a file that fails says why.
TEST_F(BatchRunTest, TheReportReadsBackWhateverTheNames) {
    fs::create_directories(File("in"));
    fs::create_directories(File("out"));
    const std::string newline = "in/two\nlines.hdr";
    const std::string latin1 = "in/caf\xE9.hdr";
    ASSERT_TRUE(test::WriteTestHdr(File(newline), 16, 8));
    ASSERT_TRUE(test::WriteTestHdr(File(latin1)));
    test_support::WriteFileBytes(File("in/broken.hdr"), "#?RADIANCE\nnot a picture\n");
    ProcessResult result = Run({"-q", "-i", "in", "-o", "out", "--report=r.jsonl"});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = ReportLines("r.jsonl");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(GetName(lines[0], "input"), "in/broken.hdr");
    EXPECT_EQ(lines[0]["status"], "failed");
    EXPECT_FALSE(lines[0]["cause"].get<std::string>().empty());
    EXPECT_EQ(GetName(lines[1], "input"), latin1);
    EXPECT_EQ(GetName(lines[1], "output"), File("out/caf\xE9.jpg"));
    EXPECT_EQ(GetName(lines[2], "input"), newline);
    EXPECT_EQ(lines[2]["status"], "converted");
    EXPECT_EQ(lines[2]["width_out"], 16);
    EXPECT_EQ(lines[2]["bytes"], fs::file_size(File("out/two\nlines.jpg")));
    EXPECT_EQ(lines[3]["type"], "summary");
    EXPECT_EQ(lines[3]["converted"], 2);
    EXPECT_EQ(lines[3]["failed"], 1);
}

// The rows of a JPEG below the top `skip` rows, as bytes.
std::string LowerRows(const std::string& path, int skip) {
    FIBITMAP* image = FreeImage_Load(FIF_JPEG, path.c_str(), 0);
    if (image == nullptr) return "";
    std::string bytes;
    const int height = static_cast<int>(FreeImage_GetHeight(image));
    const unsigned rowBytes = FreeImage_GetLine(image);
    for (int y = 0; y < height - skip; ++y) {  // scanline 0 is the bottom row
        const auto* row = reinterpret_cast<const char*>(FreeImage_GetScanLine(image, y));
        bytes.append(row, rowBytes);
    }
    FreeImage_Unload(image);
    return bytes;
}

double Mean(const std::string& bytes) {
    double sum = 0;
    for (unsigned char c : bytes) sum += c;
    return bytes.empty() ? 0 : sum / static_cast<double>(bytes.size());
}

// A still scene with a light in its top left corner that flashes every third
// frame: mapped frame by frame the rest of the scene pumps with the light;
// locked to the sequence's figures it stays the same bytes in every frame,
// however many shares measured and converted it.
TEST_F(BatchRunTest, ALockedSequenceDoesNotFlicker) {
    fs::create_directories(File("frames"));
    constexpr int kFrames = 12;
    for (int i = 0; i < kFrames; ++i) {
        const float light = i % 3 == 0 ? 400.0f : 0.0f;
        char name[32];
        std::snprintf(name, sizeof name, "frames/f%02d.hdr", i);
        ASSERT_TRUE(test_support::WriteHdrWithFreeImage(File(name), 48, 32, [light](int x, int y) {
            if (x < 8 && y < 8) return test_support::Rgb{light, light, light};
            const float level = 0.05f + 2.0f * static_cast<float>(x + y) / 80.0f;
            return test_support::Rgb{level, level * 0.7f, level * 0.4f};
        }));
    }
    auto frameOutput = [&](const std::string& folder, int i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%02d.jpg", i);
        return File(folder + name);
    };
    auto convert = [&](const std::string& folder, Lines options) {
        fs::create_directory(File(folder));
        Lines arguments{"-q", "-i", "frames", "-o", folder};
        arguments.insert(arguments.end(), options.begin(), options.end());
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 0) << folder << result.err;
    };

    convert("per-frame", {});
    EXPECT_GT(Mean(LowerRows(frameOutput("per-frame", 1), 8)),
              Mean(LowerRows(frameOutput("per-frame", 0), 8)) + 10);

    convert("measured", {"--measure-sequence=all.jsonl"});
    EXPECT_TRUE(fs::is_empty(File("measured")));
    convert("locked", {"--sequence-statistics=all.jsonl"});
    const std::string still = LowerRows(frameOutput("locked", 0), 8);
    ASSERT_FALSE(still.empty());
    for (int i = 1; i < kFrames; ++i) EXPECT_EQ(LowerRows(frameOutput("locked", i), 8), still) << i;

    // Three shares measure into files of their own, joined in any order.
    std::string joined;
    for (int index : {3, 1, 2}) {
        const std::string part = "part" + std::to_string(index) + ".jsonl";
        convert("measured",
                {"--shard=" + std::to_string(index) + "/3", "--measure-sequence=" + part});
        joined += test_support::ReadFileBytes(File(part));
    }
    test_support::WriteFileBytes(File("joined.jsonl"), joined);
    for (int index = 1; index <= 3; ++index)
        convert("shared",
                {"--shard=" + std::to_string(index) + "/3", "--sequence-statistics=joined.jsonl"});
    EXPECT_EQ(FilesBelow("shared"), FilesBelow("locked"));

    // Figures measured with the conversion's own resizing are those the frame
    // is mapped with on its own: a sequence of one frame gives its bytes.
    const Lines resize{"-i", "frames/f01.hdr", "--width=24", "--height=16"};
    for (const char* folder : {"alone", "measured-alone", "one-frame"})
        fs::create_directory(File(folder));
    auto with = [&](Lines extra) {
        Lines arguments{"-q"};
        arguments.insert(arguments.end(), resize.begin(), resize.end());
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        EXPECT_EQ(Run(arguments).exitCode, 0);
    };
    with({"-o", "alone"});
    with({"-o", "measured-alone", "--measure-sequence=one.jsonl"});
    with({"-o", "one-frame", "--sequence-statistics=one.jsonl"});
    EXPECT_EQ(FilesBelow("one-frame"), FilesBelow("alone"));

    // A window of frames follows the light, more gently than each frame alone.
    convert("smoothed", {"--sequence-statistics=all.jsonl", "--sequence-window=5"});
    EXPECT_EQ(FilesBelow("smoothed").size(), static_cast<size_t>(kFrames));
}

TEST_F(BatchRunTest, BadBatchOptionsAreRefusedBeforeAnyWork) {
    ASSERT_TRUE(test::WriteTestHdr(File("a.hdr")));
    fs::create_directory(File("out"));
    const std::pair<Lines, std::string> cases[] = {
        {{"--shard=4/3"},
         "Error: Invalid value for --shard: 4/3 (accepted: K/N, whole numbers with 1 <= K <= N)"},
        {{"--sequence-window=0"},
         "Error: Invalid value for --sequence-window: 0 (accepted: a whole number, 1 or more)"},
        {{"--sequence-window=3"}, "Error: --sequence-window needs --sequence-statistics"},
        {{"--skip-existing", "--filename-mask=%filename%_%width%.%ext%"},
         "Error: --skip-existing cannot find earlier outputs by a file-name mask with %width%"},
        {{"--sequence-statistics=missing.jsonl"},
         "Error: Invalid sequence statistics file: missing.jsonl (cannot be read)"},
        {{"--report=out/no/such/r.jsonl"},
         "Error: Cannot write the report file: out/no/such/r.jsonl (No such file or directory)"},
    };
    for (const auto& [options, error] : cases) {
        Lines arguments{"-q", "-i", "a.hdr", "-o", "out"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << error;
        EXPECT_EQ(result.err, error + "\n");
        EXPECT_TRUE(fs::is_empty(File("out"))) << error;
    }
}

}  // namespace
}  // namespace orvex
