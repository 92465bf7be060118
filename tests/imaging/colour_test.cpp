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

TEST(ToneMapImage, FloatingPointBecomesTwentyFourBitsAndKeepsItsLightOrder) {
    Bitmap image = test::MakeRgbf(64, 32, [](int x, int) {
        return x < 32 ? FIRGBF{0.05f, 0.05f, 0.05f} : FIRGBF{5.0f, 5.0f, 5.0f};
    });
    Bitmap mapped(ToneMapImage(std::move(image)));
    ASSERT_NE(mapped.get(), nullptr);
    EXPECT_EQ(test::Bpp(mapped.get()), 24u);
    EXPECT_EQ(test::Width(mapped.get()), 64u);
    EXPECT_LT(test::ColourAt(mapped.get(), 5, 5).green, test::ColourAt(mapped.get(), 60, 5).green);
}

TEST(ToneMapImage, ABlackPictureBecomesBlackTwentyFourBitsOfTheSameSize) {
    for (FREE_IMAGE_TYPE type : {FIT_RGBF, FIT_RGBAF, FIT_RGB16}) {
        const int bpp = type == FIT_RGBF ? 96 : type == FIT_RGBAF ? 128 : 48;
        Bitmap mapped(ToneMapImage(AdoptBitmap(FreeImage_AllocateT(type, 33, 17, bpp))));
        ASSERT_NE(mapped.get(), nullptr) << type;
        EXPECT_EQ(test::Bpp(mapped.get()), 24u);
        EXPECT_EQ(test::Width(mapped.get()), 33u);
        EXPECT_EQ(test::Height(mapped.get()), 17u);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 33; ++x) ASSERT_EQ(test::ColourAt(mapped.get(), x, y).red, 0);
        }
    }
}

TEST(ToneMapImage, OneLitPixelIsEnoughToToneMap) {
    Bitmap image = test::MakeRgbf(20, 20, [](int x, int y) {
        return (x == 19 && y == 19) ? FIRGBF{0.0f, 0.0f, 2.0f} : FIRGBF{0.0f, 0.0f, 0.0f};
    });
    EXPECT_TRUE(HasPositiveLuminance(image.get()));
    Bitmap mapped(ToneMapImage(std::move(image)));
    ASSERT_NE(mapped.get(), nullptr);
    EXPECT_GT(test::ColourAt(mapped.get(), 19, 19).blue, 0);
    // Negative values carry no light.
    Bitmap negative(test::MakeUniformRgbf(4, 4, {-1.0f, -1.0f, -1.0f}));
    EXPECT_FALSE(HasPositiveLuminance(negative.get()));
}

TEST(NormalisePixelType, GreyscaleFloatsBecomeStandardEightBits) {
    Bitmap grey = AdoptBitmap(FreeImage_AllocateT(FIT_FLOAT, 10, 4, 32));
    for (int y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<float*>(FreeImage_GetScanLine(grey.get(), y));
        for (int x = 0; x < 10; ++x) row[x] = static_cast<float>(x);
    }
    Bitmap normal(NormalisePixelType(std::move(grey)));
    ASSERT_NE(normal.get(), nullptr);
    EXPECT_EQ(FreeImage_GetImageType(normal.get()), FIT_BITMAP);
    EXPECT_EQ(test::Bpp(normal.get()), 8u);
    // Linear scaling stretches 0..9 over 0..255.
    EXPECT_EQ(test::ColourAt(normal.get(), 0, 0).red, 0);
    EXPECT_EQ(test::ColourAt(normal.get(), 9, 0).red, 255);

    Bitmap colour(test::MakeUniformRgbf(4, 4, {1, 1, 1}));
    FIBITMAP* const handle = colour.get();
    colour = NormalisePixelType(std::move(colour));
    EXPECT_EQ(colour.get(), handle);
}

TEST(FlipImage, FlipsInPlaceAndTwiceGivesTheOriginal) {
    Bitmap image(test::MakeHalves24(8, 4));  // black left, white right
    ConversionSettings settings;
    settings.DoImageFlipHorizontal = 1;
    FlipImage(image.get(), settings);
    EXPECT_EQ(test::ColourAt(image.get(), 0, 0).red, 255);
    EXPECT_EQ(test::ColourAt(image.get(), 7, 0).red, 0);
    FlipImage(image.get(), settings);
    EXPECT_EQ(test::ColourAt(image.get(), 0, 0).red, 0);

    // Vertical: mark the top row and see it at the bottom.
    RGBQUAD red{0, 0, 255, 0};
    FreeImage_SetPixelColor(image.get(), 0, 3, &red);  // scanline 3 is the top row
    settings.DoImageFlipHorizontal = 0;
    settings.DoImageFlipVertical = 1;
    FlipImage(image.get(), settings);
    EXPECT_EQ(test::ColourAt(image.get(), 0, 3).red, 255);
    EXPECT_EQ(test::ColourAt(image.get(), 0, 3).green, 0);
    FlipImage(nullptr, settings);
}

TEST(AdjustColours, NeutralValuesLeaveThePixels) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    Bitmap image(test::MakeSolid24(6, 6, 10, 128, 250));
    FIBITMAP* const handle = image.get();
    const Bitmap result = AdjustColours(std::move(image), settings);
    EXPECT_EQ(result.get(), handle);
    const test::Colour colour = test::ColourAt(result.get(), 3, 3);
    EXPECT_EQ(colour.red, 10);
    EXPECT_EQ(colour.green, 128);
    EXPECT_EQ(colour.blue, 250);
}

TEST(AdjustColours, InvertAndBrightnessChangeThePixels) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    settings.ImageInvert = 1;
    Bitmap inverted(AdjustColours(test::MakeSolid24(4, 4, 10, 128, 250), settings));
    EXPECT_EQ(test::ColourAt(inverted.get(), 0, 0).red, 245);
    EXPECT_EQ(test::ColourAt(inverted.get(), 0, 0).blue, 5);

    settings.ImageInvert = 0;
    settings.ImageBrightness = 50;
    Bitmap brighter(AdjustColours(test::MakeSolid24(4, 4, 100, 100, 100), settings));
    EXPECT_GT(test::ColourAt(brighter.get(), 0, 0).red, 100);
}

// A correction FreeImage refuses fails the file instead of passing the
// picture on as if it had been corrected.
TEST(AdjustColours, AGammaFreeImageRefusesGivesNoPicture) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    settings.ImageGamma = 0.0f;
    EXPECT_EQ(AdjustColours(test::MakeSolid24(4, 4, 10, 128, 250), settings), nullptr);
}

TEST(AdjustColours, AOneBitPictureIsMadeTwentyFourBits) {
    ConversionSettings settings;
    settings.DoImageColorCorrection = 1;
    Bitmap result(AdjustColours(AdoptBitmap(FreeImage_Allocate(8, 8, 1)), settings));
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(test::Bpp(result.get()), 24u);

    settings.DoImageColorCorrection = 0;
    Bitmap untouched(FreeImage_Allocate(8, 8, 1));
    FIBITMAP* const handle = untouched.get();
    untouched = AdjustColours(std::move(untouched), settings);
    EXPECT_EQ(untouched.get(), handle);
}

TEST(GreyscaleThresholdDither, GreyscaleThenThresholdGivesOneBitBlackAndWhite) {
    ConversionSettings settings;
    settings.DoImageGreyscale = 1;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 128;
    Bitmap image = test::MakeHalves24(16, 4);
    image = MakeGreyscale(std::move(image), settings);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(test::Bpp(image.get()), 8u);
    Bitmap result = ApplyThreshold(std::move(image), settings);
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(test::Bpp(result.get()), 1u);
    EXPECT_EQ(test::ColourAt(result.get(), 2, 1).red, 0);
    EXPECT_EQ(test::ColourAt(result.get(), 13, 1).red, 255);
}

TEST(GreyscaleThresholdDither, ThresholdLevelOutsideTheByteRangeIsClamped) {
    ConversionSettings settings;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 1000;  // everything below 255 turns black
    Bitmap result(ApplyThreshold(test::MakeSolid24(4, 4, 200, 200, 200), settings));
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(test::ColourAt(result.get(), 1, 1).red, 0);
}

TEST(GreyscaleThresholdDither, DitherAfterThresholdDithersTheOneBitPictureAgain) {
    ConversionSettings settings;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 100;
    settings.DoImageDither = 1;
    for (int algorithm = 0; algorithm <= 7; ++algorithm) {
        settings.ImageDitherAlgorithm = static_cast<int8_t>(algorithm);
        Bitmap image = ApplyThreshold(test::MakeHalves24(32, 32), settings);
        ASSERT_EQ(test::Bpp(image.get()), 1u);
        Bitmap result(ApplyDither(std::move(image), settings));
        ASSERT_NE(result.get(), nullptr) << algorithm;
        EXPECT_EQ(test::Bpp(result.get()), 1u);
        // The black half stays (nearly: ordered matrices may light a few
        // pixels of pure black), the white half stays white.
        int whiteOnBlack = 0, blackOnWhite = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 16; ++x)
                whiteOnBlack += test::ColourAt(result.get(), x, y).red != 0;
            for (int x = 16; x < 32; ++x)
                blackOnWhite += test::ColourAt(result.get(), x, y).red == 0;
        }
        EXPECT_LT(whiteOnBlack, 32) << algorithm;
        EXPECT_EQ(blackOnWhite, 0) << algorithm;
    }
}

TEST(GreyscaleThresholdDither, DitherOfMidGreyMixesBlackAndWhite) {
    ConversionSettings settings;
    settings.DoImageDither = 1;
    Bitmap result(ApplyDither(test::MakeSolid24(32, 32, 128, 128, 128), settings));
    ASSERT_NE(result.get(), nullptr);
    int white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) white += test::ColourAt(result.get(), x, y).red == 255;
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
