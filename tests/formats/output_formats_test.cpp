// The writer table, depth choice and the flags handed to each writer.
#include "formats/output_formats.h"

#include <gtest/gtest.h>

#include "settings/conversion_settings.h"
#include "settings/project_state.h"

namespace orvex {
namespace {

TEST(OutputFormatTable, HoldsTheTwentyWritersInOrder) {
    const std::vector<std::string> expected{"bmp", "exr", "gif",  "hdr",  "ico",  "j2k", "jng",
                                            "jp2", "jpg", "jxr",  "pbm",  "pfm",  "pgm", "png",
                                            "ppm", "tga", "tiff", "wbmp", "webp", "xpm"};
    const auto& table = OutputFormatTable();
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].extension, expected[i]);

    const OutputFormatRow* jpg = FindOutputFormat("jpg");
    ASSERT_NE(jpg, nullptr);
    EXPECT_EQ(jpg->format, 2);
    EXPECT_EQ(jpg->description, "JPEG File Format");
    EXPECT_EQ(jpg->depths, "8,24");
    // The ASCII portable maps and a few numbers that differ from the order.
    EXPECT_EQ(FindOutputFormat("pbm")->format, 7);
    EXPECT_EQ(FindOutputFormat("pgm")->format, 11);
    EXPECT_EQ(FindOutputFormat("ppm")->format, 14);
    EXPECT_EQ(FindOutputFormat("exr")->format, 29);
    EXPECT_EQ(FindOutputFormat("jxr")->format, 36);
    EXPECT_EQ(FindOutputFormat("webp")->format, 35);
    EXPECT_EQ(FindOutputFormat("tiff")->depths, "1,4,8,24,32,48,96");
}

TEST(OutputFormatTable, DepthOnlyFormatsAndOtherNamesHaveNoRow) {
    for (const char* extension : {"dds", "pcx", "psd", "JPG", "jpeg", "", "tif"}) {
        EXPECT_EQ(FindOutputFormat(extension), nullptr) << extension;
    }
}

TEST(IsAllowedDepth, AcceptsAutomaticAndListedDepthsOnly) {
    EXPECT_TRUE(IsAllowedDepth("jpg", 0));
    EXPECT_TRUE(IsAllowedDepth("jpg", 24));
    EXPECT_TRUE(IsAllowedDepth("jpg", 8));
    EXPECT_FALSE(IsAllowedDepth("jpg", 32));
    EXPECT_FALSE(IsAllowedDepth("jpg", 2));  // not a prefix match of "24"
    EXPECT_FALSE(IsAllowedDepth("jpg", 4));  // not a suffix match of "24"
    EXPECT_FALSE(IsAllowedDepth("jpg", -24));
    EXPECT_TRUE(IsAllowedDepth("tiff", 96));  // last entry of the list
    EXPECT_TRUE(IsAllowedDepth("bmp", 1));    // first entry
    EXPECT_FALSE(IsAllowedDepth("nope", 24));
    EXPECT_TRUE(IsAllowedDepth("nope", 0));
}

struct AutoDepthCase {
    const char* extension;
    int32_t source;
    int32_t expected;
};

class ChooseAutoBitDepthTest : public testing::TestWithParam<AutoDepthCase> {};

TEST_P(ChooseAutoBitDepthTest, PicksFirstDepthHoldingTheSourceElseTheLargest) {
    const AutoDepthCase& c = GetParam();
    EXPECT_EQ(ChooseAutoBitDepth(c.extension, c.source), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Depths, ChooseAutoBitDepthTest,
                         testing::Values(AutoDepthCase{"jpg", 96, 24}, AutoDepthCase{"jpg", 8, 8},
                                         AutoDepthCase{"jpg", 9, 24}, AutoDepthCase{"jpg", 1, 8},
                                         AutoDepthCase{"png", 16, 24},
                                         AutoDepthCase{"tiff", 64, 96},
                                         AutoDepthCase{"tiff", 96, 96}, AutoDepthCase{"pbm", 96, 1},
                                         AutoDepthCase{"xpm", 8, 24}, AutoDepthCase{"bmp", 32, 32},
                                         AutoDepthCase{"unknown", 24, 0}));

TEST(DepthSettingFor, ReadsTheFieldOfEachExtension) {
    ConversionSettings s;
    s.JpgBpp = 8;
    s.TiffBpp = 48;
    s.DdsBpp = 32;
    s.WbmpBpp = 1;
    EXPECT_EQ(DepthSettingFor("jpg", s), 8);
    EXPECT_EQ(DepthSettingFor("tiff", s), 48);
    EXPECT_EQ(DepthSettingFor("dds", s), 32);  // a field without a writer row
    EXPECT_EQ(DepthSettingFor("wbmp", s), 1);
    EXPECT_EQ(DepthSettingFor("png", s), 0);
    EXPECT_EQ(DepthSettingFor("emf", s), 0);
}

TEST(SaveFlagsFor, JpegCombinesQualityChromaAndMode) {
    ConversionSettings s;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 95 + 65536);
    s.JpgQuality = 80;
    s.JpgChroma = 2;
    s.JpgSaveAs = 3;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 24656);
    s.JpgQuality = 100;
    s.JpgChroma = 3;
    s.JpgSaveAs = 1;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 100 + 4096 + 262144);
    s.JpgChroma = 1;
    s.JpgSaveAs = 2;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 100 + 32768 + 131072);
}

TEST(SaveFlagsFor, UnlistedValuesAddNothing) {
    ConversionSettings s;
    s.JpgChroma = 7;
    s.JpgSaveAs = -1;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 95);
    // A quality outside 1..100 must not spill into the chroma bits.
    s.JpgQuality = 65536 + 95;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 0);
    s.JpgQuality = 0;
    s.JpgChroma = 0;
    EXPECT_EQ(SaveFlagsFor("jpg", s), 65536);
    s.BmpCompression = 2;
    s.ExrCompression = 5;
    s.PngCompression = 4;
    s.PngInterlaced = 2;
    s.TiffCompression = 9;
    s.TiffColorMode = 3;
    EXPECT_EQ(SaveFlagsFor("bmp", s), 0);
    EXPECT_EQ(SaveFlagsFor("exr", s), 0);
    EXPECT_EQ(SaveFlagsFor("png", s), 0);
    EXPECT_EQ(SaveFlagsFor("tiff", s), 0);
}

TEST(SaveFlagsFor, WebpLosslessAtFullQuality) {
    ConversionSettings s;
    EXPECT_EQ(SaveFlagsFor("webp", s), 256);
    s.WebpQuality = 99;
    EXPECT_EQ(SaveFlagsFor("webp", s), 99);
    s.WebpQuality = 1;
    EXPECT_EQ(SaveFlagsFor("webp", s), 1);
}

TEST(SaveFlagsFor, TiffCompressionAndColourModel) {
    ConversionSettings s;
    EXPECT_EQ(SaveFlagsFor("tiff", s), 2048);
    s.TiffCompression = 6;
    s.TiffColorMode = 1;
    EXPECT_EQ(SaveFlagsFor("tiff", s), 16385);
    s.TiffColorMode = 2;  // LAB writes the default model
    EXPECT_EQ(SaveFlagsFor("tiff", s), 16384);
    const int32_t expected[] = {2048, 4096, 8192, 256, 512, 1024, 16384, 32768, 65536};
    s.TiffColorMode = 0;
    for (int32_t value = 0; value <= 8; ++value) {
        s.TiffCompression = value;
        EXPECT_EQ(SaveFlagsFor("tiff", s), expected[value]) << value;
    }
}

TEST(SaveFlagsFor, OtherWriters) {
    ConversionSettings s;
    EXPECT_EQ(SaveFlagsFor("bmp", s), 0);
    s.BmpCompression = 1;
    EXPECT_EQ(SaveFlagsFor("bmp", s), 1);
    s.BmpColorTable = 1;  // carried, never a flag
    EXPECT_EQ(SaveFlagsFor("bmp", s), 1);

    const int32_t exr[] = {2, 4, 8, 16, 32};
    for (int32_t value = 0; value <= 4; ++value) {
        s.ExrCompression = value;
        EXPECT_EQ(SaveFlagsFor("exr", s), exr[value]) << value;
    }

    EXPECT_EQ(SaveFlagsFor("png", s), 256);
    s.PngCompression = 2;
    s.PngInterlaced = 1;
    EXPECT_EQ(SaveFlagsFor("png", s), 6 | 512);
    s.PngCompression = 3;
    s.PngInterlaced = 0;
    EXPECT_EQ(SaveFlagsFor("png", s), 9);
    s.PngCompression = 1;
    EXPECT_EQ(SaveFlagsFor("png", s), 1);

    EXPECT_EQ(SaveFlagsFor("tga", s), 0);
    s.TgaCompression = 1;
    EXPECT_EQ(SaveFlagsFor("tga", s), 2);

    s.WebpQuality = 50;
    EXPECT_EQ(SaveFlagsFor("jxr", s), 100);
    for (const char* none : {"dds", "gif", "hdr", "ico", "j2k", "jng", "jp2", "pbm", "pcx", "pfm",
                             "pgm", "ppm", "psd", "wbmp", "xpm", "unknown"}) {
        EXPECT_EQ(SaveFlagsFor(none, s), 0) << none;
    }
}

TEST(MakeSaveTarget, AutomaticJpegDepth) {
    ConversionSettings s;
    SaveTarget target = MakeSaveTarget("jpg", s, "/out/");
    EXPECT_EQ(target.outputFolder, "/out/");
    EXPECT_EQ(target.outputExtension, "jpg");
    EXPECT_EQ(target.formatId, 2);
    EXPECT_EQ(target.bitDepth, 0);
    EXPECT_TRUE(target.automaticDepth());
    EXPECT_EQ(target.saveFlags, 95 + 65536);
}

TEST(MakeSaveTarget, FixedJpegDepth) {
    ConversionSettings s;
    s.JpgBpp = 8;
    s.JpgQuality = 80;
    SaveTarget target = MakeSaveTarget("jpg", s, "/out/");
    EXPECT_EQ(target.bitDepth, 8);
    EXPECT_FALSE(target.automaticDepth());
    EXPECT_EQ(target.saveFlags, 80 + 65536);
}

TEST(MakeSaveTarget, ExtensionWithoutWriterGetsNoFormat) {
    ConversionSettings s;
    SaveTarget target = MakeSaveTarget("psd", s, "/out/");
    EXPECT_EQ(target.formatId, -1);  // never format 0, the bitmap writer
    EXPECT_EQ(target.outputExtension, "psd");
}

}  // namespace
}  // namespace orvex
