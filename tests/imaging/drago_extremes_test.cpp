// The Drago tone mapper at the edges of what a float holds: pixels up to the
// largest value a Radiance file can store, and generated pictures with
// channels that are not finite numbers. Checked against the curve worked out
// in double precision.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

#include "imaging/drago_operator.h"
#include "imaging/imaging_test_support.h"

namespace orvex {
namespace {

using PixelFunction = std::function<FIRGBF(int x, int y)>;

// The largest value an RGBE pixel holds: mantissa 255, exponent 255.
const float kRgbeLargest = std::ldexp(255.0f, 255 - 136);
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

struct Matrices {
    double toXyz[3][3];
    double toRgb[3][3];
};

// sRGB primaries and the D65 white, in double precision.
Matrices MakeMatrices() {
    const double xr = 0.64, yr = 0.33, xg = 0.30, yg = 0.60, xb = 0.15, yb = 0.06;
    const double xw = 0.3127, yw = 0.3290;
    const double primaries[3][3] = {
        {xr, xg, xb}, {yr, yg, yb}, {1 - xr - yr, 1 - xg - yg, 1 - xb - yb}};
    const double white[3] = {xw / yw, 1, (1 - xw - yw) / yw};
    // Scale each primary so that they add up to the white.
    double inverse[3][3];
    const auto& p = primaries;
    const double det = p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
                       p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                       p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0]);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            inverse[i][j] = (p[r0][c0] * p[r1][c1] - p[r0][c1] * p[r1][c0]) / det;
        }
    }
    Matrices m{};
    double scale[3];
    for (int i = 0; i < 3; ++i) {
        scale[i] = inverse[i][0] * white[0] + inverse[i][1] * white[1] + inverse[i][2] * white[2];
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m.toXyz[i][j] = p[i][j] * scale[j];
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m.toRgb[i][j] = inverse[i][j] / scale[i];
    }
    return m;
}

struct Expected {
    bool black;  // a channel not finite
    int rgb[3];
};

// The Drago curve at gamma 1, everything in double: luminance statistics
// over the pixels with finite channels, the curve with the true log(Yw + 1),
// the chromaticity kept, then clamped and rounded to bytes.
std::vector<Expected> Reference(int width, int height, const PixelFunction& pixel,
                                double exposure) {
    const Matrices m = MakeMatrices();
    struct Yxy {
        bool finite;
        double lum, cx, cy;
    };
    std::vector<Yxy> yxy;
    double largest = 0, logSum = 0;
    size_t counted = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const FIRGBF p = pixel(x, y);
            const double c[3] = {p.red, p.green, p.blue};
            if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) {
                yxy.push_back({false, 0, 0, 0});
                continue;
            }
            double xyz[3];
            for (int i = 0; i < 3; ++i)
                xyz[i] = m.toXyz[i][0] * c[0] + m.toXyz[i][1] * c[1] + m.toXyz[i][2] * c[2];
            const double w = xyz[0] + xyz[1] + xyz[2];
            const Yxy v = w > 0 ? Yxy{true, xyz[1], xyz[0] / w, xyz[1] / w} : Yxy{true, 0, 0, 0};
            yxy.push_back(v);
            largest = std::max(largest, std::max(v.lum, 0.0));
            logSum += std::log(2.3e-5 + std::max(v.lum, 0.0));
            ++counted;
        }
    }
    const double logAverage = std::exp(logSum / static_cast<double>(counted));
    const double maxRatio = largest / logAverage;
    const double bias = std::log(0.85) / std::log(0.5);
    std::vector<Expected> result;
    for (const Yxy& v : yxy) {
        Expected e{!v.finite, {0, 0, 0}};
        const double yw = v.lum / logAverage * std::exp2(exposure);
        if (v.finite && yw > 0 && v.cx > 1e-6 && v.cy > 1e-6) {
            const double mapped = std::log1p(yw) / std::log(2 + 8 * std::pow(yw / maxRatio, bias)) /
                                  std::log10(maxRatio + 1);
            const double xyz[3] = {v.cx * mapped / v.cy, mapped, (1 - v.cx - v.cy) * mapped / v.cy};
            for (int i = 0; i < 3; ++i) {
                const double c =
                    m.toRgb[i][0] * xyz[0] + m.toRgb[i][1] * xyz[1] + m.toRgb[i][2] * xyz[2];
                e.rgb[i] = static_cast<int>(255 * std::clamp(c, 0.0, 1.0) + 0.5);
            }
        }
        result.push_back(e);
    }
    return result;
}

// Our result at gamma 1 against the curve in double: black where a channel
// is not finite, elsewhere within `tolerance` levels (the mapper takes
// log(Yw + 1) from rational approximations below 2, off by up to 1.5 %).
void ExpectLikeTheCurve(int width, int height, const PixelFunction& pixel, double exposure = 0,
                        int tolerance = 4) {
    const Bitmap source(test::MakeRgbf(width, height, pixel));
    const Bitmap mapped(DragoToneMap(source.get(), test::Controls(1.0, exposure)));
    ASSERT_NE(mapped.get(), nullptr);
    const std::vector<Expected> expected = Reference(width, height, pixel, exposure);
    int failures = 0;
    for (int y = 0; y < height && failures < 10; ++y) {
        for (int x = 0; x < width && failures < 10; ++x) {
            const test::Colour ours = test::ColourAt(mapped.get(), x, y);
            const Expected& e = expected[static_cast<size_t>(y) * width + x];
            const int got[3] = {ours.red, ours.green, ours.blue};
            for (int i = 0; i < 3; ++i) {
                const bool right = e.black ? got[i] == 0 : std::abs(got[i] - e.rgb[i]) <= tolerance;
                if (!right) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << i << ": ours "
                                  << got[i] << ", expected " << (e.black ? 0 : e.rgb[i]);
                    ++failures;
                }
            }
        }
    }
}

TEST(DragoExtremes, TheBrightestRadianceWhiteIsWhite) {
    const FIRGBF white{kRgbeLargest, kRgbeLargest, kRgbeLargest};
    for (const double gamma : {1.0, 2.2}) {
        const Bitmap source(test::MakeUniformRgbf(19, 5, white));
        const Bitmap mapped(DragoToneMap(source.get(), test::Controls(gamma, 0.0)));
        ASSERT_NE(mapped.get(), nullptr);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 19; ++x) {
                const test::Colour c = test::ColourAt(mapped.get(), x, y);
                ASSERT_GE(std::min({c.red, c.green, c.blue}), 254)
                    << x << "," << y << " gamma " << gamma;
            }
        }
    }
    // Coloured pixels that bright keep their colour.
    ExpectLikeTheCurve(33, 9, [](int x, int y) {
        const float s = 0.25f + 0.75f * static_cast<float>(x) / 32;
        return y % 3 == 0   ? FIRGBF{kRgbeLargest, kRgbeLargest * s, kRgbeLargest * 0.1f}
               : y % 3 == 1 ? FIRGBF{kRgbeLargest * s, kRgbeLargest * 0.5f, kRgbeLargest}
                            : FIRGBF{kRgbeLargest * 0.01f, kRgbeLargest * s, kRgbeLargest * s};
    });
}

// A gradient over 0 to 10 with one pixel at the largest Radiance value:
// the rest is as dark as the curve makes it, no darker, and the bright
// pixel itself is as the curve gives it too.
TEST(DragoExtremes, OneBrightestPixelDoesNotDarkenTheRestBeyondTheCurve) {
    const auto picture = [](int x, int y) {
        if (x == 200 && y == 17) return FIRGBF{kRgbeLargest, kRgbeLargest, kRgbeLargest};
        const float light = 10.0f * static_cast<float>(x * y + 1) / (255.0f * 255.0f);
        return FIRGBF{light, light * 0.8f, light * (0.5f + static_cast<float>(y) / 255)};
    };
    ExpectLikeTheCurve(256, 256, picture);
    ExpectLikeTheCurve(256, 256, picture, 4.0);
    // On a black picture one such pixel is the whole range, with ratios of
    // the largest luminance to the log-average beyond float's reach.
    ExpectLikeTheCurve(64, 64, [](int x, int y) {
        if (x == 3 && y == 60) return FIRGBF{kRgbeLargest, kRgbeLargest * 0.5f, kRgbeLargest};
        return x > 40 ? FIRGBF{1e30f, 1e30f, 1e30f} : FIRGBF{0, 0, 0};
    });
}

TEST(DragoExtremes, ChannelsThatAreNotFiniteAreBlackAndLeaveTheRestRight) {
    const FIRGBF unusable[] = {{kNaN, kNaN, kNaN},       {kInfinity, kInfinity, kInfinity},
                               {-kInfinity, 0.5f, 0.5f}, {kInfinity, 0, 0},
                               {0.2f, kNaN, 0.3f},       {kInfinity, -kInfinity, 1}};
    const auto picture = [&unusable](int x, int y) {
        if ((x * 7 + y * 3) % 11 == 0) return unusable[(x + y) % 6];
        const float light = std::pow(10.0f, -2.0f + 4.0f * static_cast<float>(x) / 63);
        return FIRGBF{light, light * (0.3f + static_cast<float>(y) / 50), light * 0.6f};
    };
    ExpectLikeTheCurve(64, 48, picture);
    // Nothing finite at all: black, not a failure.
    const Bitmap source(test::MakeUniformRgbf(4, 4, FIRGBF{kNaN, kInfinity, kNaN}));
    const Bitmap mapped(DragoToneMap(source.get(), test::Controls(1.0, 0.0)));
    ASSERT_NE(mapped.get(), nullptr);
    const test::Colour c = test::ColourAt(mapped.get(), 2, 2);
    EXPECT_EQ(c.red + c.green + c.blue, 0);
}

}  // namespace
}  // namespace orvex
