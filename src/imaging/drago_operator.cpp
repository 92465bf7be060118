// Drago tone mapping in two passes over the picture, both row-parallel and
// SIMD: the first gathers the luminance statistics (largest luminance and
// log-average), the second maps every pixel and writes the 24-bit result.
//
// Per pixel:
//   RGB -> XYZ (sRGB primaries, D65 white) -> Y and chromaticity x, y
//   Yw = Y / log-average x 2^exposure
//   Y' = log(Yw + 1) / log(2 + 8 (Yw / Ymax)^b) / log10(Ymax + 1),
//        b = log(bias) / log(0.5) (bias 0.85 by default), Ymax = largest Y / log-average
//   Y', x, y -> XYZ -> RGB; each channel c -> Y' + saturation (c - Y'), then
//   the gamma curve and rounding to bytes.
// log(Yw + 1) is taken from two rational approximations below 2 (one up
// to 1, one from 1 to 2), so the curve has small steps at 1 and 2; they are
// kept as they are, since pictures mapped before must not change.
//
// This file is compiled once for each SIMD instruction set (Highway's
// foreach_target); the widest one the machine has is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/drago_operator.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
// Included after highway.h, once per target.
#include <hwy/contrib/math/math-inl.h>

#ifndef ORVEX_DRAGO_OPERATOR_SHARED
#define ORVEX_DRAGO_OPERATOR_SHARED

#include <FreeImage.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "imaging/drago_operator.h"

namespace orvex::drago {

// The colour matrices, derived in single precision from the chromaticities
// of the sRGB primaries and the D65 white point.
struct Matrices {
    float rgbToXyz[3][3];
    float xyzToRgb[3][3];
};

constexpr Matrices MakeMatrices() {
    const float xr = 0.640f, yr = 0.330f, xg = 0.300f, yg = 0.600f, xb = 0.150f, yb = 0.060f;
    const float xw = 0.3127f, yw = 0.3290f;
    const float d = xr * (yg - yb) + xg * (yb - yr) + xb * (yr - yg);
    const float cr = (1 / yw) * (xw * (yg - yb) - yw * (xg - xb) + xg * yb - xb * yg);
    const float cg = (1 / yw) * (xw * (yb - yr) - yw * (xb - xr) - xr * yb + xb * yr);
    const float cb = (1 / yw) * (xw * (yr - yg) - yw * (xr - xg) + xr * yg - xg * yr);
    Matrices m{};
    m.rgbToXyz[0][0] = xr * cr / d;
    m.rgbToXyz[0][1] = xg * cg / d;
    m.rgbToXyz[0][2] = xb * cb / d;
    m.rgbToXyz[1][0] = yr * cr / d;
    m.rgbToXyz[1][1] = yg * cg / d;
    m.rgbToXyz[1][2] = yb * cb / d;
    m.rgbToXyz[2][0] = (1 - xr - yr) * cr / d;
    m.rgbToXyz[2][1] = (1 - xg - yg) * cg / d;
    m.rgbToXyz[2][2] = (1 - xb - yb) * cb / d;
    m.xyzToRgb[0][0] = (yg - yb - xb * yg + yb * xg) / cr;
    m.xyzToRgb[0][1] = (xb - xg - xb * yg + xg * yb) / cr;
    m.xyzToRgb[0][2] = (xg * yb - xb * yg) / cr;
    m.xyzToRgb[1][0] = (yb - yr - yb * xr + yr * xb) / cg;
    m.xyzToRgb[1][1] = (xr - xb - xr * yb + xb * yr) / cg;
    m.xyzToRgb[1][2] = (xb * yr - xr * yb) / cg;
    m.xyzToRgb[2][0] = (yr - yg - yr * xg + yg * xr) / cb;
    m.xyzToRgb[2][1] = (xg - xr - xg * yr + xr * yg) / cb;
    m.xyzToRgb[2][2] = (xr * yg - xg * yr) / cb;
    return m;
}

inline constexpr Matrices kMatrices = MakeMatrices();

// Below this, a luminance or chromaticity counts as none.
inline constexpr float kEpsilon = 1e-06f;
// Added to every luminance before its logarithm, so black pixels count too.
inline constexpr float kLogOffset = 2.3e-5f;

// What the mapping pass needs to know about the whole picture.
struct Mapping {
    float logAverage;       // world adaptation luminance
    float exposure;         // 2^stops
    float inverseMaxRatio;  // logAverage / largest luminance
    float bias;             // exponent of the bias curve
    float inverseDivider;   // 1 / log10(largest luminance / logAverage + 1)
    // For luminances too large for float once divided by the log-average,
    // and for pictures whose range is too wide for inverseMaxRatio to be
    // precise, the curve is worked out from logarithms:
    bool wideRange;            // every pixel that way
    float logScale;            // log(exposure / logAverage)
    float logInverseMaxRatio;  // log(logAverage / largest luminance)
    bool gammaCurve;           // apply the curve below (gamma != 1)
    bool saturate;             // move the colours about their luminance (saturation != 1)
    float saturation;
    float gammaPower, gammaToe, gammaSlope;
};

}  // namespace orvex::drago

#endif  // ORVEX_DRAGO_OPERATOR_SHARED

HWY_BEFORE_NAMESPACE();
namespace orvex::drago::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::ScalableTag<float>;
using VF = hn::Vec<DF>;

// CIE XYZ of linear RGB.
HWY_INLINE void ToXyz(DF d, VF r, VF g, VF b, VF& x, VF& y, VF& z) {
    const auto& m = kMatrices.rgbToXyz;
    x = hn::Set(d, m[0][0]) * r + hn::Set(d, m[0][1]) * g + hn::Set(d, m[0][2]) * b;
    y = hn::Set(d, m[1][0]) * r + hn::Set(d, m[1][1]) * g + hn::Set(d, m[1][2]) * b;
    z = hn::Set(d, m[2][0]) * r + hn::Set(d, m[2][1]) * g + hn::Set(d, m[2][2]) * b;
}

// Whether every channel of a pixel is a finite number. Pixels that are not
// (they cannot come from a Radiance file, only from a generated picture)
// have no light: they are black and left out of the statistics.
HWY_INLINE hn::Mask<DF> AllFinite(VF r, VF g, VF b) {
    return hn::And(hn::And(hn::IsFinite(r), hn::IsFinite(g)), hn::IsFinite(b));
}

// Luminance Y and chromaticity x, y of linear RGB; all 0 where X + Y + Z
// is not positive or a channel is not finite. Near float's largest values
// (a Radiance file holds up to about 1.7e38) X + Y + Z overflows: there
// the chromaticity is taken from the channels scaled by 2^-8, which is
// exact and leaves the ratios as they are. The luminance is kept finite.
HWY_INLINE void ToYxy(DF d, VF r, VF g, VF b, VF& lum, VF& cx, VF& cy) {
    VF x, y, z;
    ToXyz(d, r, g, b, x, y, z);
    VF w = x + y + z;
    const auto finite = AllFinite(r, g, b);
    const auto lit = hn::And(finite, w > hn::Zero(d));
    lum = hn::IfThenElseZero(lit, hn::Min(y, hn::Set(d, FLT_MAX)));
    VF cxLight = x, cyLight = y;
    const auto overflowed = hn::AndNot(hn::IsFinite(w), finite);
    if (!hn::AllFalse(d, overflowed)) {
        const VF scale = hn::Set(d, 1.0f / 256);
        VF xs, ys, zs;
        ToXyz(d, r * scale, g * scale, b * scale, xs, ys, zs);
        cxLight = hn::IfThenElse(overflowed, xs, cxLight);
        cyLight = hn::IfThenElse(overflowed, ys, cyLight);
        w = hn::IfThenElse(overflowed, xs + ys + zs, w);
    }
    cx = hn::IfThenElseZero(lit, cxLight / w);
    cy = hn::IfThenElseZero(lit, cyLight / w);
}

// The luminance alone, as ToYxy gives it.
HWY_INLINE VF ToLuminance(DF d, VF r, VF g, VF b) {
    VF x, y, z;
    ToXyz(d, r, g, b, x, y, z);
    const auto lit = hn::And(AllFinite(r, g, b), x + y + z > hn::Zero(d));
    return hn::IfThenElseZero(lit, hn::Min(y, hn::Set(d, FLT_MAX)));
}

// Processes a row in whole vectors; the last, partial one is copied into a
// padded buffer first. `body(rgb, valid, bgr)` handles `valid` pixels.
template <class Body>
HWY_INLINE void ForEachVector(const float* rgb, size_t width, uint8_t* bgr, const Body& body) {
    const DF d;
    const size_t n = hn::Lanes(d);
    size_t x = 0;
    for (; x + n <= width; x += n) body(rgb + 3 * x, n, bgr ? bgr + 3 * x : nullptr);
    if (x == width) return;
    HWY_ALIGN float tailIn[3 * hn::MaxLanes(d)] = {};
    HWY_ALIGN uint8_t tailOut[3 * hn::MaxLanes(d)] = {};
    const size_t valid = width - x;
    std::memcpy(tailIn, rgb + 3 * x, 3 * valid * sizeof(float));
    body(tailIn, valid, bgr ? tailOut : nullptr);
    if (bgr) std::memcpy(bgr + 3 * x, tailOut, 3 * valid);
}

// The largest luminance of a row, the sum of log(kLogOffset + Y) over it
// (the logarithms taken in double precision) and how many pixels the sum
// counts: those with finite channels.
void RowStatistics(const float* rgb, size_t width, float* largest, double* logSum,
                   size_t* counted) {
    const DF d;
    const hn::ScalableTag<double> dd;
    const hn::Rebind<float, decltype(dd)> dHalf;
    const size_t nd = hn::Lanes(dd);
    VF maxima = hn::Zero(d);
    auto sums = hn::Zero(dd);
    size_t count = 0;
    HWY_ALIGN float offsetLum[hn::MaxLanes(d)];
    ForEachVector(rgb, width, nullptr, [&](const float* in, size_t valid, uint8_t*) {
        VF r, g, b;
        hn::LoadInterleaved3(d, in, r, g, b);
        const VF lum = hn::Max(ToLuminance(d, r, g, b), hn::Zero(d));
        maxima = hn::Max(maxima, lum);
        // A pixel left out adds log(1) = 0.
        const auto finite = AllFinite(r, g, b);
        count += hn::CountTrue(d, hn::And(finite, hn::FirstN(d, valid)));
        hn::Store(hn::IfThenElse(finite, hn::Set(d, kLogOffset) + lum, hn::Set(d, 1.0f)), d,
                  offsetLum);
        for (size_t i = 0; i < valid; i += nd) {
            const auto wide = hn::PromoteTo(dd, hn::Load(dHalf, offsetLum + i));
            sums = sums + hn::IfThenElseZero(hn::FirstN(dd, valid - i), hn::Log(dd, wide));
        }
    });
    *largest = hn::GetLane(hn::MaxOfLanes(d, maxima));
    *logSum = hn::GetLane(hn::SumOfLanes(dd, sums));
    *counted = count;
}

// Maps a row of RGB floats to blue, green, red bytes.
void MapRow(const float* rgb, size_t width, const Mapping& p, uint8_t* bgr) {
    const DF d;
    const hn::RebindToSigned<DF> di;
    const hn::Rebind<uint8_t, DF> d8;
    const VF zero = hn::Zero(d), one = hn::Set(d, 1.0f), two = hn::Set(d, 2.0f);
    const VF epsilon = hn::Set(d, kEpsilon);
    const auto& m = kMatrices.xyzToRgb;
    ForEachVector(rgb, width, bgr, [&](const float* in, size_t, uint8_t* out) {
        VF r, g, b, lum, cx, cy;
        hn::LoadInterleaved3(d, in, r, g, b);
        ToYxy(d, r, g, b, lum, cx, cy);

        // The Drago curve on the luminance.
        const VF yw = lum / hn::Set(d, p.logAverage) * hn::Set(d, p.exposure);
        const VF ratio = yw * hn::Set(d, p.inverseMaxRatio);
        VF biased =
            hn::IfThenElseZero(yw > zero, hn::Exp(d, hn::Set(d, p.bias) * hn::Log(d, ratio)));
        // Where Yw overflows (or the range is too wide), its logarithm
        // stands in for it.
        const auto overflowed = hn::Not(hn::IsFinite(yw));
        const auto fromLogarithms =
            hn::Or(overflowed, hn::FirstN(d, p.wideRange ? hn::Lanes(d) : 0));
        VF logYw = zero;
        if (!hn::AllFalse(d, fromLogarithms)) {
            logYw = hn::Log(d, hn::Max(lum, hn::Set(d, FLT_MIN))) + hn::Set(d, p.logScale);
            const VF power =
                hn::Exp(d, hn::Set(d, p.bias) * (logYw + hn::Set(d, p.logInverseMaxRatio)));
            biased = hn::IfThenElse(fromLogarithms, hn::IfThenElseZero(yw > zero, power), biased);
        }
        const VF interpolation = hn::Log(d, two + biased * hn::Set(d, 8.0f));
        // log(yw + 1): one of the two approximations below 2, the logarithm
        // itself (only worked out when a lane needs it) from 2 on.
        const auto belowOne = yw < one;
        const VF numerator = yw * hn::IfThenElse(belowOne, hn::Set(d, 6.0f) + yw,
                                                 hn::Set(d, 6.0f) + hn::Set(d, 0.7662f) * yw);
        const VF denominator = hn::IfThenElse(belowOne, hn::Set(d, 6.0f) + hn::Set(d, 4.0f) * yw,
                                              hn::Set(d, 5.9897f) + hn::Set(d, 3.7658f) * yw);
        VF logPlus1 = numerator / denominator;
        const auto large = yw >= two;
        if (!hn::AllFalse(d, large)) {
            logPlus1 = hn::IfThenElse(large, hn::Log(d, yw + one), logPlus1);
            logPlus1 = hn::IfThenElse(overflowed, logYw, logPlus1);
        }
        const VF mapped = logPlus1 / interpolation * hn::Set(d, p.inverseDivider);

        // Back to XYZ with the chromaticity kept, then to RGB.
        const auto coloured = hn::And(hn::And(mapped > epsilon, cx > epsilon), cy > epsilon);
        const VF x = hn::IfThenElse(coloured, cx * mapped / cy, epsilon);
        const VF z = hn::IfThenElse(coloured, x / cx - x - mapped, epsilon);
        VF channel[3];
        for (int i = 0; i < 3; ++i) {
            channel[i] =
                hn::Set(d, m[i][0]) * x + hn::Set(d, m[i][1]) * mapped + hn::Set(d, m[i][2]) * z;
        }
        if (p.saturate) {
            // The colour's distance from its luminance, scaled in linear light.
            const VF saturation = hn::Set(d, p.saturation);
            for (VF& c : channel) c = hn::MulAdd(saturation, c - mapped, mapped);
        }
        hn::Vec<decltype(d8)> bytes[3];
        for (int i = 0; i < 3; ++i) {
            VF v = channel[i];
            if (p.gammaCurve) {
                // A power curve with a linear toe; the power is only taken
                // where it is used (v > toe > 0), and kept finite.
                const VF power =
                    hn::Exp(d, hn::Min(hn::Set(d, p.gammaPower) * hn::Log(d, hn::Max(v, epsilon)),
                                       hn::Set(d, 80.0f)));
                v = hn::IfThenElse(v <= hn::Set(d, p.gammaToe), v * hn::Set(d, p.gammaSlope),
                                   hn::Set(d, 1.099f) * power - hn::Set(d, 0.099f));
            }
            // Clamped to [0, 1] (anything not a number counts as 0), then
            // rounded half up to a byte.
            v = hn::IfThenElse(v > one, one, v);
            v = hn::IfThenElseZero(v > zero, v);
            const auto level = hn::ConvertTo(di, hn::Set(d, 255.0f) * v + hn::Set(d, 0.5f));
            bytes[i] = hn::DemoteTo(d8, level);
        }
        hn::StoreInterleaved3(bytes[2], bytes[1], bytes[0], d8, out);
    });
}

}  // namespace orvex::drago::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orvex {
namespace drago {
HWY_EXPORT(RowStatistics);
HWY_EXPORT(MapRow);
}  // namespace drago

namespace {

constexpr size_t kRowsPerTask = 8;

// Beyond this ratio of the largest luminance to the log-average, its
// inverse nears float's smallest normal numbers and loses precision.
constexpr double kWideRange = 1e30;

const float* RowPixels(FIBITMAP* image, unsigned y) {
    return reinterpret_cast<const float*>(FreeImage_GetScanLine(image, static_cast<int>(y)));
}

Bitmap AllocateBlack24(unsigned width, unsigned height) {
    return AdoptBitmap(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24,
                                          FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
}

// The gamma curve with a linear toe: slope and toe move with the gamma so
// that the two pieces meet.
void SetGammaCurve(double gamma, drago::Mapping* p) {
    p->gammaCurve = gamma != 1;
    const auto g = static_cast<float>(gamma);
    p->gammaPower = static_cast<float>((0.45 / g) * 2);
    p->gammaSlope = 4.5f;
    p->gammaToe = 0.018f;
    if (g >= 2.1f) {
        p->gammaToe = static_cast<float>(0.018 / ((g - 2) * 7.5));
        p->gammaSlope = static_cast<float>(4.5 * ((g - 2) * 7.5));
    } else if (g <= 1.9f) {
        p->gammaToe = static_cast<float>(0.018 * ((2 - g) * 7.5));
        p->gammaSlope = static_cast<float>(4.5 / ((2 - g) * 7.5));
    }
}

DragoStatistics MeasureRgbf(FIBITMAP* image) {
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);

    // Statistics per row, combined in row order so the result never depends
    // on how the rows were shared out.
    std::vector<float> rowLargest(height);
    std::vector<double> rowLogSum(height);
    std::vector<size_t> rowCounted(height);
    tbb::parallel_for(tbb::blocked_range<unsigned>(0, height, kRowsPerTask),
                      [&](const tbb::blocked_range<unsigned>& rows) {
                          for (unsigned y = rows.begin(); y != rows.end(); ++y) {
                              HWY_DYNAMIC_DISPATCH(drago::RowStatistics)
                              (RowPixels(image, y), width, &rowLargest[y], &rowLogSum[y],
                               &rowCounted[y]);
                          }
                      });
    float largest = 0;
    double logSum = 0;
    size_t counted = 0;
    for (unsigned y = 0; y < height; ++y) {
        largest = std::max(largest, rowLargest[y]);
        logSum += rowLogSum[y];
        counted += rowCounted[y];
    }
    DragoStatistics statistics;
    statistics.largestLuminance = largest;
    if (counted > 0) {
        statistics.logAverageLuminance =
            static_cast<float>(std::exp(logSum / static_cast<double>(counted)));
    }
    return statistics;
}

Bitmap MapRgbf(FIBITMAP* image, const DragoControls& controls,
               const std::shared_ptr<PixelPool>& pixels) {
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    const DragoStatistics statistics = controls.statistics ? *controls.statistics : MeasureRgbf(image);
    const float largest = statistics.largestLuminance;
    const double gamma = controls.gamma;
    const double exposure = controls.exposure;
    // Without light the curve would divide zero by zero: the picture stays
    // black, which is what a new 24-bit picture of FreeImage's is.
    if (!(largest > 0) || !(statistics.logAverageLuminance > 0)) {
        return AllocateBlack24(width, height);
    }
    // Every pixel and every row's padding is written below, so the memory
    // need not be cleared first (on one core, for a large picture).
    Bitmap result = AllocateUncleared24(width, height, pixels);
    if (!result) return result;
    const unsigned rowBytes = 3 * width;
    const unsigned padding = FreeImage_GetPitch(result.get()) - rowBytes;

    drago::Mapping p{};
    p.logAverage = statistics.logAverageLuminance;
    p.exposure = static_cast<float>(std::pow(2.0, exposure));
    // The ratio is taken in float as it always was; only where that
    // overflows (a huge largest luminance over a dim log-average) in double.
    const float floatMaxRatio = largest / p.logAverage;
    const double maxRatio = std::isfinite(floatMaxRatio) ? double{floatMaxRatio}
                                                         : double{largest} / double{p.logAverage};
    p.inverseMaxRatio = static_cast<float>(1.0 / maxRatio);
    p.bias = static_cast<float>(std::log(double{static_cast<float>(controls.bias)}) /
                                double{-0.693147f});
    p.inverseDivider = static_cast<float>(1.0 / std::log10(maxRatio + 1));
    p.wideRange = maxRatio > kWideRange;
    p.logScale = static_cast<float>(std::log(double{p.exposure}) - std::log(double{p.logAverage}));
    p.logInverseMaxRatio = static_cast<float>(-std::log(maxRatio));
    SetGammaCurve(gamma, &p);
    p.saturate = controls.saturation != 1;
    p.saturation = static_cast<float>(controls.saturation);

    // Should the workers throw, the result is unloaded on the way out.
    tbb::parallel_for(tbb::blocked_range<unsigned>(0, height, kRowsPerTask),
                      [&](const tbb::blocked_range<unsigned>& rows) {
                          for (unsigned y = rows.begin(); y != rows.end(); ++y) {
                              BYTE* row = FreeImage_GetScanLine(result.get(), static_cast<int>(y));
                              HWY_DYNAMIC_DISPATCH(drago::MapRow)
                              (RowPixels(image, y), width, p, row);
                              std::memset(row + rowBytes, 0, padding);
                          }
                      });
    return result;
}

}  // namespace

namespace {

// The picture as the operator reads it: itself when 96-bit, otherwise a
// 96-bit copy in `copy`. Null for pictures the operator cannot map.
FIBITMAP* MappableRgbf(FIBITMAP* source, Bitmap& copy) {
    if (!source || !FreeImage_HasPixels(source)) return nullptr;
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(source);
    if (type == FIT_RGBF) return source;
    if (type != FIT_RGBAF && type != FIT_RGB16 && type != FIT_RGBA16) return nullptr;
    copy = AdoptBitmap(FreeImage_ConvertToRGBF(source));
    return copy.get();
}

}  // namespace

std::optional<DragoStatistics> MeasureDragoStatistics(FIBITMAP* source) {
    Bitmap copy;
    FIBITMAP* image = MappableRgbf(source, copy);
    if (!image) return std::nullopt;
    try {
        return MeasureRgbf(image);
    } catch (const std::exception&) {
        return std::nullopt;  // out of memory for the row statistics
    }
}

namespace {

// The controls the curve can work with: a bias of 0 or below has no
// logarithm, and one above 1 would darken the brightest pixels below the
// darker ones.
bool ControlsInRange(const DragoControls& c) {
    return c.gamma > 0 && std::isfinite(c.gamma) && std::isfinite(c.exposure) && c.bias > 0 &&
           c.bias <= 1 && c.saturation >= 0 && std::isfinite(c.saturation);
}

}  // namespace

Bitmap DragoToneMap(FIBITMAP* source, const DragoControls& controls,
                    const std::shared_ptr<PixelPool>& pixels) {
    if (!ControlsInRange(controls)) return {};
    Bitmap copy;
    FIBITMAP* image = MappableRgbf(source, copy);
    if (!image) return {};
    Bitmap result;
    try {
        result = MapRgbf(image, controls, pixels);
    } catch (const std::exception&) {
        // out of memory for the row statistics or the workers
    }
    copy.reset();
    if (result) FreeImage_CloneMetadata(result.get(), source);
    return result;
}

}  // namespace orvex
#endif  // HWY_ONCE
