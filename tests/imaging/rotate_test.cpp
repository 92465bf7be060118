#include "imaging/rotate.h"

#include <gtest/gtest.h>

#include "imaging/chain_memory.h"
#include "imaging/resize.h"
#include "imaging_test_support.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

using test::Bitmap;

// A 40 x 20 grey floating-point picture with a bright red 4 x 4 marker in
// its top-left corner:
//
//   R . . . .        after a quarter turn    . .
//   . . . . .        counter-clockwise:      . .
//                                            . .
//                                            R .
FIBITMAP* MarkedPicture() {
    return test::MakeRgbf(40, 20, [](int x, int y) {
        return (x < 4 && y < 4) ? FIRGBF{4.0f, 0.0f, 0.0f} : FIRGBF{0.5f, 0.5f, 0.5f};
    });
}

ConversionSettings Rotation(int angle, int type, const char* back = "000000") {
    ConversionSettings settings;
    settings.DoImageRotation = 1;
    settings.ImageRotation = angle;
    settings.ImageRotationType = static_cast<int8_t>(type);
    settings.ImageRotationBackColor = back;
    return settings;
}

TEST(RotateImage, AnglesOutsideOneTo359AndRotationOffLeaveTheSameImage) {
    Bitmap image(MarkedPicture());
    for (int angle : {0, 360, -90, 400}) {
        EXPECT_EQ(RotateImage(image.dib, Rotation(angle, 0)), image.dib) << angle;
    }
    ConversionSettings off = Rotation(90, 0);
    off.DoImageRotation = 0;
    EXPECT_EQ(RotateImage(image.dib, off), image.dib);
    EXPECT_EQ(RotateImage(nullptr, Rotation(90, 0)), nullptr);
}

TEST(RotateImage, FourQuarterTurnsGiveTheOriginalPixels) {
    FIBITMAP* image = MarkedPicture();
    for (int turn = 0; turn < 4; ++turn) image = RotateImage(image, Rotation(90, 0));
    Bitmap result(image);
    ASSERT_NE(result.dib, nullptr);
    Bitmap original(MarkedPicture());
    ASSERT_EQ(test::Width(result.dib), 40u);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_FLOAT_EQ(test::RgbfAt(result.dib, x, y).red,
                            test::RgbfAt(original.dib, x, y).red);
        }
    }
}

TEST(RotateImage, SimpleRotationOfFloatsGrowsTheCanvasOnTheBackgroundColour) {
    Bitmap rotated(RotateImage(MarkedPicture(), Rotation(30, 0, "FF8000")));
    ASSERT_NE(rotated.dib, nullptr);
    EXPECT_EQ(FreeImage_GetImageType(rotated.dib), FIT_RGBF);
    EXPECT_GT(test::Width(rotated.dib), 40u);
    EXPECT_GT(test::Height(rotated.dib), 20u);
    const FIRGBF corner = test::RgbfAt(rotated.dib, 0, 0);
    EXPECT_FLOAT_EQ(corner.red, 1.0f);
    EXPECT_FLOAT_EQ(corner.green, 128 / 255.0f);
    EXPECT_FLOAT_EQ(corner.blue, 0.0f);
}

TEST(RotateImage, AdvancedRotationOfFloatsKeepsTheSizeAndTurnsAboutTheCentre) {
    for (int angle : {30, 90, 200}) {
        Bitmap rotated(RotateImage(MarkedPicture(), Rotation(angle, 1, "FFFFFF")));
        ASSERT_NE(rotated.dib, nullptr) << angle;
        EXPECT_EQ(FreeImage_GetImageType(rotated.dib), FIT_RGBF);
        EXPECT_EQ(test::Width(rotated.dib), 40u);
        EXPECT_EQ(test::Height(rotated.dib), 20u);
        EXPECT_NEAR(test::RgbfAt(rotated.dib, 20, 10).green, 0.5f, 0.01f) << angle;
        // The uncovered corner is black: the background colour takes no part.
        EXPECT_FLOAT_EQ(test::RgbfAt(rotated.dib, 0, 0).green, 0.0f) << angle;
    }
}

TEST(RotateImage, SimpleRotationOfBitmapsUsesTheParsedBackground) {
    Bitmap green(RotateImage(test::MakeSolid24(40, 20, 255, 255, 255), Rotation(30, 0, "00FF00")));
    ASSERT_NE(green.dib, nullptr);
    EXPECT_EQ(test::Bpp(green.dib), 24u);
    const test::Colour corner = test::ColourAt(green.dib, 0, 0);
    EXPECT_EQ(corner.red, 0);
    EXPECT_EQ(corner.green, 255);
    // A colour string of five characters rotates on black.
    Bitmap black(RotateImage(test::MakeSolid24(40, 20, 255, 255, 255), Rotation(30, 0, "FFFFF")));
    ASSERT_NE(black.dib, nullptr);
    EXPECT_EQ(test::ColourAt(black.dib, 0, 0).green, 0);
}

TEST(RotateImage, LowDepthsAreRotatedAsTwentyFourBits) {
    FIBITMAP* grey = FreeImage_Allocate(16, 8, 8);
    Bitmap rotated(RotateImage(grey, Rotation(90, 0)));
    ASSERT_NE(rotated.dib, nullptr);
    EXPECT_EQ(test::Bpp(rotated.dib), 24u);
    EXPECT_EQ(test::Width(rotated.dib), 8u);

    Bitmap advanced(RotateImage(test::MakeSolid24(40, 20, 9, 9, 9), Rotation(45, 1)));
    ASSERT_NE(advanced.dib, nullptr);
    EXPECT_EQ(test::Bpp(advanced.dib), 24u);
    EXPECT_EQ(test::Width(advanced.dib), 40u);
    EXPECT_EQ(test::Height(advanced.dib), 20u);
}

TEST(RotateImage, AnUnknownRotationTypeOnlyAppliesTheDepthRule) {
    FIBITMAP* grey = FreeImage_Allocate(16, 8, 8);
    Bitmap result(RotateImage(grey, Rotation(90, 7)));
    ASSERT_NE(result.dib, nullptr);
    EXPECT_EQ(test::Bpp(result.dib), 24u);
    EXPECT_EQ(test::Width(result.dib), 16u);
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// The memory guard works the sizes out before the steps run: they must be
// no smaller than what rotation and resizing really make.
TEST(ChainSizesFor, MemoryGuardSizesCoverWhatRotationAndResizeMake) {
    for (const int type : {0, 1}) {
        for (const int angle : {30, 45, 90, 135, 200}) {
            ConversionSettings settings = Rotation(angle, type);
            settings.DoImageResize = 1;
            settings.ImageWidth = 150;
            settings.ImageHeight = 150;
            settings.KeepAspectRatio = 1;
            const ChainSizes sizes = ChainSizesFor(40, 20, settings);
            FIBITMAP* rotated = RotateImage(MarkedPicture(), settings);
            ASSERT_NE(rotated, nullptr);
            // At least the real size, and no more than a rounding pixel or two above it.
            EXPECT_GE(sizes.rotated.width, test::Width(rotated)) << angle << " " << type;
            EXPECT_GE(sizes.rotated.height, test::Height(rotated)) << angle << " " << type;
            EXPECT_LE(sizes.rotated.width, test::Width(rotated) + 2) << angle << " " << type;
            EXPECT_LE(sizes.rotated.height, test::Height(rotated) + 2) << angle << " " << type;
            EXPECT_GE(sizes.turning.Pixels(), sizes.rotated.Pixels());
            Bitmap resized(ResizeImage(rotated, static_cast<int>(test::Width(rotated)),
                                       static_cast<int>(test::Height(rotated)), settings));
            EXPECT_NEAR(static_cast<double>(sizes.resized.width), test::Width(resized.dib), 6.0);
            EXPECT_NEAR(static_cast<double>(sizes.resized.height), test::Height(resized.dib), 6.0);
        }
    }
    EXPECT_EQ(ChainSizesFor(40, 20, ConversionSettings{}).resized.Pixels(), 800u);
}

}  // namespace
}  // namespace orvex
