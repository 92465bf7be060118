// The gain map: the boost of the HDR rendition measured on the HDR picture,
// then the map itself once the base is final. Both passes work on map rows in
// parallel.
#include "imaging/gain_map.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "platform/large_block.h"

namespace orvex {
namespace {

// The gamma the map's values are stored with (see MakeGainMap): the level is
// the square root of the normalised gain.
constexpr double kMapGamma = 0.5;

// Below this many stops of headroom a map would change nothing visible.
constexpr double kLeastHeadroom = 1.0 / 16;

// Y of CIE XYZ from linear sRGB, as the tone mapper computes it.
constexpr float kRedY = 0.2126729f, kGreenY = 0.7151522f, kBlueY = 0.0721750f;

double SrgbToLinear(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// The Drago curve for one grey pixel of `yw` (luminance over the log-average,
// with the exposure), with the operator's gamma curve; in [0, 1].
double DragoDisplayValue(double yw, double maxRatio, const DragoControls& controls) {
    const double bias = std::log(double{0.85f}) / double{-0.693147f};
    const double biased = yw > 0 ? std::pow(yw / maxRatio, bias) : 0;
    double v = std::log(yw + 1) / std::log(2 + 8 * biased) / std::log10(maxRatio + 1);
    const double g = controls.gamma;
    if (g != 1 && v > 0) {
        double toe = 0.018, slope = 4.5;
        if (g >= 2.1) {
            toe = 0.018 / ((g - 2) * 7.5), slope = 4.5 * ((g - 2) * 7.5);
        } else if (g <= 1.9) {
            toe = 0.018 * ((2 - g) * 7.5), slope = 4.5 / ((2 - g) * 7.5);
        }
        v = v <= toe ? v * slope : 1.099 * std::pow(v, 0.9 / g) - 0.099;
    }
    return std::clamp(v, 0.0, 1.0);
}

// The linear-light luminance of each byte value.
const std::array<float, 256>& LinearOfByte() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = static_cast<float>(SrgbToLinear(i / 255.0));
        return t;
    }();
    return table;
}

// log2 of a positive, finite float, within 1e-4, from its exponent and a
// quartic in its mantissa: the library's logarithm took most of both passes.
inline float FastLog2(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const float exponent = static_cast<float>(static_cast<int>((bits >> 23) & 0xFF) - 127);
    bits = (bits & 0x007FFFFFu) | 0x3F800000u;
    float m;
    std::memcpy(&m, &bits, sizeof m);  // in [1, 2)
    // The quartic is the natural logarithm of m; 1 / ln 2 makes it log2.
    return exponent +
           1.4426950f *
               (-1.7417939f +
                (2.8212026f + (-1.4699568f + (0.44717955f - 0.056570851f * m) * m) * m) * m);
}

unsigned ScaleShift(unsigned scale) { return scale == 4 ? 2 : scale == 2 ? 1 : 0; }

// Calls body(y0, y1) for the picture rows each map row covers, map rows in
// parallel.
template <typename Body>
void ForEachMapRow(const GainMapSource& source, const Body& body) {
    const unsigned scale = static_cast<unsigned>(source.controls.scale);
    tbb::parallel_for(tbb::blocked_range<unsigned>(0, source.mapHeight, 4),
                      [&](const tbb::blocked_range<unsigned>& rows) {
                          for (unsigned my = rows.begin(); my != rows.end(); ++my) {
                              body(my, my * scale, std::min(source.height, (my + 1) * scale));
                          }
                      });
}

}  // namespace

void BoostPlaneDeleter::operator()(float* plane) const noexcept { FreeLargeBlock(plane); }

double BaseRangeStops(const DragoStatistics& statistics, const DragoControls& controls) {
    const double largest = statistics.largestLuminance;
    const double logAverage = statistics.logAverageLuminance;
    if (!(largest > 0) || !(logAverage > 0)) return 0;
    const double maxRatio = largest / logAverage;
    const double exposure = std::pow(2.0, controls.exposure);
    const double white = SrgbToLinear(DragoDisplayValue(maxRatio * exposure, maxRatio, controls));
    const double average = SrgbToLinear(DragoDisplayValue(exposure, maxRatio, controls));
    // A log-average the base shows as black leaves nothing to measure from.
    if (!(average > 0) || !(white > 0)) return HUGE_VAL;
    return std::log2(white / average);
}

std::shared_ptr<GainMapSource> MeasureGainMapSource(FIBITMAP* hdr,
                                                    const DragoStatistics& statistics,
                                                    const DragoControls& controls,
                                                    const GainMapControls& wanted,
                                                    bool flipHorizontal, bool flipVertical) {
    if (!hdr || FreeImage_GetImageType(hdr) != FIT_RGBF) return nullptr;
    try {
        auto source = std::make_shared<GainMapSource>();
        source->controls = wanted;
        // 1, 2 or 4, so that a pixel's map column is a shift away.
        const unsigned scale = wanted.scale >= 4 ? 4u : wanted.scale >= 2 ? 2u : 1u;
        const unsigned shift = ScaleShift(scale);
        source->controls.scale = static_cast<int>(scale);
        source->width = FreeImage_GetWidth(hdr);
        source->height = FreeImage_GetHeight(hdr);
        source->mapWidth = (source->width + scale - 1) / scale;
        source->mapHeight = (source->height + scale - 1) / scale;

        const double largest = statistics.largestLuminance;
        const double logAverage = statistics.logAverageLuminance;
        if (!(largest > logAverage) || !(logAverage > 0)) return source;  // no highlights
        const double sceneStops = std::log2(largest / logAverage);
        const double headroom = std::clamp(wanted.headroom, 0.0, 16.0);
        source->headroom =
            std::clamp(sceneStops - BaseRangeStops(statistics, controls), 0.0, headroom);
        if (!(source->headroom >= kLeastHeadroom)) {
            source->headroom = 0;
            return source;
        }
        // On huge pages where the kernel has them: at full scale the plane is
        // as large as a third of the HDR picture.
        source->boost.reset(static_cast<float*>(AllocateLargeBlock(
            sizeof(float) * static_cast<size_t>(source->mapWidth) * source->mapHeight)));
        if (!source->boost) return nullptr;

        const float inverseAverage = static_cast<float>(1 / logAverage);
        const float inverseLogRange = static_cast<float>(1 / std::log2(largest / logAverage));
        const float headroomStops = static_cast<float>(source->headroom);
        const unsigned width = source->width, height = source->height;
        ForEachMapRow(*source, [&](unsigned my, unsigned y0, unsigned y1) {
            float* out = source->boost.get() + static_cast<size_t>(my) * source->mapWidth;
            std::vector<float> sum(source->mapWidth, 0.0f);
            for (unsigned y = y0; y < y1; ++y) {
                const unsigned line = flipVertical ? height - 1 - y : y;
                const auto* rgb = reinterpret_cast<const float*>(
                    FreeImage_GetScanLine(hdr, static_cast<int>(line)));
                // Read from the mirrored end when the base will be mirrored.
                const float* p = rgb + (flipHorizontal ? 3 * (static_cast<size_t>(width) - 1) : 0);
                const ptrdiff_t step = flipHorizontal ? -3 : 3;
                for (unsigned x = 0; x < width; ++x, p += step) {
                    const float relative =
                        (kRedY * p[0] + kGreenY * p[1] + kBlueY * p[2]) * inverseAverage;
                    // Not finite, not positive or at most the log-average: not
                    // lifted, which adds exactly 0. Without a branch: about half
                    // of a photograph's pixels lie above its log-average, in no
                    // order a processor could predict.
                    const bool lifted = relative > 1.0f;
                    const float log2 = FastLog2(lifted ? relative : 1.0f) * inverseLogRange;
                    const float s = !lifted                   ? 0.0f
                                    : std::isfinite(relative) ? std::min(log2, 1.0f)
                                                              : 1.0f;
                    sum[x >> shift] += headroomStops * s * s;
                }
            }
            const unsigned rows = y1 - y0;
            for (unsigned mx = 0; mx < source->mapWidth; ++mx) {
                const unsigned columns = std::min(scale, width - mx * scale);
                out[mx] = sum[mx] / static_cast<float>(rows * columns);
            }
        });
        return source;
    } catch (const std::exception&) {
        return nullptr;  // out of memory for the map's rows
    }
}

bool MarkCoveredPixels(GainMapSource& source, FIBITMAP* before, FIBITMAP* after) {
    if (!source.boost) return true;  // nothing lifted, nothing to clear
    if (!before || !after || FreeImage_GetWidth(before) != source.width ||
        FreeImage_GetHeight(before) != source.height || FreeImage_GetWidth(after) != source.width ||
        FreeImage_GetHeight(after) != source.height)
        return false;
    // Both compared as 24-bit colour, whatever depth each step left.
    Bitmap before24, after24;
    FIBITMAP* a = before;
    FIBITMAP* b = after;
    if (FreeImage_GetBPP(a) != 24) a = (before24 = AdoptBitmap(FreeImage_ConvertTo24Bits(a))).get();
    if (FreeImage_GetBPP(b) != 24) b = (after24 = AdoptBitmap(FreeImage_ConvertTo24Bits(b))).get();
    if (!a || !b) return false;
    const unsigned scale = static_cast<unsigned>(source.controls.scale);
    const size_t rowBytes = 3 * static_cast<size_t>(source.width);
    const unsigned shift = ScaleShift(scale);
    ForEachMapRow(source, [&](unsigned my, unsigned y0, unsigned y1) {
        float* out = source.boost.get() + static_cast<size_t>(my) * source.mapWidth;
        for (unsigned y = y0; y < y1; ++y) {
            const BYTE* rowA = FreeImage_GetScanLine(a, static_cast<int>(y));
            const BYTE* rowB = FreeImage_GetScanLine(b, static_cast<int>(y));
            for (size_t i = 0; i < rowBytes; i += 3) {
                if (rowA[i] != rowB[i] || rowA[i + 1] != rowB[i + 1] || rowA[i + 2] != rowB[i + 2])
                    out[(i / 3) >> shift] = 0;
            }
        }
    });
    return true;
}

Bitmap MakeGainMap(const GainMapSource& source, FIBITMAP* base, GainMapMetadata* metadata,
                   std::string* reason) {
    const auto fail = [reason](const char* text) {
        if (reason) *reason = text;
        return Bitmap();
    };
    if (!base || FreeImage_GetWidth(base) != source.width ||
        FreeImage_GetHeight(base) != source.height)
        return fail("the gain map does not fit the picture");
    if (source.headroom < kLeastHeadroom || !source.boost) return fail(kNoHighlightsReason);
    const unsigned bpp = FreeImage_GetBPP(base);
    if (FreeImage_GetImageType(base) != FIT_BITMAP || (bpp != 8 && bpp != 24 && bpp != 32))
        return fail("the gain map cannot read a picture of this depth");

    // An 8-bit picture's luminance by palette entry (its grey ramp or colours).
    const std::array<float, 256>& linear = LinearOfByte();
    std::array<float, 256> paletteLuminance{};
    if (bpp == 8) {
        const RGBQUAD* palette = FreeImage_GetPalette(base);
        if (!palette) return fail("the gain map cannot read the picture's palette");
        for (unsigned i = 0; i < FreeImage_GetColorsUsed(base) && i < 256; ++i) {
            paletteLuminance[i] = kRedY * linear[palette[i].rgbRed] +
                                  kGreenY * linear[palette[i].rgbGreen] +
                                  kBlueY * linear[palette[i].rgbBlue];
        }
    }

    GainMapMetadata m;
    m.gainMapMin = 0;
    m.gainMapMax = QuantisedGainValue(source.headroom);
    m.hdrCapacityMin = 0;
    m.hdrCapacityMax = m.gainMapMax;
    // The normalised gain is stored as its square root (the decoder squares
    // it): the JPEG's ringing around a sharp highlight, a few levels over a
    // map of zeros, then decodes to next to nothing, so the sky next to a
    // sun does not glow; the top of the range keeps half a level's precision.
    m.gamma = kMapGamma;
    Bitmap map = AdoptBitmap(FreeImage_Allocate(static_cast<int>(source.mapWidth),
                                                static_cast<int>(source.mapHeight), 8));
    if (!map) return fail("not enough memory for the gain map");

    const unsigned scale = static_cast<unsigned>(source.controls.scale);
    const unsigned width = source.width;
    const unsigned bytesPerPixel = bpp / 8;
    const unsigned shift = ScaleShift(scale);
    const float offsetSdr = static_cast<float>(m.offsetSdr);
    const float offsetHdr = static_cast<float>(m.offsetHdr);
    const float stopsToUnit = static_cast<float>(1 / m.gainMapMax);
    try {
        ForEachMapRow(source, [&](unsigned my, unsigned y0, unsigned y1) {
            std::vector<float> sdr(source.mapWidth, 0.0f);
            for (unsigned y = y0; y < y1; ++y) {
                const BYTE* row = FreeImage_GetScanLine(base, static_cast<int>(y));
                for (unsigned x = 0; x < width; ++x) {
                    const BYTE* p = row + static_cast<size_t>(x) * bytesPerPixel;
                    sdr[x >> shift] += bpp == 8 ? paletteLuminance[p[0]]
                                                : kRedY * linear[p[FI_RGBA_RED]] +
                                                      kGreenY * linear[p[FI_RGBA_GREEN]] +
                                                      kBlueY * linear[p[FI_RGBA_BLUE]];
                }
            }
            const float* boost = source.boost.get() + static_cast<size_t>(my) * source.mapWidth;
            BYTE* out = FreeImage_GetScanLine(map.get(), static_cast<int>(my));
            const unsigned rows = y1 - y0;
            for (unsigned mx = 0; mx < source.mapWidth; ++mx) {
                const unsigned columns = std::min(scale, width - mx * scale);
                // Nothing lifted (most of a picture): a gain of 1, level 0.
                if (!(boost[mx] > 0)) {
                    out[mx] = 0;
                    continue;
                }
                const float ySdr = sdr[mx] / static_cast<float>(rows * columns);
                const float yHdr = ySdr * std::exp2(boost[mx]);
                const float gain = FastLog2((yHdr + offsetHdr) / (ySdr + offsetSdr));
                // Stored with the gamma kMapGamma, a square root.
                const float level = 255.0f * std::sqrt(std::clamp(gain * stopsToUnit, 0.0f, 1.0f));
                out[mx] = static_cast<BYTE>(level + 0.5f);
            }
        });
    } catch (const std::exception&) {
        return fail("not enough memory for the gain map");
    }
    if (metadata) *metadata = m;
    return map;
}

}  // namespace orvex
