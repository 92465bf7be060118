// The per-format report lines and checks, including the formats this build
// does not write, and the resolution of output folders.
#include "run/run_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "run/conversion_run.h"
#include "support/temp_folder.h"
#include "drawing/watermark_font.h"

namespace orvex {
namespace {

struct Captured {
    std::vector<std::string> lines;
    RunReport Report(bool debug = true) {
        return RunReport([this](const std::string& line) { lines.push_back(line); }, debug);
    }
};

// The checks as the console shows them: its error line, or "".
std::string CheckOutput(std::string_view extension, const ConversionSettings& s,
                        const RunReport& report) {
    return ConsoleErrorLine(CheckOutputOptions(extension, s, report));
}
std::string CheckChain(const ConversionSettings& s, const RunReport& report,
                       std::shared_ptr<const WatermarkFont>& font) {
    return ConsoleErrorLine(CheckChainOptions(s, report, font));
}

ConversionSettings Defaults() {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, true);
    return settings;
}

TEST(CheckOutputOptions, CompressionWordsAreThoseOfTheWriterShown) {
    ConversionSettings s = Defaults();
    s.TiffCompression = 1;
    s.ExrCompression = 1;
    s.PngCompression = 3;
    s.TiffColorMode = 2;
    Captured tiff;
    EXPECT_EQ(CheckOutput("tiff", s, tiff.Report()), "");
    EXPECT_EQ(tiff.lines, (std::vector<std::string>{"TIFF BPP: 0", "TIFF Compression: CCITTFAX3",
                                                    "TIFF Color Mode: LAB"}));
    Captured exr;
    CheckOutput("exr", s, exr.Report());
    EXPECT_EQ(exr.lines.back(), "EXR Compression: ZIP");
    Captured png;
    CheckOutput("png", s, png.Report());
    EXPECT_EQ(png.lines, (std::vector<std::string>{"PNG BPP: 0", "PNG Compression: ZLIB9",
                                                   "PNG Interlaced: 0"}));
}

TEST(CheckOutputOptions, DepthIsTestedBeforeQualityAndOnlyPrintedInDebugMode) {
    ConversionSettings s = Defaults();
    s.WebpQuality = 0;
    Captured quiet;
    EXPECT_EQ(CheckOutput("webp", s, quiet.Report(false)),
              "Error: Invalid webp-quality value");
    EXPECT_TRUE(quiet.lines.empty());
    s.WebpBpp = 5;
    EXPECT_EQ(CheckOutput("webp", s, quiet.Report(false)), "Error: Invalid webp-bpp value");
    s.JpgBpp = 24;
    EXPECT_EQ(CheckOutput("jpg", s, quiet.Report(false)), "");
    s.JpgBpp = 16;
    EXPECT_EQ(CheckOutput("jpg", s, quiet.Report(false)), "Error: Invalid jpg-bpp value");
    // An extension without a row prints and tests nothing.
    EXPECT_EQ(CheckOutput("xyz", s, quiet.Report()), "");
    EXPECT_TRUE(quiet.lines.empty());
}

TEST(ReportInputOptions, RawPrintsItsFiveLinesAndHdrNothing) {
    ConversionSettings s = Defaults();
    s.RawLoadAs = 4;
    Captured raw;
    ReportInputOptions("raw", s, raw.Report());
    EXPECT_EQ(raw.lines, (std::vector<std::string>{"RAW Load As: 48HS", "RAW Header Size: 0",
                                                   "RAW Image Width: 0", "RAW Image Height: 0",
                                                   "RAW Tone Mapping: AL"}));
    Captured hdr;
    ReportInputOptions("hdr", s, hdr.Report());
    EXPECT_TRUE(hdr.lines.empty());
}

TEST(CheckChainOptions, GammaLimitsAreInclusiveAndNanFails) {
    ConversionSettings s = Defaults();
    s.DoImageColorCorrection = 1;
    std::shared_ptr<const WatermarkFont> font;
    Captured sink;
    for (float gamma : {0.01f, 9.99f, 1.0f}) {
        s.ImageGamma = gamma;
        EXPECT_EQ(CheckChain(s, sink.Report(false), font), "") << gamma;
    }
    for (float gamma : {0.009f, 10.0f, NAN, INFINITY, -1.0f}) {
        s.ImageGamma = gamma;
        EXPECT_EQ(CheckChain(s, sink.Report(false), font), "Error: Invalid gamma value");
    }
    EXPECT_EQ(FormatTwoDecimals(9.99f), "9.99");
    EXPECT_EQ(FormatTwoDecimals(0.01f), "0.01");
    EXPECT_EQ(FormatTwoDecimals(1.5f), "1.50");
}

TEST(CheckChainOptions, ATextWatermarkLoadsItsFontForTheWorker) {
    ConversionSettings s = Defaults();
    s.DoWatermark = 1;
    std::shared_ptr<const WatermarkFont> font;
    Captured sink;
    EXPECT_EQ(CheckChain(s, sink.Report(false), font), "");  // "Arial"
    EXPECT_NE(font, nullptr);
    s.Font = "No Such Face Xyzzy";
    EXPECT_EQ(CheckChain(s, sink.Report(false), font), "Error: Invalid watermark font");
}

TEST(ResolveOutputFolder, RelativeFoldersHangBelowTheWorkingFolder) {
    test_support::ScopedTempFolder work("resolve");
    const std::string root = work.Path();  // ends with "/"
    std::filesystem::create_directories(root + "sub");
    std::filesystem::create_directories(root + "..cache");
    std::string resolved;
    EXPECT_TRUE(ResolveOutputFolder("sub", root, resolved).ok());
    EXPECT_EQ(resolved, root + "sub/");
    EXPECT_TRUE(ResolveOutputFolder("./sub/", root, resolved).ok());
    EXPECT_EQ(resolved, root + "sub/");
    EXPECT_TRUE(ResolveOutputFolder(".", root, resolved).ok());
    EXPECT_EQ(resolved, root);
    EXPECT_TRUE(ResolveOutputFolder("", root, resolved).ok());
    EXPECT_EQ(resolved, root);
    EXPECT_TRUE(ResolveOutputFolder(root + "sub", "/elsewhere/", resolved).ok());
    EXPECT_EQ(resolved, root + "sub/");
    EXPECT_EQ(ResolveOutputFolder("missing", root, resolved).fault, RunFault::InvalidOutputFolder);
    EXPECT_EQ(resolved, "");
    EXPECT_EQ(FolderOf("pics/a.hdr"), "pics/");
    EXPECT_EQ(FolderOf("a.hdr"), "");
}

// The rule follows what the folder is, not how it is spelled.
TEST(ResolveOutputFolder, OutputsEscapeTheWorkingFolderOnlyByResolvedParts) {
    test_support::ScopedTempFolder work("escape");
    const std::string root = work.Path();
    std::filesystem::create_directories(root + "..cache");
    std::filesystem::create_directories(root + "a/b");
    std::string resolved;
    EXPECT_EQ(ResolveOutputFolder("../work", root, resolved).fault,
              RunFault::IncorrectOutputFolder);
    EXPECT_EQ(ResolveOutputFolder("./../work", root, resolved).fault,
              RunFault::IncorrectOutputFolder);
    EXPECT_EQ(ResolveOutputFolder("a/../../work", root, resolved).fault,
              RunFault::IncorrectOutputFolder);
    EXPECT_TRUE(ResolveOutputFolder("..cache", root, resolved).ok());
    EXPECT_EQ(resolved, root + "..cache/");
    EXPECT_TRUE(ResolveOutputFolder("a/b/..", root, resolved).ok());
    EXPECT_EQ(resolved, root + "a/");
}

// A working folder removed after the process entered it resolves nothing,
// rather than the root folder.
TEST(ResolveOutputFolder, ADeletedWorkingFolderIsAnInvalidOutputFolder) {
    std::string resolved;
    EXPECT_EQ(ResolveOutputFolder(".", "", resolved).fault, RunFault::InvalidOutputFolder);
    EXPECT_EQ(ResolveOutputFolder("out", "", resolved).fault, RunFault::InvalidOutputFolder);
    EXPECT_EQ(resolved, "");
}

TEST(RunFault, EveryFaultHasAConsoleLineAndADesktopMessage) {
    for (int code = static_cast<int>(RunFault::InvalidInputFile);
         code <= static_cast<int>(RunFault::InvalidWatermarkImage); ++code) {
        const RunCheck check{static_cast<RunFault>(code), "jpg"};
        EXPECT_EQ(ConsoleErrorLine(check).rfind("Error: ", 0), 0u) << code;
        EXPECT_STRNE(MessageKey(check.fault), "") << code;
    }
    EXPECT_EQ(ConsoleErrorLine(RunCheck{}), "");
    EXPECT_EQ(ConsoleErrorLine(RunCheck{RunFault::InvalidQuality, "webp"}),
              "Error: Invalid webp-quality value");
    EXPECT_STREQ(MessageKey(RunFault::InvalidWatermarkFont), "Invalid watermark font");
}

}  // namespace
}  // namespace orvex
