#include "imaging/bit_depth.h"

#include <gtest/gtest.h>

#include "imaging_test_support.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

using test::Bitmap;

struct DepthCase {
    int depth;
    const char* extension;
    FREE_IMAGE_TYPE type;
    unsigned bpp;
};

class ConvertToOutputDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(ConvertToOutputDepthTest, GivesTheRequestedDepth) {
    const DepthCase& c = GetParam();
    Bitmap result(ConvertToOutputDepth(test::MakeHalves24(16, 8), c.depth, c.extension));
    ASSERT_NE(result.dib, nullptr);
    EXPECT_EQ(FreeImage_GetImageType(result.dib), c.type);
    EXPECT_EQ(test::Bpp(result.dib), c.bpp);
    EXPECT_EQ(test::Width(result.dib), 16u);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, ConvertToOutputDepthTest,
    ::testing::Values(DepthCase{96, "exr", FIT_RGBF, 96}, DepthCase{48, "png", FIT_RGB16, 48},
                      DepthCase{32, "png", FIT_BITMAP, 32}, DepthCase{16, "bmp", FIT_BITMAP, 16},
                      DepthCase{8, "jpg", FIT_BITMAP, 8}, DepthCase{8, "png", FIT_BITMAP, 8},
                      DepthCase{4, "bmp", FIT_BITMAP, 4}, DepthCase{1, "pbm", FIT_BITMAP, 1}));

TEST(ConvertToOutputDepth, APictureAlreadyAtTheDepthIsTheSameHandle) {
    Bitmap image(test::MakeSolid24(4, 4, 1, 2, 3));
    EXPECT_EQ(ConvertToOutputDepth(image.dib, 24, "jpg"), image.dib);
    EXPECT_EQ(ConvertToOutputDepth(nullptr, 24, "jpg"), nullptr);
}

TEST(ConvertToOutputDepth, AnUnknownDepthFailsTheFile) {
    for (int depth : {0, 2, 12, 64}) {
        EXPECT_EQ(ConvertToOutputDepth(test::MakeSolid24(4, 4, 1, 2, 3), depth, "jpg"), nullptr);
    }
}

TEST(ConvertToOutputDepth, EightBitsIsGreyscaleForTheJpegFamilyAndAPaletteOtherwise) {
    for (const char* extension : {"jpg", "j2k", "jp2", "jxr"}) {
        Bitmap grey(ConvertToOutputDepth(test::MakeSolid24(8, 8, 255, 0, 0), 8, extension));
        ASSERT_NE(grey.dib, nullptr);
        EXPECT_EQ(FreeImage_GetColorType(grey.dib), FIC_MINISBLACK) << extension;
        const test::Colour colour = test::ColourAt(grey.dib, 1, 1);
        EXPECT_EQ(colour.red, colour.blue);
    }
    Bitmap palette(ConvertToOutputDepth(test::MakeSolid24(8, 8, 255, 0, 0), 8, "png"));
    ASSERT_NE(palette.dib, nullptr);
    EXPECT_EQ(FreeImage_GetColorType(palette.dib), FIC_PALETTE);
    const test::Colour colour = test::ColourAt(palette.dib, 1, 1);
    EXPECT_EQ(colour.red, 255);
    EXPECT_EQ(colour.blue, 0);
    // Quantising needs 24 bits; a 32-bit picture goes through them.
    Bitmap fromAlpha(ConvertToOutputDepth(FreeImage_ConvertTo32Bits(palette.dib), 8, "gif"));
    ASSERT_NE(fromAlpha.dib, nullptr);
    EXPECT_EQ(FreeImage_GetColorType(fromAlpha.dib), FIC_PALETTE);
}

TEST(ConvertToOutputDepth, SixteenBitsIs555ForIconsAndTargaAnd565Otherwise) {
    for (const char* extension : {"ico", "tga"}) {
        Bitmap image(ConvertToOutputDepth(test::MakeSolid24(4, 4, 9, 9, 9), 16, extension));
        ASSERT_NE(image.dib, nullptr);
        EXPECT_EQ(FreeImage_GetGreenMask(image.dib), static_cast<unsigned>(FI16_555_GREEN_MASK));
    }
    Bitmap image(ConvertToOutputDepth(test::MakeSolid24(4, 4, 9, 9, 9), 16, "bmp"));
    ASSERT_NE(image.dib, nullptr);
    EXPECT_EQ(FreeImage_GetGreenMask(image.dib), static_cast<unsigned>(FI16_565_GREEN_MASK));
    // A 48-bit picture is made 24-bit on the way.
    Bitmap source(test::MakeSolid24(4, 4, 9, 9, 9));
    Bitmap fromDeep(ConvertToOutputDepth(FreeImage_ConvertToRGB16(source.dib), 16, "bmp"));
    ASSERT_NE(fromDeep.dib, nullptr);
    EXPECT_EQ(test::Bpp(fromDeep.dib), 16u);
}

TEST(ApplyOutputBitDepth, AutomaticDepthIsChosenPerFileFromTheLoadedDepth) {
    FileContext project;
    project.OutputExtension = "jpg";
    project.AutoBitDepth = 1;
    project.SourceBitDepth = 96;
    Bitmap image(test::MakeSolid24(4, 4, 1, 2, 3));
    EXPECT_EQ(ApplyOutputBitDepth(image.dib, project), image.dib);  // saved unchanged
    EXPECT_EQ(project.OutputBitDepth, 24);

    project.SourceBitDepth = 8;
    Bitmap grey(ApplyOutputBitDepth(test::MakeSolid24(4, 4, 1, 2, 3), project));
    EXPECT_EQ(project.OutputBitDepth, 8);
    ASSERT_NE(grey.dib, nullptr);
    EXPECT_EQ(FreeImage_GetColorType(grey.dib), FIC_MINISBLACK);
}

TEST(ApplyOutputBitDepth, AFixedDepthIsKept) {
    FileContext project;
    project.OutputExtension = "jpg";
    project.AutoBitDepth = 0;
    project.OutputBitDepth = 8;
    project.SourceBitDepth = 96;
    Bitmap grey(ApplyOutputBitDepth(test::MakeSolid24(4, 4, 1, 2, 3), project));
    EXPECT_EQ(project.OutputBitDepth, 8);
    ASSERT_NE(grey.dib, nullptr);
    EXPECT_EQ(test::Bpp(grey.dib), 8u);
}

}  // namespace
}  // namespace orvex
