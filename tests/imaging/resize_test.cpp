#include "imaging/resize.h"

#include <gtest/gtest.h>

#include <optional>

#include "imaging_test_support.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

struct ResizeCase {
    const char* name;
    int width, height;              // picture
    int targetWidth, targetHeight;  // settings
    int widthUnit, heightUnit;
    int keepAspect;
    int largeOnly;
    std::optional<PixelSize> expected;  // nothing: left as it is
};

ConversionSettings SettingsFor(const ResizeCase& c) {
    ConversionSettings settings;
    settings.DoImageResize = 1;
    settings.ImageWidth = c.targetWidth;
    settings.ImageHeight = c.targetHeight;
    settings.ImageWidthUnit = static_cast<int8_t>(c.widthUnit);
    settings.ImageHeightUnit = static_cast<int8_t>(c.heightUnit);
    settings.KeepAspectRatio = static_cast<int8_t>(c.keepAspect);
    settings.ImageResizeType = static_cast<int8_t>(c.largeOnly);
    return settings;
}

class ResizeTargetTest : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(ResizeTargetTest, GivesTheExpectedSize) {
    const ResizeCase& c = GetParam();
    EXPECT_EQ(ResizeTarget(c.width, c.height, SettingsFor(c)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResizeTargetTest,
    ::testing::Values(
        ResizeCase{"SquareCountsAsLandscape", 500, 500, 200, 900, 0, 0, 1, 0, PixelSize{200, 200}},
        ResizeCase{"MixedUnits", 1000, 500, 50, 100, 1, 0, 0, 0, PixelSize{500, 100}},
        ResizeCase{"StretchUsesBothTargets", 640, 480, 100, 300, 0, 0, 0, 0, PixelSize{100, 300}},
        ResizeCase{"AllImagesEnlargesASmallerPicture", 640, 480, 800, 600, 0, 0, 0, 0,
                   PixelSize{800, 600}},
        ResizeCase{"NegativeTargetDisables", 640, 480, 100, -5, 0, 0, 0, 0, std::nullopt},
        ResizeCase{"AlreadyAtTheTarget", 640, 480, 640, 480, 0, 0, 0, 0, std::nullopt},
        ResizeCase{"AspectGivesTheCurrentSize", 640, 480, 640, 10, 0, 0, 1, 0, std::nullopt},
        ResizeCase{"AVeryFlatPictureKeepsOneRow", 1000, 1, 10, 10, 0, 0, 1, 0, PixelSize{10, 1}}),
    [](const ::testing::TestParamInfo<ResizeCase>& info) { return info.param.name; });

TEST(ResizeTarget, RatioIsSinglePrecisionAndHalvesRoundAwayFromZero) {
    // 10 x 4 to width 5: ratio 2.5, 5 / 2.5 = 2 exactly.
    ResizeCase c{"", 10, 4, 5, 5, 0, 0, 1, 0, std::nullopt};
    EXPECT_EQ(ResizeTarget(10, 4, SettingsFor(c)), (PixelSize{5, 2}));
    // 16 x 5 to width 5: ratio 3.2, 5 / 3.2 = 1.5625 -> 2.
    EXPECT_EQ(ResizeTarget(16, 5, SettingsFor(c)), (PixelSize{5, 2}));
    // 4 x 3 to width 6: the ratio 1.3333334f divides 6 into exactly 4.5 in
    // single precision, which rounds up to 5 (in double it would be 4.4999999).
    EXPECT_EQ(ResizeTarget(4, 3, SettingsFor({"", 4, 3, 6, 6, 0, 0, 1, 0, std::nullopt})),
              (PixelSize{6, 5}));
}

TEST(ResizeFilterFor, MapsTheAlgorithmsToFreeImageFilters) {
    EXPECT_EQ(ResizeFilterFor(0), FILTER_BOX);
    EXPECT_EQ(ResizeFilterFor(1), FILTER_BILINEAR);
    EXPECT_EQ(ResizeFilterFor(2), FILTER_BSPLINE);
    EXPECT_EQ(ResizeFilterFor(3), FILTER_BICUBIC);
    EXPECT_EQ(ResizeFilterFor(4), FILTER_CATMULLROM);
    EXPECT_EQ(ResizeFilterFor(5), FILTER_LANCZOS3);
    EXPECT_EQ(ResizeFilterFor(6), FILTER_BICUBIC);
    EXPECT_EQ(ResizeFilterFor(-1), FILTER_BICUBIC);
}

TEST(ResizeImage, ResamplesAFloatingPointPictureToTheTarget) {
    ConversionSettings settings = SettingsFor({"", 200, 100, 80, 80, 0, 0, 1, 0, std::nullopt});
    for (int algorithm = 0; algorithm <= 5; ++algorithm) {
        settings.ImageResizeAlgorithm = static_cast<int8_t>(algorithm);
        Bitmap resized(
            ResizeImage(test::MakeUniformRgbf(200, 100, {0.25f, 0.5f, 1.0f}), 200, 100, settings));
        ASSERT_NE(resized.get(), nullptr) << algorithm;
        EXPECT_EQ(FreeImage_GetImageType(resized.get()), FIT_RGBF);
        EXPECT_EQ(test::Width(resized.get()), 80u);
        EXPECT_EQ(test::Height(resized.get()), 40u);
        EXPECT_NEAR(test::RgbfAt(resized.get(), 40, 20).green, 0.5f, 0.01f) << algorithm;
    }
}

TEST(ResizeImage, APictureLeftAsItIsIsTheSameHandle) {
    Bitmap image(test::MakeUniformRgbf(64, 48, {1, 1, 1}));
    FIBITMAP* const handle = image.get();
    image = ResizeImage(std::move(image), 64, 48,
                        SettingsFor({"", 64, 48, 64, 48, 0, 0, 0, 0, std::nullopt}));
    EXPECT_EQ(image.get(), handle);
    EXPECT_EQ(
        ResizeImage(nullptr, 64, 48, SettingsFor({"", 64, 48, 32, 24, 0, 0, 0, 0, std::nullopt})),
        nullptr);
}

}  // namespace
}  // namespace orvex
