// Gain-map JPEGs read as another program would: the file is split by its MPF
// index with the tests' own reader, both metadata forms must agree, both
// pictures are decoded by FreeImage and the HDR picture is rebuilt by the
// gain-map formula at full headroom. The rebuilt picture must match the
// program's own HDR rendition and keep its promises: brighter scene, never
// darker; nothing at or below the log-average changes; the brightest pixels
// reach the headroom only where the scene had it; drawn graphics never glow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <vector>

#include "formats/image_io.h"
#include "imaging/gain_map.h"
#include "imaging/imaging_test_support.h"
#include "run/conversion_chain.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "support/gain_map_reader.h"
#include "support/hdr_writer.h"



namespace orvex {
namespace {

using test_support::GainMapParts;
using test_support::Rgb;

constexpr int kWidth = 192, kHeight = 128;

float Luminance(float r, float g, float b) { return 0.2126729f * r + 0.7151522f * g + 0.072175f * b; }
float Linear(int byte) {
    const double v = byte / 255.0;
    return static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
}

// Luminance in linear light of every pixel of a decoded 8- or 24-bit picture,
// by scanline.
std::vector<float> LinearLuminance(FIBITMAP* image) {
    Bitmap colour(AdoptBitmap(FreeImage_ConvertTo24Bits(image)));
    const unsigned w = FreeImage_GetWidth(colour.get()), h = FreeImage_GetHeight(colour.get());
    std::vector<float> out(static_cast<size_t>(w) * h);
    for (unsigned y = 0; y < h; ++y) {
        const BYTE* row = FreeImage_GetScanLine(colour.get(), static_cast<int>(y));
        for (unsigned x = 0; x < w; ++x, row += 3)
            out[y * w + x] = Luminance(Linear(row[FI_RGBA_RED]), Linear(row[FI_RGBA_GREEN]),
                                       Linear(row[FI_RGBA_BLUE]));
    }
    return out;
}

Bitmap Decode(const std::string& jpeg) {
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(jpeg.data())),
                                            static_cast<DWORD>(jpeg.size()));
    Bitmap image(AdoptBitmap(FreeImage_LoadFromMemory(FIF_JPEG, memory, 0)));
    FreeImage_CloseMemory(memory);
    return image;
}

// What one conversion gave: the chain's own picture and map source (the
// program's rendition is base x 2^boost) and the file's bytes.
struct Conversion {
    Bitmap base;
    std::shared_ptr<GainMapSource> source;
    std::string note;
    std::string bytes;
    std::string reason;
};

Conversion Convert(FIBITMAP* hdr, const ConversionSettings& settings) {
    Conversion result;
    FileContext file;
    test::PrepareJpegOutput(file, testing::TempDir() + "gain_map_out/");
    Result<Bitmap> image = ProcessImage(AdoptBitmap(FreeImage_Clone(hdr)), settings, file, nullptr);
    if (!image.ok()) {
        result.reason = image.reason();
        return result;
    }
    result.base = AdoptBitmap(FreeImage_Clone(image.value().get()));
    result.source = file.GainMap;
    result.note = file.GainMapNote;
    Result<std::string> bytes = EncodeChainOutput(std::move(image.value()), file);
    if (bytes.ok()) result.bytes = bytes.value();
    result.reason = bytes.reason();
    return result;
}

// The HDR picture rebuilt from the file at full headroom, and each pixel's
// gain, by scanline.
struct Rebuilt {
    unsigned width = 0, height = 0, mapWidth = 0, mapHeight = 0;
    std::vector<float> hdr, gain;
};

Rebuilt Rebuild(const GainMapParts& parts) {
    Rebuilt r;
    Bitmap base = Decode(parts.primary), map = Decode(parts.map);
    if (!base || !map || FreeImage_GetBPP(map.get()) != 8) return r;
    r.width = FreeImage_GetWidth(base.get()), r.height = FreeImage_GetHeight(base.get());
    r.mapWidth = FreeImage_GetWidth(map.get()), r.mapHeight = FreeImage_GetHeight(map.get());
    const std::vector<float> sdr = LinearLuminance(base.get());
    const test_support::GainMapNumbers& m = parts.fromXmp;
    r.hdr.resize(sdr.size());
    r.gain.resize(sdr.size());
    for (unsigned y = 0; y < r.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(map.get(), static_cast<int>(y * r.mapHeight / r.height));
        for (unsigned x = 0; x < r.width; ++x) {
            const double v = std::pow(row[x * r.mapWidth / r.width] / 255.0, 1 / m.gamma);
            const size_t i = static_cast<size_t>(y) * r.width + x;
            r.gain[i] = static_cast<float>(std::exp2(m.gainMapMin + (m.gainMapMax - m.gainMapMin) * v));
            r.hdr[i] = static_cast<float>((sdr[i] + m.offsetSdr) * r.gain[i] - m.offsetHdr);
        }
    }
    return r;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[static_cast<size_t>(p * (values.size() - 1))];
}

// Scene luminance by scanline (the picture as FreeImage holds it).
std::vector<float> SceneLuminance(FIBITMAP* hdr) {
    const unsigned w = FreeImage_GetWidth(hdr), h = FreeImage_GetHeight(hdr);
    std::vector<float> out(static_cast<size_t>(w) * h);
    for (unsigned y = 0; y < h; ++y) {
        const auto* p = reinterpret_cast<const float*>(FreeImage_GetScanLine(hdr, static_cast<int>(y)));
        for (unsigned x = 0; x < w; ++x) out[y * w + x] = Luminance(p[3 * x], p[3 * x + 1], p[3 * x + 2]);
    }
    return out;
}

Bitmap Picture(const test_support::PixelFunction& pixel) {
    return AdoptBitmap(test_support::MakeRgbfPicture(kWidth, kHeight, pixel));
}

// Six orders of magnitude from left to right, the same down each column.
Rgb Gradient(int x, int) {
    const float y = std::pow(10.0f, -3.0f + 6.0f * static_cast<float>(x) / (kWidth - 1));
    return {y, y, y};
}
// Three orders of magnitude: more than the base shows, less than the
// headroom more.
Rgb ShortGradient(int x, int) {
    const float y = std::pow(10.0f, -1.5f + 3.0f * static_cast<float>(x) / (kWidth - 1));
    return {y, y, y};
}
// A dim sky with a small, very bright sun near the left edge.
Rgb Sun(int x, int y) {
    const float dx = static_cast<float>(x - 24), dy = static_cast<float>(y - 40);
    if (dx * dx + dy * dy < 100) return {4000, 3800, 3000};
    const float sky = 0.05f + 0.4f * static_cast<float>(y) / kHeight;
    return {sky * 0.8f, sky * 0.9f, sky};
}
// A picture without highlights: a soft pattern over less than two stops.
Rgb Soft(int x, int y) {
    const float v = 0.3f + 0.2f * std::sin(static_cast<float>(x) / 9) * std::cos(static_cast<float>(y) / 7);
    return {v, v * 0.9f, v * 0.8f};
}

class GainMapTest : public ::testing::Test {
protected:
    GainMapTest() { settings.JpgGainMap = 1; }
    ConversionSettings settings;
};

TEST_F(GainMapTest, TheFileSplitsByItsIndexAndBothMetadataFormsAgree) {
    Bitmap hdr = Picture(Sun);
    const Conversion gm = Convert(hdr.get(), settings);
    ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
    GainMapParts parts;
    std::string why;
    ASSERT_TRUE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why)) << why;
    EXPECT_EQ(parts.itemLength, static_cast<long>(parts.map.size()));
    EXPECT_TRUE(parts.primaryHasVersion);
    EXPECT_TRUE(parts.baseIsHdrFalse);
    EXPECT_EQ(parts.channels, 1);
    const auto& x = parts.fromXmp;
    const auto& b = parts.fromBlock;
    const std::vector<std::pair<double, double>> same{
        {x.gainMapMin, b.gainMapMin}, {x.gainMapMax, b.gainMapMax}, {x.gamma, b.gamma},
        {x.offsetSdr, b.offsetSdr},   {x.offsetHdr, b.offsetHdr},   {x.capacityMin, b.capacityMin},
        {x.capacityMax, b.capacityMax}};
    for (const auto& [xmp, block] : same) EXPECT_EQ(xmp, block);
    EXPECT_GT(x.gainMapMax, 2.5);
    EXPECT_LE(x.gainMapMax, 3.0);

    // The primary is the file the same conversion writes without the option.
    ConversionSettings plain = settings;
    plain.JpgGainMap = 0;
    const Conversion without = Convert(hdr.get(), plain);
    ASSERT_FALSE(without.bytes.empty());
    EXPECT_TRUE(without.source == nullptr);
    EXPECT_TRUE(test_support::WithoutGainMapSegments(parts.primary) == without.bytes);
}

// Rebuilds every picture and checks the rendition and the four properties.
TEST_F(GainMapTest, TheRebuiltHdrMatchesTheRenditionAndKeepsItsPromises) {
    struct Case {
        const char* name;
        Bitmap hdr;
    };
    std::vector<Case> cases;
    cases.push_back({"gradient", Picture(Gradient)});
    cases.push_back({"sun", Picture(Sun)});
    cases.push_back({"short gradient", Picture(ShortGradient)});
    cases.push_back({"sample", LoadInputImage(ORVEX_TEST_DATA_DIR "/../../data/sample.hdr")});
    const double headroom = settings.JpgGainMapHeadroom;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.hdr);
        const Conversion gm = Convert(c.hdr.get(), settings);
        ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
        GainMapParts parts;
        std::string why;
        ASSERT_TRUE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why)) << why;
        const Rebuilt r = Rebuild(parts);
        ASSERT_EQ(r.width, FreeImage_GetWidth(c.hdr.get()));
        ASSERT_EQ(r.mapWidth, r.width);  // full size by default

        // Against the program's own rendition, its base times 2^boost, laid
        // over the base as it decodes (the base's own JPEG error is the same
        // with or without a map).
        const std::vector<float> base = LinearLuminance(Decode(parts.primary).get());
        std::vector<double> errors;
        for (size_t i = 0; i < base.size(); ++i) {
            const double rendition = base[i] * std::exp2(gm.source->boost[i]);
            errors.push_back(std::abs(r.hdr[i] - rendition) / std::max(rendition, 1.0 / 64));
        }
        EXPECT_LE(Percentile(errors, 0.5), 0.02);
        EXPECT_LE(Percentile(errors, 0.95), 0.08);

        const std::vector<float> scene = SceneLuminance(c.hdr.get());
        const std::optional<DragoStatistics> stats = MeasureDragoStatistics(c.hdr.get());
        ASSERT_TRUE(stats);
        // (b) at or below the log-average nothing changes.
        size_t changed = 0;
        double worst = 1;
        for (size_t i = 0; i < scene.size(); ++i) {
            if (scene[i] <= stats->logAverageLuminance && std::abs(r.gain[i] - 1) > 0.05) {
                ++changed;
                worst = std::max<double>(worst, r.gain[i]);
            }
        }
        EXPECT_EQ(changed, 0u) << "worst gain " << worst;
        // (c) the brightest pixel reaches the headroom when the scene holds it.
        const size_t brightest = static_cast<size_t>(std::max_element(scene.begin(), scene.end()) - scene.begin());
        const double excess = std::log2(stats->largestLuminance / stats->logAverageLuminance) -
                              BaseRangeStops(*stats, DragoControls());
        if (excess > headroom) {
            EXPECT_GE(r.gain[brightest], std::exp2(headroom - 0.25));
        } else {
            EXPECT_LT(r.gain[brightest], std::exp2(headroom - 0.25));
            EXPECT_LE(r.gain[brightest], std::exp2(excess + 0.1));
        }
        // (a) brighter in the scene is never darker in the rebuilt picture:
        // along the gradient, each column's median at least the one before,
        // but for the JPEG's noise.
        if (std::string(c.name) == "gradient") {
            std::vector<float> columns;
            for (unsigned x = 0; x < r.width; ++x) {
                std::vector<double> column;
                for (unsigned y = 0; y < r.height; ++y) column.push_back(r.hdr[y * r.width + x]);
                columns.push_back(static_cast<float>(Percentile(column, 0.5)));
            }
            for (unsigned x = 1; x < r.width; ++x)
                EXPECT_GE(columns[x], columns[x - 1] * 0.97f - 1e-3f) << "column " << x;
        }
    }
}

TEST_F(GainMapTest, AFrameKeepsTheBasesBrightnessWhereItCovers) {
    settings.DoFrame = 1;
    settings.SolidLeft = 20;  // over the sun, which spans 14 to 34
    settings.SolidTop = settings.SolidRight = settings.SolidBottom = 0;
    Bitmap hdr = Picture(Sun);
    const Conversion gm = Convert(hdr.get(), settings);
    ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
    GainMapParts parts;
    std::string why;
    ASSERT_TRUE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why)) << why;
    const Rebuilt r = Rebuild(parts);
    const unsigned sunRow = kHeight - 1 - 40;  // scanlines count from the bottom
    for (unsigned x = 0; x < 18; ++x) EXPECT_NEAR(r.gain[sunRow * kWidth + x], 1.0, 0.01) << x;
    // The sun's uncovered part still glows.
    EXPECT_GE(r.gain[sunRow * kWidth + 30], std::exp2(2.0));
}

TEST_F(GainMapTest, SmallerMapsMirrorsGreyAndEightBitOutputsStillCarryTheHighlights) {
    Bitmap hdr = Picture(Sun);
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        ConversionSettings s = settings;
        if (variant == 0) s.JpgGainMapScale = 4;
        if (variant == 1) s.DoImageFlipHorizontal = 1, s.JpgGainMapScale = 2;
        if (variant == 2) s.DoImageGreyscale = 1;
        const Conversion gm = Convert(hdr.get(), s);
        ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
        GainMapParts parts;
        std::string why;
        ASSERT_TRUE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why)) << why;
        const Rebuilt r = Rebuild(parts);
        EXPECT_EQ(r.mapWidth, (kWidth + s.JpgGainMapScale - 1) / s.JpgGainMapScale);
        const unsigned sunRow = kHeight - 1 - 40;
        const unsigned sunX = variant == 1 ? kWidth - 1 - 24 : 24;
        EXPECT_GE(r.gain[sunRow * kWidth + sunX], std::exp2(2.5));
        EXPECT_NEAR(r.gain[sunRow * kWidth + kWidth / 2], 1.0, 0.05);  // sky below the log-average
    }
}

TEST_F(GainMapTest, AScaleWithoutHighlightsGivesAnOrdinaryJpegAndSaysWhy) {
    Bitmap hdr = Picture(Soft);
    const Conversion gm = Convert(hdr.get(), settings);
    ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
    EXPECT_TRUE(gm.source == nullptr);
    EXPECT_NE(gm.note.find("no highlights"), std::string::npos);
    GainMapParts parts;
    std::string why;
    EXPECT_FALSE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why));
}

TEST_F(GainMapTest, ValuesThatAreNotFiniteOrNegativeNeverReachTheMetadata) {
    Bitmap hdr = Picture([](int x, int y) {
        if (x == 3) return Rgb{NAN, 1, 1};
        if (x == 4) return Rgb{INFINITY, INFINITY, INFINITY};
        if (x == 5) return Rgb{-50, -1, 2};
        if (x == 6 && y == 6) return Rgb{FLT_MAX, FLT_MAX, FLT_MAX};
        return Sun(x, y);
    });
    const Conversion gm = Convert(hdr.get(), settings);
    ASSERT_FALSE(gm.bytes.empty()) << gm.reason;
    GainMapParts parts;
    std::string why;
    ASSERT_TRUE(test_support::SplitGainMapJpeg(gm.bytes, &parts, &why)) << why;
    for (double v : {parts.fromXmp.gainMapMax, parts.fromXmp.capacityMax, parts.fromBlock.gainMapMax,
                     parts.fromBlock.capacityMax}) {
        EXPECT_TRUE(std::isfinite(v));
        EXPECT_GE(v, 0);
        EXPECT_LE(v, settings.JpgGainMapHeadroom);
    }
    for (size_t i = 0; i < size_t{kWidth} * kHeight; ++i) ASSERT_TRUE(std::isfinite(gm.source->boost[i]));
}

}  // namespace
}  // namespace orvex
