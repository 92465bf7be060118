// The tone controls of the Drago mapper (exposure, bias, gamma, saturation)
// against the curve worked out in double precision, and the settings'
// defaults giving the plain mapping to the byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/image_io.h"
#include "imaging/drago_operator.h"
#include "imaging/imaging_test_support.h"
#include "imaging/tone_map.h"
#include "settings/conversion_settings.h"

namespace orvex {

void PrintTo(const DragoControls& c, std::ostream* out) {
    *out << "exposure " << c.exposure << ", bias " << c.bias << ", gamma " << c.gamma
         << ", saturation " << c.saturation;
}

namespace {

struct Byte3 {
    int red, green, blue;
};

// The sRGB (D65) matrices as published.
constexpr double kToXyz[3][3] = {
    {0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
constexpr double kToRgb[3][3] = {
    {3.2406, -1.5372, -0.4986}, {-0.9689, 1.8758, 0.0415}, {0.0557, -0.2040, 1.0570}};

// One pixel through the curve as the mapper documents it.
Byte3 Expected(const FIRGBF& pixel, const DragoStatistics& stats, const DragoControls& c) {
    const double rgb[3] = {pixel.red, pixel.green, pixel.blue};
    double xyz[3];
    for (int i = 0; i < 3; ++i)
        xyz[i] = kToXyz[i][0] * rgb[0] + kToXyz[i][1] * rgb[1] + kToXyz[i][2] * rgb[2];
    const double sum = xyz[0] + xyz[1] + xyz[2];
    const double cx = xyz[0] / sum, cy = xyz[1] / sum;
    const double yw = xyz[1] / stats.logAverageLuminance * std::pow(2.0, c.exposure);
    const double maxRatio = double{stats.largestLuminance} / stats.logAverageLuminance;
    const double b = std::log(c.bias) / std::log(0.5);
    double logPlus1 = std::log(yw + 1);
    if (yw < 1)
        logPlus1 = yw * (6 + yw) / (6 + 4 * yw);
    else if (yw < 2)
        logPlus1 = yw * (6 + 0.7662 * yw) / (5.9897 + 3.7658 * yw);
    const double mapped =
        logPlus1 / std::log(2 + 8 * std::pow(yw / maxRatio, b)) / std::log10(maxRatio + 1);
    const double mappedXyz[3] = {cx * mapped / cy, mapped, (1 - cx - cy) * mapped / cy};
    int out[3];
    for (int i = 0; i < 3; ++i) {
        double v =
            kToRgb[i][0] * mappedXyz[0] + kToRgb[i][1] * mappedXyz[1] + kToRgb[i][2] * mappedXyz[2];
        v = mapped + c.saturation * (v - mapped);
        if (c.gamma != 1) {
            const double g = c.gamma;
            double toe = 0.018, slope = 4.5;
            if (g >= 2.1) {
                toe = 0.018 / ((g - 2) * 7.5);
                slope = 4.5 * ((g - 2) * 7.5);
            } else if (g <= 1.9) {
                toe = 0.018 * ((2 - g) * 7.5);
                slope = 4.5 / ((2 - g) * 7.5);
            }
            v = v <= toe ? v * slope : 1.099 * std::pow(v, 0.9 / g) - 0.099;
        }
        v = std::min(1.0, std::max(0.0, v));
        out[i] = static_cast<int>(std::floor(255 * v + 0.5));
    }
    return {out[0], out[1], out[2]};
}

// Colours of every hue over four orders of magnitude of light, chosen so
// that no pixel lies on the steps of the curve's approximations.
FIRGBF Scene(int x, int y) {
    const float light = std::pow(10.0f, -2.0f + 4.0f * static_cast<float>(x) / 63.0f);
    const float hue = static_cast<float>(y) / 15.0f;
    return {light * (0.3f + hue), light * (0.9f - 0.5f * hue), light * (0.2f + 0.6f * hue)};
}

DragoControls With(double exposure, double bias, double gamma, double saturation) {
    DragoControls c;
    c.exposure = exposure;
    c.bias = bias;
    c.gamma = gamma;
    c.saturation = saturation;
    return c;
}

class DragoControlsFollowTheCurve : public ::testing::TestWithParam<DragoControls> {};

// Every channel within one level of the curve worked out in double, and the
// control changes the picture.
TEST_P(DragoControlsFollowTheCurve, WithinOneLevel) {
    const Bitmap source(test::MakeRgbf(64, 16, Scene));
    const std::optional<DragoStatistics> stats = MeasureDragoStatistics(source.get());
    ASSERT_TRUE(stats.has_value());
    DragoControls controls = GetParam();
    controls.statistics = stats;
    const Bitmap mapped(DragoToneMap(source.get(), controls));
    const Bitmap plain(DragoToneMap(source.get(), DragoControls{}));
    ASSERT_NE(mapped.get(), nullptr);
    int changed = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Byte3 want = Expected(Scene(x, y), *stats, controls);
            const test::Colour got = test::ColourAt(mapped.get(), x, y);
            ASSERT_LE(std::abs(got.red - want.red), 1) << x << "," << y;
            ASSERT_LE(std::abs(got.green - want.green), 1) << x << "," << y;
            ASSERT_LE(std::abs(got.blue - want.blue), 1) << x << "," << y;
            const test::Colour before = test::ColourAt(plain.get(), x, y);
            changed +=
                got.red != before.red || got.green != before.green || got.blue != before.blue;
        }
    }
    EXPECT_GT(changed, 64 * 16 / 4);
}

INSTANTIATE_TEST_SUITE_P(Controls, DragoControlsFollowTheCurve,
                         ::testing::Values(With(-2, 0.85, 1, 1), With(3, 0.85, 1, 1),
                                           With(0, 0.5, 1, 1), With(0, 1.0, 1, 1),
                                           With(0, 0.85, 2.2, 1), With(0, 0.85, 0.5, 1),
                                           With(0, 0.85, 1, 0.3), With(0, 0.85, 1, 2),
                                           With(1.5, 0.7, 1.8, 1.4)));

TEST(DragoControls, NoSaturationIsGreyAndBadControlsAreRefused) {
    const Bitmap source(test::MakeRgbf(64, 16, Scene));
    const Bitmap grey(DragoToneMap(source.get(), With(0, 0.85, 2.2, 0)));
    ASSERT_NE(grey.get(), nullptr);
    for (int x = 0; x < 64; x += 3) {
        const test::Colour c = test::ColourAt(grey.get(), x, 7);
        EXPECT_EQ(c.red, c.green);
        EXPECT_EQ(c.green, c.blue);
    }
    for (const DragoControls& bad :
         {With(0, 0, 1, 1), With(0, 1.5, 1, 1), With(0, 0.85, 1, -0.5), With(NAN, 0.85, 1, 1),
          With(0, 0.85, INFINITY, 1), With(0, NAN, 1, 1)}) {
        EXPECT_EQ(DragoToneMap(source.get(), bad), nullptr);
    }
}

// The settings' defaults reach the mapper as its own defaults: the bundled
// sample and a generated picture map to exactly the bytes of the plain mapping.
TEST(DragoControls, DefaultSettingsGiveThePlainMappingToTheByte) {
    const Bitmap sample =
        LoadInputImage(std::string(ORVEX_TEST_DATA_DIR) + "/../../data/sample.hdr");
    ASSERT_NE(sample.get(), nullptr);
    const Bitmap generated(test::MakeRgbf(301, 77, Scene));
    for (FIBITMAP* source : {sample.get(), generated.get()}) {
        const Bitmap plain(DragoToneMap(source, DragoControls{}));
        const Bitmap fromSettings(DragoToneMap(source, DragoControlsFor(ConversionSettings{})));
        ASSERT_NE(plain.get(), nullptr);
        ASSERT_NE(fromSettings.get(), nullptr);
        const unsigned pitch = FreeImage_GetPitch(plain.get());
        ASSERT_EQ(pitch, FreeImage_GetPitch(fromSettings.get()));
        for (unsigned y = 0; y < FreeImage_GetHeight(plain.get()); ++y) {
            ASSERT_EQ(
                std::memcmp(FreeImage_GetScanLine(plain.get(), static_cast<int>(y)),
                            FreeImage_GetScanLine(fromSettings.get(), static_cast<int>(y)), pitch),
                0)
                << y;
        }
    }
}

}  // namespace
}  // namespace orvex
