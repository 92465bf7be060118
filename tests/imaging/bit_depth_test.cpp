#include "imaging/bit_depth.h"

#include <gtest/gtest.h>

#include "imaging_test_support.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

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
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(FreeImage_GetImageType(result.get()), c.type);
    EXPECT_EQ(test::Bpp(result.get()), c.bpp);
    EXPECT_EQ(test::Width(result.get()), 16u);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, ConvertToOutputDepthTest,
    ::testing::Values(DepthCase{96, "exr", FIT_RGBF, 96}, DepthCase{48, "png", FIT_RGB16, 48},
                      DepthCase{32, "png", FIT_BITMAP, 32}, DepthCase{16, "bmp", FIT_BITMAP, 16},
                      DepthCase{8, "jpg", FIT_BITMAP, 8}, DepthCase{8, "png", FIT_BITMAP, 8},
                      DepthCase{4, "bmp", FIT_BITMAP, 4}, DepthCase{1, "pbm", FIT_BITMAP, 1}));

TEST(ConvertToOutputDepth, APictureAlreadyAtTheDepthIsTheSameHandle) {
    Bitmap image(test::MakeSolid24(4, 4, 1, 2, 3));
    FIBITMAP* const handle = image.get();
    image = ConvertToOutputDepth(std::move(image), 24, "jpg");
    EXPECT_EQ(image.get(), handle);
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
        ASSERT_NE(grey.get(), nullptr);
        EXPECT_EQ(FreeImage_GetColorType(grey.get()), FIC_MINISBLACK) << extension;
        const test::Colour colour = test::ColourAt(grey.get(), 1, 1);
        EXPECT_EQ(colour.red, colour.blue);
    }
    Bitmap palette(ConvertToOutputDepth(test::MakeSolid24(8, 8, 255, 0, 0), 8, "png"));
    ASSERT_NE(palette.get(), nullptr);
    EXPECT_EQ(FreeImage_GetColorType(palette.get()), FIC_PALETTE);
    const test::Colour colour = test::ColourAt(palette.get(), 1, 1);
    EXPECT_EQ(colour.red, 255);
    EXPECT_EQ(colour.blue, 0);
    // Quantising needs 24 bits; a 32-bit picture goes through them.
    Bitmap fromAlpha(
        ConvertToOutputDepth(AdoptBitmap(FreeImage_ConvertTo32Bits(palette.get())), 8, "gif"));
    ASSERT_NE(fromAlpha.get(), nullptr);
    EXPECT_EQ(FreeImage_GetColorType(fromAlpha.get()), FIC_PALETTE);
}

TEST(ConvertToOutputDepth, SixteenBitsIs555ForIconsAndTargaAnd565Otherwise) {
    for (const char* extension : {"ico", "tga"}) {
        Bitmap image(ConvertToOutputDepth(test::MakeSolid24(4, 4, 9, 9, 9), 16, extension));
        ASSERT_NE(image.get(), nullptr);
        EXPECT_EQ(FreeImage_GetGreenMask(image.get()), static_cast<unsigned>(FI16_555_GREEN_MASK));
    }
    Bitmap image(ConvertToOutputDepth(test::MakeSolid24(4, 4, 9, 9, 9), 16, "bmp"));
    ASSERT_NE(image.get(), nullptr);
    EXPECT_EQ(FreeImage_GetGreenMask(image.get()), static_cast<unsigned>(FI16_565_GREEN_MASK));
    // A 48-bit picture is made 24-bit on the way.
    Bitmap source(test::MakeSolid24(4, 4, 9, 9, 9));
    Bitmap fromDeep(
        ConvertToOutputDepth(AdoptBitmap(FreeImage_ConvertToRGB16(source.get())), 16, "bmp"));
    ASSERT_NE(fromDeep.get(), nullptr);
    EXPECT_EQ(test::Bpp(fromDeep.get()), 16u);
}

TEST(ApplyOutputBitDepth, AutomaticDepthIsChosenPerFileFromTheLoadedDepth) {
    FileContext project;
    project.OutputExtension = "jpg";
    project.AutoBitDepth = 1;
    project.SourceBitDepth = 96;
    Bitmap image(test::MakeSolid24(4, 4, 1, 2, 3));
    FIBITMAP* const handle = image.get();
    image = ApplyOutputBitDepth(std::move(image), project);
    EXPECT_EQ(image.get(), handle);  // saved unchanged
    EXPECT_EQ(project.OutputBitDepth, 24);

    project.SourceBitDepth = 8;
    Bitmap grey(ApplyOutputBitDepth(test::MakeSolid24(4, 4, 1, 2, 3), project));
    EXPECT_EQ(project.OutputBitDepth, 8);
    ASSERT_NE(grey.get(), nullptr);
    EXPECT_EQ(FreeImage_GetColorType(grey.get()), FIC_MINISBLACK);
}

TEST(ApplyOutputBitDepth, AFixedDepthIsKept) {
    FileContext project;
    project.OutputExtension = "jpg";
    project.AutoBitDepth = 0;
    project.OutputBitDepth = 8;
    project.SourceBitDepth = 96;
    Bitmap grey(ApplyOutputBitDepth(test::MakeSolid24(4, 4, 1, 2, 3), project));
    EXPECT_EQ(project.OutputBitDepth, 8);
    ASSERT_NE(grey.get(), nullptr);
    EXPECT_EQ(test::Bpp(grey.get()), 8u);
}

}  // namespace
}  // namespace orvex
