// End-to-end console runs of the real executable in temporary folders:
// report lines, error lines, exit codes and the files left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "console/console_test_support.h"

namespace orvex {
namespace {

using test::ProcessResult;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

const Lines kBanner{"Lumavert Orvex 3.1", "Copyright (c) 2026 Lumavert", "https://lumavert.example",
                    " "};

class ConsoleRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::WriteTestHdr(m_temp.File("a.hdr")));
        fs::create_directory(m_temp.File("out"));
    }

    ProcessResult Run(const Lines& arguments) { return test::RunOrvex(arguments, m_temp.Path()); }

    // A run that the checks refuse: the error line first (a refused input or
    // output folder is followed by a line with its cause), nothing converted.
    void ExpectRefused(const Lines& arguments, const std::string& errorLine) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << errorLine;
        ASSERT_FALSE(result.errLines().empty()) << errorLine;
        EXPECT_EQ(result.errLines().front(), errorLine);
        EXPECT_LE(result.errLines().size(), 2u) << result.err;
        EXPECT_FALSE(fs::exists(m_temp.File("out/a.jpg"))) << errorLine;
    }

    void ExpectConverted(const Lines& arguments) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(fs::exists(m_temp.File("out/a.jpg")));
        fs::remove(m_temp.File("out/a.jpg"));
    }

    std::string File(const std::string& name) const { return m_temp.File(name); }

    test_support::ScopedTempFolder m_temp{"console-run"};
};

TEST_F(ConsoleRunTest, ASuccessfulRunPrintsBannerStatusAndWritesTheJpeg) {
    ProcessResult result = Run({"-i", "a.hdr", "-o", "out"});
    Lines expected = kBanner;
    for (const char* line : {"Preparing...", "Importing...", "Import complete, new files added: 1",
                             "Converting...", "Conversion complete", "Files converted: 1 of 1"})
        expected.push_back(line);
    EXPECT_EQ(result.outLines(), expected);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(test::JpegSize(File("out/a.jpg")), std::make_pair(32u, 24u));
}

TEST_F(ConsoleRunTest, TheDebugReportListsTheOptionsInOrder) {
    ProcessResult result = Run({"-q", "-d", "-i", "a.hdr", "-o", File("out")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Lines expected{"Input: a.hdr",
                   "Output: " + File("out"),
                   "Conversion: jpg",
                   "JPG BPP: 0",
                   "JPG Quality: 95",
                   "JPG Chroma Subsampling: NONE",
                   "JPG Save As: STANDARD",
                   "Flip Horizontal: 0",
                   "Flip Vertical: 0",
                   "Greyscale: 0",
                   "Frame: NONE",
                   "Watermark: NONE",
                   "Filename Mask: %filename%.%ext%",
                   "File Timestamp: CURRENT",
                   "Keep Subfolders: 1",
                   "Processing: a.hdr"};
    Lines lines = result.outLines();
    ASSERT_GE(lines.size(), expected.size() + 2);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(lines[expected.size()].rfind("File Format: ", 0), 0u);
    EXPECT_EQ(lines.back(), "[OK] Saving As: " + File("out") + "/a.jpg");
}

TEST_F(ConsoleRunTest, DebugLinesOfTheSwitchedOnSteps) {
    ProcessResult result = Run({"-q", "-d", "-i", "a.hdr", "-o", "out", "--width=16", "--height=50",
                                "--height-unit=percent", "--resize-algorithm=lanczos",
                                "--gamma=1.5", "--fr-solid-left=2", "--file-timestamp=custom",
                                "--file-timestamp-custom=1000", "--dither=Bayer4",
                                "--drago-exposure=1.5", "--drago-saturation=0.5"});
    Lines lines = result.outLines();
    // Only the tone controls moved from their defaults are reported.
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Drago bias: 0.85"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Drago gamma: 1.00"), lines.end());
    for (const char* line :
         {"Width: 16 PIXELS", "Height: 50 PERCENT", "Keep Aspect Ratio: 0",
          "Image Resize Type: ALLIMAGES", "Image Resize Algorithm: LANCZOS", "Brightness: 0",
          "Contrast: 0", "Gamma: 1.50", "Invert: 0", "Image Dithering Algorithm: BAYER4",
          "Frame: SOLID", "Frame left: 2", "Frame opacity: 255", "File Timestamp: CUSTOM",
          "Custom Timestamp: 1000", "Drago exposure: 1.50", "Drago saturation: 0.50"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

TEST_F(ConsoleRunTest, InputChecks) {
    test_support::WriteFileBytes(File("empty.hdr"), "");
    fs::create_directory(File("folder.hdr"));
    fs::copy_file(File("a.hdr"), File("noext"));
    for (const char* input : {"noext", "missing.hdr", "folder.hdr", "empty.hdr"})
        ExpectRefused({"-i", input, "-o", "out"}, "Error: Invalid input file");
    ExpectRefused({"-i", std::string(10000, 'p') + ".hdr"}, "Error: Invalid input file");
}

TEST_F(ConsoleRunTest, OutputFolderChecks) {
    ExpectRefused({"-i", "a.hdr", "-o", "../out"}, "Error: Incorrect output folder");
    ExpectRefused({"-i", "a.hdr", "-o", "nowhere"}, "Error: Invalid output folder");
    ExpectRefused({"-i", "a.hdr", "-o", File("a.hdr")}, "Error: Invalid output folder");
    EXPECT_FALSE(fs::exists(File("nowhere")));  // never created
}

TEST_F(ConsoleRunTest, ConversionTypeIsComparedExactly) {
    ExpectRefused({"-i", "a.hdr", "-o", "out", "-c", "JPG"}, "Error: Invalid conversion type");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "-c", "png"}, "Error: Invalid conversion type");
    ExpectConverted({"-i", "a.hdr", "-o", "out", "-c", "jpg"});
}

TEST_F(ConsoleRunTest, OutputOptionLimits) {
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--jpg-bpp=32"}, "Error: Invalid jpg-bpp value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--jpg-quality=0"},
                  "Error: Invalid jpg-quality value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--jpg-quality=101"},
                  "Error: Invalid jpg-quality value");
    // The bit depth is tested before the quality.
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--jpg-quality=0", "--jpg-bpp=7"},
                  "Error: Invalid jpg-bpp value");
    ExpectConverted({"-i", "a.hdr", "-o", "out", "--jpg-quality=1"});
    ExpectConverted({"-i", "a.hdr", "-o", "out", "--jpg-quality=100", "--jpg-bpp=8"});
}

TEST_F(ConsoleRunTest, ChainOptionLimitsInTheirOrder) {
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--width=800"}, "Error: Invalid height value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--height=8"}, "Error: Invalid width value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--brightness=-101"},
                  "Error: Invalid brightness value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--contrast=101"}, "Error: Invalid contrast value");
    for (const char* gamma : {"0.009", "10", "nan", "-infinity"})
        ExpectRefused({"-i", "a.hdr", "-o", "out", std::string("--gamma=") + gamma},
                      "Error: Invalid gamma value");
    // The first failing test is the one reported.
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--gamma=0", "--width=5", "--jpg-quality=0"},
                  "Error: Invalid jpg-quality value");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--gamma=0", "--brightness=500"},
                  "Error: Invalid brightness value");

    ExpectConverted({"-i", "a.hdr", "-o", "out", "--width=16", "--height=12"});
    ExpectConverted({"-i", "a.hdr", "-o", "out", "--brightness=-100", "--gamma=0.01"});
    ExpectConverted({"-i", "a.hdr", "-o", "out", "--contrast=100", "--gamma=9.99"});
}

TEST_F(ConsoleRunTest, WatermarkChecks) {
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--wm-text=hello", "--wm-font=No Such Face Xyzzy"},
                  "Error: Invalid watermark font");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--wm-image=missing.png"},
                  "Error: Invalid watermark image");
    test_support::WriteFileBytes(File("empty.png"), "");
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--wm-image=empty.png"},
                  "Error: Invalid watermark image");
    // "--wm-image" then "--wm-text": the text watermark decides, and the
    // missing image no longer matters.
    ExpectRefused({"-i", "a.hdr", "-o", "out", "--wm-image=missing.png", "--wm-text=x",
                   "--wm-font=No Such Face Xyzzy"},
                  "Error: Invalid watermark font");
}

TEST_F(ConsoleRunTest, ArgumentErrorsComeBeforeTheBanner) {
    for (const Lines& arguments : {Lines{"-o", "out", "-i"}, Lines{"-i", "-o", "out"},
                                   Lines{"-i", "a.hdr", "--jpg-quality"}}) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Error: Incorrect number of parameters\n");
    }
    ProcessResult profile = Run({"-i", "a.hdr", "--profile=missing.ini"});
    EXPECT_EQ(profile.exitCode, 2);
    EXPECT_EQ(profile.err, "Error: Invalid profile file\n");
}

TEST_F(ConsoleRunTest, QuietModePrintsNothingOnSuccessAndStillReportsFailure) {
    ProcessResult ok = Run({"-q", "-i", "a.hdr", "-o", "out"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out, "");
    EXPECT_EQ(ok.err, "");
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));

    test_support::WriteFileBytes(File("list.txt"), "a.hdr\n");
    ProcessResult none = Run({"--quiet", "-i", "list.txt", "-o", "out"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.outLines(),
              (Lines{"Conversion stopped",
                     "No input file(s) found. Please, add valid file(s) and try again!"}));
}

TEST_F(ConsoleRunTest, ListsAndOtherFileTypesImportNothing) {
    // Only the extension decides; the contents would not matter.
    for (const char* input : {"list.txt", "list.TXT", "list.lst", "pic.png"}) {
        test_support::WriteFileBytes(File(input), "a.hdr\n");
        ProcessResult result = Run({"-i", input, "-o", "out"});
        EXPECT_EQ(result.exitCode, 1) << input;
        Lines lines = result.outLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
                  (Lines{"Import complete, new files added: 0", "Conversion stopped",
                         "No input file(s) found. Please, add valid file(s) and try again!"}))
            << input;
    }
    EXPECT_TRUE(fs::is_empty(File("out")));
}

TEST_F(ConsoleRunTest, AMalformedPictureStopsTheConversionWithoutAnOutputFile) {
    test_support::WriteFileBytes(File("bad.hdr"),
                                 "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4000 +X 4000\nxx");
    ProcessResult result = Run({"-d", "-i", "bad.hdr", "-o", "out"});
    EXPECT_EQ(result.exitCode, 1);
    Lines lines = result.outLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[ERROR] Unable to convert the file!"),
              lines.end());
    EXPECT_EQ(lines.back(), "Conversion stopped");
    EXPECT_TRUE(fs::is_empty(File("out")));
}

TEST_F(ConsoleRunTest, RelativeOutputFoldersAreTakenFromTheWorkingFolder) {
    fs::create_directory(File("sub"));
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "sub"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(File("sub/a.jpg")));
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "./out"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
    // A bare input name without "-o" writes beside the input.
    EXPECT_EQ(Run({"-q", "-i", "a.hdr"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(File("a.jpg")));
}

TEST_F(ConsoleRunTest, QuietDebugPrintsReportAndFileLinesOnly) {
    ProcessResult result = Run({"-q", "-d", "-i", "a.hdr", "-o", "out"});
    EXPECT_EQ(result.exitCode, 0);
    for (const std::string& line : result.outLines()) {
        for (const char* status : {"Preparing...", "Importing...", "Converting...",
                                   "Conversion complete", "Lumavert Orvex 3.1"})
            EXPECT_NE(line, status);
    }
    EXPECT_EQ(result.outLines().front(), "Input: a.hdr");
}

TEST_F(ConsoleRunTest, ProfilesApplyWhereTheyStand) {
    test_support::WriteFileBytes(
        File("p.ini"),
        "\xEF\xBB\xBF[Output]\r\n--JPG-QUALITY = 10\r\n[CLI]\r\n--JPG-QUALITY = 80\r\n"
        "--FR-SOLID-OPACITY = 100\r\n--WM-SOLID-OPACITY = 128\r\n"
        "--FR-SOLID-TOP = 3\r\n--RESIZE-ALGORITHM = bspline\r\n");
    auto has = [](const ProcessResult& result, const std::string& line) {
        Lines lines = result.outLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    ProcessResult after =
        Run({"-q", "-d", "-i", "a.hdr", "-o", "out", "--jpg-quality=95", "--profile=p.ini"});
    EXPECT_TRUE(has(after, "JPG Quality: 80"));
    EXPECT_TRUE(has(after, "Frame opacity: 128"));
    EXPECT_TRUE(has(after, "Frame top: 3"));
    ProcessResult before = Run({"-q", "-d", "-i", "a.hdr", "-o", "out", "--profile=p.ini",
                                "--jpg-quality=95", "--fr-solid-opacity=7"});
    EXPECT_TRUE(has(before, "JPG Quality: 95"));
    EXPECT_TRUE(has(before, "Frame opacity: 7"));
}

TEST_F(ConsoleRunTest, ProfilesThatAreNoProfilesDoNotHurt) {
    fs::create_directory(File("dir.ini"));
    EXPECT_EQ(Run({"-i", "a.hdr", "--profile=dir.ini"}).err, "Error: Invalid profile file\n");
    std::string garbage;
    for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 251);
    test_support::WriteFileBytes(File("garbage.ini"), garbage);
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "out", "--profile=garbage.ini"}).exitCode, 0);
    std::string text;
    while (text.size() < 10 * 1024 * 1024) text += "key number something = value\n";
    test_support::WriteFileBytes(File("big.ini"), text);
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "out", "--profile=big.ini"}).exitCode, 0);
}

TEST_F(ConsoleRunTest, QuotedPathsSplitByTheCallerAreJoinedBack) {
    fs::copy_file(File("a.hdr"), File("my holiday pic.hdr"));
    fs::create_directory(File("out dir"));
    ProcessResult result =
        Run({"-q", "-i", "\"my", "holiday", "pic.hdr\"", "-o", "\"out", "dir\""});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(File("out dir/my holiday pic.jpg")));
}

TEST_F(ConsoleRunTest, AVeryLongMaskFailsTheFileNotTheProgram) {
    std::string mask(10000, 'm');
    ProcessResult result = Run({"-d", "-i", "a.hdr", "-o", "out", "--filename-mask=" + mask});
    EXPECT_EQ(result.exitCode, 1);
    Lines lines = result.outLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Filename Mask: " + mask), lines.end());
    EXPECT_EQ(lines.back(), "Conversion stopped");
}

TEST_F(ConsoleRunTest, TwoRunsAtTheSameTimeBothConvert) {
    fs::copy_file(File("a.hdr"), File("b.hdr"));
    test::Process first(ORVEX_EXECUTABLE, {"-q", "-i", "a.hdr", "-o", "out"}, m_temp.Path());
    test::Process second(ORVEX_EXECUTABLE, {"-q", "-i", "b.hdr", "-o", "out"}, m_temp.Path());
    first.Start();
    second.Start();
    EXPECT_EQ(first.Wait().exitCode, 0);
    EXPECT_EQ(second.Wait().exitCode, 0);
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
    EXPECT_TRUE(fs::exists(File("out/b.jpg")));
}

TEST_F(ConsoleRunTest, PauseDoesNotWaitWithoutATerminal) {
    ProcessResult result = Run({"-q", "-p", "-i", "a.hdr", "-o", "out"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    ProcessResult refused = Run({"-p", "-i"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.out, "");
}


TEST_F(ConsoleRunTest, AJpegQualityOfTenWritesASmallerFileThanNinetyFive) {
    test::WriteTestHdr(File("big.hdr"), 320, 240);
    fs::create_directory(File("q10"));
    fs::create_directory(File("q95"));
    ASSERT_EQ(Run({"-q", "-i", "big.hdr", "-o", "q10", "--jpg-quality=10"}).exitCode, 0);
    ASSERT_EQ(Run({"-q", "-i", "big.hdr", "-o", "q95", "--jpg-quality=95"}).exitCode, 0);
    const auto low = fs::file_size(File("q10/big.jpg"));
    const auto high = fs::file_size(File("q95/big.jpg"));
    EXPECT_LT(low * 2, high) << low << " vs " << high;
}

// Regression: a working folder removed after the process entered it made
// "-o ." the root folder.
TEST_F(ConsoleRunTest, ADeletedWorkingFolderIsAnInvalidOutputFolder) {
    fs::create_directory(File("gone"));
    const std::string script = "cd gone && rmdir ../gone && exec \"$0\" -i " + File("a.hdr") +
                               " -o .";
    test::Process process("/bin/sh", {"-c", script, ORVEX_EXECUTABLE}, m_temp.Path());
    process.Start();
    ProcessResult result = process.Wait();
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.errLines(),
              (Lines{"Error: Invalid output folder",
                     "orvex: .: the working folder it is taken from no longer exists"}));
}

// Regression: "./../x" escaped the working folder while "..cache" was refused.
TEST_F(ConsoleRunTest, OutputFolderEscapesAreJudgedOnceResolved) {
    ExpectRefused({"-i", "a.hdr", "-o", "./../out"}, "Error: Incorrect output folder");
    ExpectRefused({"-i", "a.hdr", "-o", "out/../../out"}, "Error: Incorrect output folder");
    fs::create_directory(File("..cache"));
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "..cache"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(File("..cache/a.jpg")));
}

// Regression: a mask could write folders above the output folder.
TEST_F(ConsoleRunTest, AMaskWithAFolderPartFailsTheFile) {
    fs::create_directories(File("deep/out"));
    ProcessResult result = Run({"-d", "-i", "a.hdr", "-o", "deep/out",
                                "--filename-mask=../../x_%filename%.%ext%"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(fs::exists(File("x_a.jpg")));
    Lines lines = result.outLines();
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                               return line.rfind("[ERROR] The file-name mask", 0) == 0;
                           }),
              lines.end());
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "out", "--filename-mask=.."}).exitCode, 1);
}

// Regression: placeholders inside the input's own name were expanded, so
// outputs of different inputs collided.
TEST_F(ConsoleRunTest, PlaceholdersInsideTheInputNameStayAsTheyAre) {
    test::WriteTestHdr(File("rep%n%.hdr"));
    test::WriteTestHdr(File("x%ext%.hdr"));
    EXPECT_EQ(Run({"-q", "-i", "rep%n%.hdr", "-o", "out"}).exitCode, 0);
    EXPECT_EQ(Run({"-q", "-i", "x%ext%.hdr", "-o", "out"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(File("out/rep%n%.jpg")));
    EXPECT_TRUE(fs::exists(File("out/x%ext%.jpg")));
}

// Regression: a line break in a file name could forge an "[OK] Saving As:" line.
TEST_F(ConsoleRunTest, PrintedPathsShowControlCharactersEscaped) {
    const std::string name = "evil\n[OK] Saving As: fake.hdr";
    test::WriteTestHdr(File(name));
    ProcessResult result = Run({"-d", "-i", name, "-o", "out"});
    EXPECT_EQ(result.exitCode, 0);
    Lines lines = result.outLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[OK] Saving As: fake.hdr"), 0);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Processing: evil\\n[OK] Saving As: fake.hdr"),
              lines.end());
    for (const std::string& line : lines) {
        if (line.rfind("[OK]", 0) == 0) {
            EXPECT_NE(line.find("\\n"), std::string::npos) << line;
        }
    }
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// Regression: a watermark picture that cannot be decoded was silently left
// out while the file counted as converted.
TEST(ConsoleRunWatermark, AnUndecodableWatermarkPictureIsRefusedBeforeAnyWork) {
    test_support::ScopedTempFolder temp("wm-refused");
    ASSERT_TRUE(test::WriteTestHdr(temp.File("a.hdr")));
    std::filesystem::create_directory(temp.File("out"));
    temp.WriteFile("logo.txt", "this is no picture\n");
    temp.WriteFile("logo.gif", "GIF89a\x01\x00\x01\x00");
    for (const char* logo : {"logo.txt", "logo.gif"}) {
        test::ProcessResult result =
            test::RunOrvex({"-i", "a.hdr", "-o", "out", std::string("--wm-image=") + logo},
                           temp.Path());
        EXPECT_EQ(result.exitCode, 2) << logo;
        EXPECT_EQ(result.err, "Error: Invalid watermark image\n") << logo;
        EXPECT_TRUE(std::filesystem::is_empty(temp.File("out"))) << logo;
    }
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

class ConsoleBatchTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(temp.File("out")); }
    void Picture(const std::string& name) {
        fs::create_directories(fs::path(temp.File(name)).parent_path());
        ASSERT_TRUE(test::WriteTestHdr(temp.File(name)));
    }
    ProcessResult Run(const Lines& arguments) { return test::RunOrvex(arguments, temp.Path()); }
    test_support::ScopedTempFolder temp{"console-batch"};
};

TEST_F(ConsoleBatchTest, SeveralInputsAreNumberedInQueueOrderWhateverTheJobs) {
    for (const char* name : {"a.hdr", "b.hdr", "c.hdr", "d.hdr"}) Picture(name);
    test_support::WriteFileBytes(temp.File("broken.hdr"), "#?RADIANCE\nbroken");
    std::string firstBytes;
    for (const char* jobs : {"--jobs=1", "--jobs=2", "--jobs=4"}) {
        fs::remove_all(temp.File("out"));
        fs::create_directory(temp.File("out"));
        ProcessResult result = Run({"-i", "a.hdr", "-i", "broken.hdr", "-i", "b.hdr", "-i",
                                    "c.hdr", "-i", "d.hdr", "-o", "out", jobs,
                                    "--filename-mask=%n%_%filename%.%ext%"});
        // A failed file uses up no number, and the run reports it and exits 1.
        EXPECT_EQ(result.exitCode, 1) << jobs;
        for (const char* name : {"00001_a.jpg", "00002_b.jpg", "00003_c.jpg", "00004_d.jpg"})
            EXPECT_TRUE(fs::exists(temp.File(std::string("out/") + name))) << jobs << " " << name;
        Lines lines = result.outLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Import complete, new files added: 5"),
                  lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Files converted: 4 of 5"), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Not converted: broken.hdr"), lines.end());
        // Files converted side by side are written exactly as one at a time.
        const std::string bytes = test_support::ReadFileBytes(temp.File("out/00001_a.jpg"));
        if (firstBytes.empty()) firstBytes = bytes;
        EXPECT_EQ(bytes, firstBytes) << jobs;
    }
}

TEST_F(ConsoleBatchTest, DebugLinesOfABatchComeInQueueOrder) {
    for (const char* name : {"a.hdr", "b.hdr", "c.hdr"}) Picture(name);
    ProcessResult result =
        Run({"-d", "-q", "-i", "c.hdr", "-i", "a.hdr", "-i", "b.hdr", "-o", "out", "--jobs=3"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Lines processing;
    for (const std::string& line : result.outLines()) {
        if (line.rfind("Processing: ", 0) == 0) processing.push_back(line);
    }
    EXPECT_EQ(processing, (Lines{"Processing: c.hdr", "Processing: a.hdr", "Processing: b.hdr"}));
}

TEST_F(ConsoleBatchTest, AFolderInputTakesItsPicturesAndKeepsItsSubFolders) {
    Picture("pics/one.hdr");
    Picture("pics/two.HDR");
    Picture("pics/deeper/three.hdr");
    test_support::WriteFileBytes(temp.File("pics/notes.txt"), "not a picture");
    ProcessResult result = Run({"-q", "-i", "pics", "-o", "out", "--jobs=2"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(fs::exists(temp.File("out/one.jpg")));
    EXPECT_TRUE(fs::exists(temp.File("out/two.jpg")));
    EXPECT_TRUE(fs::exists(temp.File("out/deeper/three.jpg")));

    // Without sub-folders only the folder's own pictures are taken.
    fs::remove_all(temp.File("out"));
    fs::create_directory(temp.File("out"));
    EXPECT_EQ(Run({"-q", "-i", "pics", "-o", "out", "--no-subfolders"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(temp.File("out/one.jpg")));
    EXPECT_FALSE(fs::exists(temp.File("out/three.jpg")));
    EXPECT_FALSE(fs::exists(temp.File("out/deeper")));

    // No output folder: the pictures land beside their inputs.
    EXPECT_EQ(Run({"-q", "-i", "pics"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(temp.File("pics/deeper/three.jpg")));
}

TEST_F(ConsoleBatchTest, BadInputsAndJobCountsAreRefusedBeforeAnyWork) {
    Picture("a.hdr");
    ProcessResult missing = Run({"-i", "a.hdr", "-i", "missing.hdr", "-o", "out"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.errLines(), (Lines{"Error: Invalid input file",
                                         "orvex: missing.hdr: No such file or directory"}));
    for (const char* jobs : {"--jobs=0", "--jobs=-2", "--jobs=two"}) {
        ProcessResult result = Run({"-i", "a.hdr", "-o", "out", jobs});
        EXPECT_EQ(result.exitCode, 2) << jobs;
    }
    EXPECT_TRUE(fs::is_empty(temp.File("out")));
}

}  // namespace
}  // namespace orvex
