// Pixel-type normalisation, tone mapping, flipping and the colour steps.
#include <gtest/gtest.h>

#include "imaging/colour_correction.h"
#include "imaging/dither.h"
#include "imaging/flip.h"
#include "imaging/greyscale.h"
#include "imaging/normalise.h"
#include "imaging/threshold.h"
#include "imaging/tone_map.h"
#include "imaging_test_support.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

using test::Bitmap;

TEST(ToneMapImage, FloatingPointBecomesTwentyFourBitsAndKeepsItsLightOrder) {
    FIBITMAP* image = test::MakeRgbf(64, 32, [](int x, int) {
        return x < 32 ? FIRGBF{0.05f, 0.05f, 0.05f} : FIRGBF{5.0f, 5.0f, 5.0f};
    });
    Bitmap mapped(ToneMapImage(image));
    ASSERT_NE(mapped.dib, nullptr);
    EXPECT_EQ(test::Bpp(mapped.dib), 24u);
    EXPECT_EQ(test::Width(mapped.dib), 64u);
    EXPECT_LT(test::ColourAt(mapped.dib, 5, 5).green, test::ColourAt(mapped.dib, 60, 5).green);
}

TEST(ToneMapImage, ABlackPictureBecomesBlackTwentyFourBitsOfTheSameSize) {
    for (FREE_IMAGE_TYPE type : {FIT_RGBF, FIT_RGBAF, FIT_RGB16}) {
        const int bpp = type == FIT_RGBF ? 96 : type == FIT_RGBAF ? 128 : 48;
        Bitmap mapped(ToneMapImage(FreeImage_AllocateT(type, 33, 17, bpp)));
        ASSERT_NE(mapped.dib, nullptr) << type;
        EXPECT_EQ(test::Bpp(mapped.dib), 24u);
        EXPECT_EQ(test::Width(mapped.dib), 33u);
        EXPECT_EQ(test::Height(mapped.dib), 17u);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 33; ++x) ASSERT_EQ(test::ColourAt(mapped.dib, x, y).red, 0);
        }
    }
}

TEST(ToneMapImage, OneLitPixelIsEnoughToToneMap) {
    FIBITMAP* image = test::MakeRgbf(20, 20, [](int x, int y) {
        return (x == 19 && y == 19) ? FIRGBF{0.0f, 0.0f, 2.0f} : FIRGBF{0.0f, 0.0f, 0.0f};
    });
    EXPECT_TRUE(HasPositiveLuminance(image));
    Bitmap mapped(ToneMapImage(image));
    ASSERT_NE(mapped.dib, nullptr);
    EXPECT_GT(test::ColourAt(mapped.dib, 19, 19).blue, 0);
    // Negative values carry no light.
    Bitmap negative(test::MakeUniformRgbf(4, 4, {-1.0f, -1.0f, -1.0f}));
    EXPECT_FALSE(HasPositiveLuminance(negative.dib));
}

TEST(NormalisePixelType, GreyscaleFloatsBecomeStandardEightBits) {
    FIBITMAP* grey = FreeImage_AllocateT(FIT_FLOAT, 10, 4, 32);
    for (int y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<float*>(FreeImage_GetScanLine(grey, y));
        for (int x = 0; x < 10; ++x) row[x] = static_cast<float>(x);
    }
    Bitmap normal(NormalisePixelType(grey));
    ASSERT_NE(normal.dib, nullptr);
    EXPECT_EQ(FreeImage_GetImageType(normal.dib), FIT_BITMAP);
    EXPECT_EQ(test::Bpp(normal.dib), 8u);
    // Linear scaling stretches 0..9 over 0..255.
    EXPECT_EQ(test::ColourAt(normal.dib, 0, 0).red, 0);
    EXPECT_EQ(test::ColourAt(normal.dib, 9, 0).red, 255);

    Bitmap colour(test::MakeUniformRgbf(4, 4, {1, 1, 1}));
    EXPECT_EQ(NormalisePixelType(colour.dib), colour.dib);
}

TEST(FlipImage, FlipsInPlaceAndTwiceGivesTheOriginal) {
    Bitmap image(test::MakeHalves24(8, 4));  // black left, white right
    ConversionSettings settings;
    settings.DoImageFlipHorizontal = 1;
    FlipImage(image.dib, settings);
    EXPECT_EQ(test::ColourAt(image.dib, 0, 0).red, 255);
    EXPECT_EQ(test::ColourAt(image.dib, 7, 0).red, 0);
    FlipImage(image.dib, settings);
    EXPECT_EQ(test::ColourAt(image.dib, 0, 0).red, 0);

    // Vertical: mark the top row and see it at the bottom.
    RGBQUAD red{0, 0, 255, 0};
    FreeImage_SetPixelColor(image.dib, 0, 3, &red);  // scanline 3 is the top row
    settings.DoImageFlipHorizontal = 0;
    settings.DoImageFlipVertical = 1;
    FlipImage(image.dib, settings);
    EXPECT_EQ(test::ColourAt(image.dib, 0, 3).red, 255);
    EXPECT_EQ(test::ColourAt(image.dib, 0, 3).green, 0);
    FlipImage(nullptr, settings);
}

TEST(AdjustColours, NeutralValuesLeaveThePixels) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    Bitmap image(test::MakeSolid24(6, 6, 10, 128, 250));
    FIBITMAP* result = AdjustColours(image.dib, settings);
    EXPECT_EQ(result, image.dib);
    const test::Colour colour = test::ColourAt(result, 3, 3);
    EXPECT_EQ(colour.red, 10);
    EXPECT_EQ(colour.green, 128);
    EXPECT_EQ(colour.blue, 250);
}

TEST(AdjustColours, InvertAndBrightnessChangeThePixels) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    settings.ImageInvert = 1;
    Bitmap inverted(AdjustColours(test::MakeSolid24(4, 4, 10, 128, 250), settings));
    EXPECT_EQ(test::ColourAt(inverted.dib, 0, 0).red, 245);
    EXPECT_EQ(test::ColourAt(inverted.dib, 0, 0).blue, 5);

    settings.ImageInvert = 0;
    settings.ImageBrightness = 50;
    Bitmap brighter(AdjustColours(test::MakeSolid24(4, 4, 100, 100, 100), settings));
    EXPECT_GT(test::ColourAt(brighter.dib, 0, 0).red, 100);
}

TEST(AdjustColours, AOneBitPictureIsMadeTwentyFourBits) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    Bitmap result(AdjustColours(FreeImage_Allocate(8, 8, 1), settings));
    ASSERT_NE(result.dib, nullptr);
    EXPECT_EQ(test::Bpp(result.dib), 24u);

    settings.DoImageColorCorrection = 0;
    Bitmap untouched(FreeImage_Allocate(8, 8, 1));
    EXPECT_EQ(AdjustColours(untouched.dib, settings), untouched.dib);
}

TEST(GreyscaleThresholdDither, GreyscaleThenThresholdGivesOneBitBlackAndWhite) {
    ConversionSettings settings;
    settings.DoImageGreyscale = 1;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 128;
    FIBITMAP* image = test::MakeHalves24(16, 4);
    image = MakeGreyscale(image, settings);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(test::Bpp(image), 8u);
    image = ApplyThreshold(image, settings);
    Bitmap result(image);
    ASSERT_NE(result.dib, nullptr);
    EXPECT_EQ(test::Bpp(result.dib), 1u);
    EXPECT_EQ(test::ColourAt(result.dib, 2, 1).red, 0);
    EXPECT_EQ(test::ColourAt(result.dib, 13, 1).red, 255);
}

TEST(GreyscaleThresholdDither, ThresholdLevelOutsideTheByteRangeIsClamped) {
    ConversionSettings settings;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 1000;  // everything below 255 turns black
    Bitmap result(ApplyThreshold(test::MakeSolid24(4, 4, 200, 200, 200), settings));
    ASSERT_NE(result.dib, nullptr);
    EXPECT_EQ(test::ColourAt(result.dib, 1, 1).red, 0);
}

TEST(GreyscaleThresholdDither, DitherAfterThresholdDithersTheOneBitPictureAgain) {
    ConversionSettings settings;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 100;
    settings.DoImageDither = 1;
    for (int algorithm = 0; algorithm <= 7; ++algorithm) {
        settings.ImageDitherAlgorithm = static_cast<int8_t>(algorithm);
        FIBITMAP* image = ApplyThreshold(test::MakeHalves24(32, 32), settings);
        ASSERT_EQ(test::Bpp(image), 1u);
        Bitmap result(ApplyDither(image, settings));
        ASSERT_NE(result.dib, nullptr) << algorithm;
        EXPECT_EQ(test::Bpp(result.dib), 1u);
        // The black half stays (nearly: ordered matrices may light a few
        // pixels of pure black), the white half stays white.
        int whiteOnBlack = 0, blackOnWhite = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 16; ++x) whiteOnBlack += test::ColourAt(result.dib, x, y).red != 0;
            for (int x = 16; x < 32; ++x) blackOnWhite += test::ColourAt(result.dib, x, y).red == 0;
        }
        EXPECT_LT(whiteOnBlack, 32) << algorithm;
        EXPECT_EQ(blackOnWhite, 0) << algorithm;
    }
}

TEST(GreyscaleThresholdDither, DitherOfMidGreyMixesBlackAndWhite) {
    ConversionSettings settings;
    settings.DoImageDither = 1;
    Bitmap result(ApplyDither(test::MakeSolid24(32, 32, 128, 128, 128), settings));
    ASSERT_NE(result.dib, nullptr);
    int white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) white += test::ColourAt(result.dib, x, y).red == 255;
    }
    EXPECT_GT(white, 300);
    EXPECT_LT(white, 724);
}

TEST(GreyscaleThresholdDither, DitherSettingsMapToFreeImageAlgorithms) {
    EXPECT_EQ(DitherAlgorithmFor(0), FID_FS);
    EXPECT_EQ(DitherAlgorithmFor(1), FID_BAYER4x4);
    EXPECT_EQ(DitherAlgorithmFor(2), FID_BAYER8x8);
    EXPECT_EQ(DitherAlgorithmFor(3), FID_BAYER16x16);
    EXPECT_EQ(DitherAlgorithmFor(4), FID_CLUSTER6x6);
    EXPECT_EQ(DitherAlgorithmFor(5), FID_CLUSTER8x8);
    EXPECT_EQ(DitherAlgorithmFor(6), FID_CLUSTER16x16);
    EXPECT_EQ(DitherAlgorithmFor(7), FID_FS);
}

}  // namespace
}  // namespace orvex
