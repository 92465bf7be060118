// The per-format report lines and checks, including the formats this build
// does not write, and the resolution of output folders.
#include "console/debug_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "console/console_run.h"
#include "imaging/watermark_font.h"

namespace orvex {
namespace {

struct Captured {
    std::vector<std::string> lines;
    RunReport Report(bool debug = true) {
        return RunReport([this](const std::string& line) { lines.push_back(line); }, debug);
    }
};

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
    EXPECT_EQ(CheckOutputOptions("tiff", s, tiff.Report()), "");
    EXPECT_EQ(tiff.lines, (std::vector<std::string>{"TIFF BPP: 0", "TIFF Compression: CCITTFAX3",
                                                    "TIFF Color Mode: LAB"}));
    Captured exr;
    CheckOutputOptions("exr", s, exr.Report());
    EXPECT_EQ(exr.lines.back(), "EXR Compression: ZIP");
    Captured png;
    CheckOutputOptions("png", s, png.Report());
    EXPECT_EQ(png.lines, (std::vector<std::string>{"PNG BPP: 0", "PNG Compression: ZLIB9",
                                                   "PNG Interlaced: 0"}));
}

TEST(CheckOutputOptions, DepthIsTestedBeforeQualityAndOnlyPrintedInDebugMode) {
    ConversionSettings s = Defaults();
    s.WebpQuality = 0;
    Captured quiet;
    EXPECT_EQ(CheckOutputOptions("webp", s, quiet.Report(false)),
              "Error: Invalid webp-quality value");
    EXPECT_TRUE(quiet.lines.empty());
    s.WebpBpp = 5;
    EXPECT_EQ(CheckOutputOptions("webp", s, quiet.Report(false)), "Error: Invalid webp-bpp value");
    s.JpgBpp = 24;
    EXPECT_EQ(CheckOutputOptions("jpg", s, quiet.Report(false)), "");
    s.JpgBpp = 16;
    EXPECT_EQ(CheckOutputOptions("jpg", s, quiet.Report(false)), "Error: Invalid jpg-bpp value");
    // An extension without a row prints and tests nothing.
    EXPECT_EQ(CheckOutputOptions("xyz", s, quiet.Report()), "");
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
    std::unique_ptr<WatermarkFont> font;
    Captured sink;
    for (float gamma : {0.01f, 9.99f, 1.0f}) {
        s.ImageGamma = gamma;
        EXPECT_EQ(CheckChainOptions(s, sink.Report(false), font), "") << gamma;
    }
    for (float gamma : {0.009f, 10.0f, NAN, INFINITY, -1.0f}) {
        s.ImageGamma = gamma;
        EXPECT_EQ(CheckChainOptions(s, sink.Report(false), font), "Error: Invalid gamma value");
    }
    EXPECT_EQ(FormatTwoDecimals(9.99f), "9.99");
    EXPECT_EQ(FormatTwoDecimals(0.01f), "0.01");
    EXPECT_EQ(FormatTwoDecimals(1.5f), "1.50");
}

TEST(CheckChainOptions, ATextWatermarkLoadsItsFontForTheWorker) {
    ConversionSettings s = Defaults();
    s.DoWatermark = 1;
    std::unique_ptr<WatermarkFont> font;
    Captured sink;
    EXPECT_EQ(CheckChainOptions(s, sink.Report(false), font), "");  // "Arial"
    EXPECT_NE(font, nullptr);
    s.Font = "No Such Face Xyzzy";
    EXPECT_EQ(CheckChainOptions(s, sink.Report(false), font), "Error: Invalid watermark font");
}

TEST(ResolveOutputFolder, RelativeFoldersHangBelowTheWorkingFolder) {
    EXPECT_EQ(ResolveOutputFolder("sub", "/work/"), "/work/sub/");
    EXPECT_EQ(ResolveOutputFolder("./sub/", "/work/"), "/work/sub/");
    EXPECT_EQ(ResolveOutputFolder(".", "/work/"), "/work/");
    EXPECT_EQ(ResolveOutputFolder("", "/work/"), "/work/");
    EXPECT_EQ(ResolveOutputFolder("/abs/out", "/work/"), "/abs/out/");
    EXPECT_EQ(FolderOf("pics/a.hdr"), "pics/");
    EXPECT_EQ(FolderOf("a.hdr"), "");
}

}  // namespace
}  // namespace orvex
