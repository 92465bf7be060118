#include "imaging/rotate.h"

#include <gtest/gtest.h>

#include "imaging/chain_memory.h"
#include "imaging/resize.h"
#include "imaging_test_support.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

// A 40 x 20 grey floating-point picture with a bright red 4 x 4 marker in
// its top-left corner:
//
//   R . . . .        after a quarter turn    . .
//   . . . . .        counter-clockwise:      . .
//                                            . .
//                                            R .
Bitmap MarkedPicture() {
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
    FIBITMAP* const handle = image.get();
    for (int angle : {0, 360, -90, 400}) {
        image = RotateImage(std::move(image), Rotation(angle, 0));
        EXPECT_EQ(image.get(), handle) << angle;
    }
    ConversionSettings off = Rotation(90, 0);
    off.DoImageRotation = 0;
    image = RotateImage(std::move(image), off);
    EXPECT_EQ(image.get(), handle);
    EXPECT_EQ(RotateImage(nullptr, Rotation(90, 0)), nullptr);
}

TEST(RotateImage, FourQuarterTurnsGiveTheOriginalPixels) {
    Bitmap result = MarkedPicture();
    for (int turn = 0; turn < 4; ++turn) result = RotateImage(std::move(result), Rotation(90, 0));
    ASSERT_NE(result.get(), nullptr);
    Bitmap original(MarkedPicture());
    ASSERT_EQ(test::Width(result.get()), 40u);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_FLOAT_EQ(test::RgbfAt(result.get(), x, y).red,
                            test::RgbfAt(original.get(), x, y).red);
        }
    }
}

TEST(RotateImage, SimpleRotationOfFloatsGrowsTheCanvasOnTheBackgroundColour) {
    Bitmap rotated(RotateImage(MarkedPicture(), Rotation(30, 0, "FF8000")));
    ASSERT_NE(rotated.get(), nullptr);
    EXPECT_EQ(FreeImage_GetImageType(rotated.get()), FIT_RGBF);
    EXPECT_GT(test::Width(rotated.get()), 40u);
    EXPECT_GT(test::Height(rotated.get()), 20u);
    const FIRGBF corner = test::RgbfAt(rotated.get(), 0, 0);
    EXPECT_FLOAT_EQ(corner.red, 1.0f);
    EXPECT_FLOAT_EQ(corner.green, 128 / 255.0f);
    EXPECT_FLOAT_EQ(corner.blue, 0.0f);
}

TEST(RotateImage, AdvancedRotationOfFloatsKeepsTheSizeAndTurnsAboutTheCentre) {
    for (int angle : {30, 90, 200}) {
        Bitmap rotated(RotateImage(MarkedPicture(), Rotation(angle, 1, "FFFFFF")));
        ASSERT_NE(rotated.get(), nullptr) << angle;
        EXPECT_EQ(FreeImage_GetImageType(rotated.get()), FIT_RGBF);
        EXPECT_EQ(test::Width(rotated.get()), 40u);
        EXPECT_EQ(test::Height(rotated.get()), 20u);
        EXPECT_NEAR(test::RgbfAt(rotated.get(), 20, 10).green, 0.5f, 0.01f) << angle;
        // The uncovered corner is black: the background colour takes no part.
        EXPECT_FLOAT_EQ(test::RgbfAt(rotated.get(), 0, 0).green, 0.0f) << angle;
    }
}

TEST(RotateImage, SimpleRotationOfBitmapsUsesTheParsedBackground) {
    Bitmap green(RotateImage(test::MakeSolid24(40, 20, 255, 255, 255), Rotation(30, 0, "00FF00")));
    ASSERT_NE(green.get(), nullptr);
    EXPECT_EQ(test::Bpp(green.get()), 24u);
    const test::Colour corner = test::ColourAt(green.get(), 0, 0);
    EXPECT_EQ(corner.red, 0);
    EXPECT_EQ(corner.green, 255);
    // A colour string of five characters rotates on black.
    Bitmap black(RotateImage(test::MakeSolid24(40, 20, 255, 255, 255), Rotation(30, 0, "FFFFF")));
    ASSERT_NE(black.get(), nullptr);
    EXPECT_EQ(test::ColourAt(black.get(), 0, 0).green, 0);
}

TEST(RotateImage, LowDepthsAreRotatedAsTwentyFourBits) {
    Bitmap rotated(RotateImage(AdoptBitmap(FreeImage_Allocate(16, 8, 8)), Rotation(90, 0)));
    ASSERT_NE(rotated.get(), nullptr);
    EXPECT_EQ(test::Bpp(rotated.get()), 24u);
    EXPECT_EQ(test::Width(rotated.get()), 8u);

    Bitmap advanced(RotateImage(test::MakeSolid24(40, 20, 9, 9, 9), Rotation(45, 1)));
    ASSERT_NE(advanced.get(), nullptr);
    EXPECT_EQ(test::Bpp(advanced.get()), 24u);
    EXPECT_EQ(test::Width(advanced.get()), 40u);
    EXPECT_EQ(test::Height(advanced.get()), 20u);
}

TEST(RotateImage, AnUnknownRotationTypeOnlyAppliesTheDepthRule) {
    Bitmap result(RotateImage(AdoptBitmap(FreeImage_Allocate(16, 8, 8)), Rotation(90, 7)));
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(test::Bpp(result.get()), 24u);
    EXPECT_EQ(test::Width(result.get()), 16u);
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
            Bitmap rotated = RotateImage(MarkedPicture(), settings);
            ASSERT_NE(rotated, nullptr);
            const unsigned width = test::Width(rotated.get());
            const unsigned height = test::Height(rotated.get());
            // At least the real size, and no more than a rounding pixel or two above it.
            EXPECT_GE(sizes.rotated.width, width) << angle << " " << type;
            EXPECT_GE(sizes.rotated.height, height) << angle << " " << type;
            EXPECT_LE(sizes.rotated.width, width + 2) << angle << " " << type;
            EXPECT_LE(sizes.rotated.height, height + 2) << angle << " " << type;
            EXPECT_GE(sizes.turning.Pixels(), sizes.rotated.Pixels());
            Bitmap resized(ResizeImage(std::move(rotated), static_cast<int>(width),
                                       static_cast<int>(height), settings));
            EXPECT_NEAR(static_cast<double>(sizes.resized.width), test::Width(resized.get()), 6.0);
            EXPECT_NEAR(static_cast<double>(sizes.resized.height), test::Height(resized.get()),
                        6.0);
        }
    }
    EXPECT_EQ(ChainSizesFor(40, 20, ConversionSettings{}).resized.Pixels(), 800u);
}

}  // namespace
}  // namespace orvex
