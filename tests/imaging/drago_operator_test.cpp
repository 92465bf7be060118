// Tests of the Drago tone mapper against the image library's operator, which
// gives the pictures users have always had: every channel within one level,
// nearly all of them equal, over wide ranges of light and every setting.
#include "imaging/drago_operator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/imaging_test_support.h"

namespace orvex {
namespace {

struct Comparison {
    size_t channels = 0;
    size_t equal = 0;
    int largestDifference = 0;
    std::vector<std::pair<int, int>> apart;  // (ours, library) more than one level apart
};

// Both 24-bit pictures, channel by channel.
Comparison Compare(FIBITMAP* ours, FIBITMAP* reference) {
    Comparison result;
    const unsigned width = FreeImage_GetWidth(reference);
    for (unsigned y = 0; y < FreeImage_GetHeight(reference); ++y) {
        const BYTE* a = FreeImage_GetScanLine(ours, static_cast<int>(y));
        const BYTE* b = FreeImage_GetScanLine(reference, static_cast<int>(y));
        for (unsigned i = 0; i < 3 * width; ++i) {
            const int difference = std::abs(int{a[i]} - int{b[i]});
            result.largestDifference = std::max(result.largestDifference, difference);
            if (difference > 1) result.apart.push_back({a[i], b[i]});
            result.equal += difference == 0;
            ++result.channels;
        }
    }
    return result;
}

// Where a gamma curve other than 1 starts its power part, it jumps: its
// linear toe ends below where the power part begins. A channel lying right
// at that step may land on either side of it. The levels on both sides:
std::pair<int, int> GammaStep(double gamma) {
    const auto g = static_cast<float>(gamma);
    double toe = 0.018, slope = 4.5;
    if (g >= 2.1f) {
        toe = 0.018 / ((g - 2) * 7.5);
        slope = 4.5 * ((g - 2) * 7.5);
    } else if (g <= 1.9f) {
        toe = 0.018 * ((2 - g) * 7.5);
        slope = 4.5 / ((2 - g) * 7.5);
    }
    const double power = 1.099 * std::pow(toe, 0.9 / g) - 0.099;
    return {static_cast<int>(255 * std::max(0.0, std::min(toe * slope, power))),
            static_cast<int>(255 * std::max(0.0, std::max(toe * slope, power)) + 1)};
}

// Every channel within one level of the library's and at least 99.5 % of
// them equal. Two exceptions, both with gamma curves other than 1: the
// library turns a curve value below 0 into a wrapped-around bright byte
// where ours is black, and a channel on the curve's step may land on the
// other side of it (at most one in 10,000).
void ExpectLikeTheLibrary(FIBITMAP* source, double gamma, double exposure) {
    const Bitmap reference(FreeImage_TmoDrago03(source, gamma, exposure));
    const Bitmap ours(DragoToneMap(source, test::Controls(gamma, exposure)));
    ASSERT_NE(reference.get(), nullptr);
    ASSERT_NE(ours.get(), nullptr);
    ASSERT_EQ(FreeImage_GetBPP(ours.get()), 24u);
    ASSERT_EQ(FreeImage_GetWidth(ours.get()), FreeImage_GetWidth(reference.get()));
    ASSERT_EQ(FreeImage_GetHeight(ours.get()), FreeImage_GetHeight(reference.get()));
    const Comparison c = Compare(ours.get(), reference.get());
    size_t wrapped = 0;
    for (const auto& [mine, theirs] : c.apart) wrapped += mine == 0 && theirs >= 128;
    EXPECT_GE(static_cast<double>(c.equal), 0.995 * static_cast<double>(c.channels - wrapped))
        << c.equal << " of " << c.channels << " channels equal, " << wrapped << " wrapped";
    if (gamma == 1) {
        EXPECT_LE(c.largestDifference, 1);
        return;
    }
    const auto [below, above] = GammaStep(gamma);
    size_t onTheStep = 0;
    for (const auto& [mine, theirs] : c.apart) {
        if (mine == 0 && theirs >= 128) continue;  // the library wrapped a value below 0
        EXPECT_TRUE(mine >= below && mine <= above && theirs >= below && theirs <= above)
            << "ours " << mine << ", library " << theirs << ", step " << below << ".." << above;
        ++onTheStep;
    }
    EXPECT_LE(onTheStep, c.channels / 10000);
}

using PixelFunction = std::function<FIRGBF(int x, int y)>;

struct Picture {
    const char* name;
    int width, height;
    PixelFunction pixel;
};

// Light spread over six orders of magnitude left to right, the colour
// turning from red through grey to blue top to bottom.
FIRGBF Gradient(int x, int y) {
    const float light = std::pow(10.0f, -3.0f + 6.0f * static_cast<float>(x) / 999.0f);
    const float t = static_cast<float>(y) / 99.0f;
    return {light * (1.5f - t), light, light * (0.5f + t)};
}

// A well-mixed number from 0 to 1 for each pixel and channel.
float Hash(int x, int y, int channel) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(channel) * 83492791u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h % 100003u) / 100002.0f;
}

// Every channel log-uniform over 1e-4 to 1e4, now and then exactly 0.
FIRGBF Noise(int x, int y) {
    float v[3];
    for (int c = 0; c < 3; ++c) {
        const float u = Hash(x, y, c);
        v[c] = u < 0.06f ? 0.0f : std::pow(10.0f, -4.0f + 8.0f * u);
    }
    return {v[0], v[1], v[2]};
}

const Picture kPictures[] = {
    {"gradient", 1000, 100, Gradient},
    {"hot_pixel", 301, 203,
     [](int x, int y) {
         return x == 150 && y == 101 ? FIRGBF{1e5f, 9e4f, 8e4f} : FIRGBF{0.01f, 0.02f, 0.015f};
     }},
    {"noise", 517, 211, Noise},
    {"one_pixel", 1, 1,
     [](int, int) {
         return FIRGBF{0.3f, 2.0f, 0.7f};
     }},
    {"saturated", 61, 7,
     [](int x, int y) {
         const float v = static_cast<float>(x + 1) * 0.05f;
         return y % 3 == 0 ? FIRGBF{v, 0, 0} : y % 3 == 1 ? FIRGBF{0, v, 0} : FIRGBF{0, 0, v};
     }},
};

struct Setting {
    double gamma, exposure;
};

void PrintTo(const Picture& picture, std::ostream* out) { *out << picture.name; }
void PrintTo(const Setting& setting, std::ostream* out) {
    *out << "gamma " << setting.gamma << ", exposure " << setting.exposure;
}

class LikeTheLibrary : public ::testing::TestWithParam<std::tuple<Picture, Setting>> {};

TEST_P(LikeTheLibrary, WithinOneLevel) {
    const auto& [picture, setting] = GetParam();
    const Bitmap source(test::MakeRgbf(picture.width, picture.height, picture.pixel));
    ExpectLikeTheLibrary(source.get(), setting.gamma, setting.exposure);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, LikeTheLibrary,
    ::testing::Combine(::testing::ValuesIn(kPictures),
                       // The chain's setting, then exposure and gamma at their limits.
                       ::testing::Values(Setting{1.0, 0.0}, Setting{1.0, -8.0}, Setting{1.0, 8.0},
                                         Setting{1.8, 0.0}, Setting{2.2, 0.0}, Setting{0.2, 0.0},
                                         Setting{5.0, 3.5})),
    [](const ::testing::TestParamInfo<std::tuple<Picture, Setting>>& info) {
        const Setting s = std::get<1>(info.param);
        std::string name = std::string(std::get<0>(info.param).name) + "_gamma" +
                           std::to_string(static_cast<int>(s.gamma * 10)) + "_exposure" +
                           std::to_string(static_cast<int>(s.exposure * 10));
        for (char& c : name) {
            if (c == '-') c = 'm';
        }
        return name;
    });

// Deep pictures of other kinds are mapped like their 96-bit form.
TEST(DragoToneMap, MapsHalfAndAlphaPicturesLikeTheLibrary) {
    FIBITMAP* sixteen = FreeImage_AllocateT(FIT_RGB16, 97, 31);
    for (unsigned y = 0; y < 31; ++y) {
        auto* row = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(sixteen, static_cast<int>(y)));
        for (unsigned x = 0; x < 97; ++x) {
            row[x] = FIRGB16{static_cast<WORD>(x * 600), static_cast<WORD>(y * 2000),
                             static_cast<WORD>((x * y * 37) % 65536)};
        }
    }
    const Bitmap deep(sixteen);
    ExpectLikeTheLibrary(deep.get(), 1.0, 0.0);
    const Bitmap alpha(FreeImage_AllocateT(FIT_RGBAF, 40, 9));
    for (unsigned y = 0; y < 9; ++y) {
        auto* row =
            reinterpret_cast<FIRGBAF*>(FreeImage_GetScanLine(alpha.get(), static_cast<int>(y)));
        for (unsigned x = 0; x < 40; ++x) row[x] = FIRGBAF{x * 0.3f, y * 1.7f, 0.2f, 1.0f};
    }
    ExpectLikeTheLibrary(alpha.get(), 1.0, 0.0);
}

TEST(DragoToneMap, APictureWithoutLightIsBlackAndTheSourceIsKept) {
    for (const FIRGBF value : {FIRGBF{0, 0, 0}, FIRGBF{-1.0f, -2.0f, -3.0f}}) {
        const Bitmap source(test::MakeUniformRgbf(33, 17, value));
        const Bitmap mapped(DragoToneMap(source.get(), test::Controls(1.0, 0.0)));
        ASSERT_NE(mapped.get(), nullptr);
        EXPECT_EQ(FreeImage_GetBPP(mapped.get()), 24u);
        EXPECT_EQ(FreeImage_GetWidth(mapped.get()), 33u);
        EXPECT_EQ(FreeImage_GetHeight(mapped.get()), 17u);
        for (unsigned y = 0; y < 17; ++y) {
            const BYTE* row = FreeImage_GetScanLine(mapped.get(), static_cast<int>(y));
            for (unsigned i = 0; i < 3 * 33; ++i) ASSERT_EQ(row[i], 0) << y << " " << i;
        }
        EXPECT_EQ(test::RgbfAt(source.get(), 5, 5).red, value.red);
    }
}

// A gamma curve far below 2 dips under 0 just above its toe; those channels
// are black, not the bright bytes the library wraps them around to.
TEST(DragoToneMap, ACurveBelowZeroGivesBlackNotBright) {
    const Bitmap source(test::MakeRgbf(200, 1, [](int x, int) {
        const float v = 0.05f * static_cast<float>(x);
        return FIRGBF{v, v, v};
    }));
    const Bitmap reference(FreeImage_TmoDrago03(source.get(), 0.2, 0.0));
    const Bitmap ours(DragoToneMap(source.get(), test::Controls(0.2, 0.0)));
    const Comparison c = Compare(ours.get(), reference.get());
    ASSERT_FALSE(c.apart.empty());
    for (const auto& [mine, theirs] : c.apart) {
        EXPECT_EQ(mine, 0);
        EXPECT_GE(theirs, 128);
    }
}

// The mapped picture's memory may come from an earlier picture: every byte of
// it is written, the padding at the end of each row included.
TEST(DragoToneMap, WritesEveryByteOfMemoryAnEarlierPictureLeft) {
    constexpr unsigned kWidth = 1001, kHeight = 400;  // rows of 3003 bytes, padded to 3004
    const auto pool = std::make_shared<PixelPool>();
    {
        Bitmap earlier = AllocateUncleared24(kWidth, kHeight, pool);
        ASSERT_NE(earlier, nullptr);
        std::memset(FreeImage_GetBits(earlier.get()), 0xA5,
                    size_t{FreeImage_GetPitch(earlier.get())} * kHeight);
    }
    const Bitmap source(test::MakeRgbf(kWidth, kHeight, Noise));
    const Bitmap ours(DragoToneMap(source.get(), test::Controls(1.0, 0.0), pool));
    const Bitmap reference(FreeImage_TmoDrago03(source.get(), 1.0, 0.0));
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(pool->KeptBytes(), 0u);  // the earlier picture's memory was taken
    ASSERT_EQ(FreeImage_GetPitch(ours.get()), FreeImage_GetPitch(reference.get()));
    const Comparison c = Compare(ours.get(), reference.get());
    EXPECT_LE(c.largestDifference, 1);
    for (unsigned y = 0; y < kHeight; ++y) {
        EXPECT_EQ(FreeImage_GetScanLine(ours.get(), static_cast<int>(y))[3 * kWidth], 0) << y;
    }
}

// A sequence of pictures can share one set of statistics: given the
// picture's own, the mapping is the measured one to the byte; given those of
// a brighter scene, the same picture comes out darker.
TEST(DragoToneMap, SharedStatisticsReplaceTheMeasuredOnes) {
    const Bitmap source(test::MakeRgbf(300, 40, [](int x, int y) { return Gradient(x * 999 / 299, y); }));
    const std::optional<DragoStatistics> own = MeasureDragoStatistics(source.get());
    ASSERT_TRUE(own.has_value());
    EXPECT_GT(own->largestLuminance, 900.0f);
    EXPECT_LT(own->logAverageLuminance, own->largestLuminance / 100);
    const Bitmap measured(DragoToneMap(source.get(), DragoControls{}));
    const Bitmap given(DragoToneMap(source.get(), test::Controls(1.0, 0.0, own)));
    ASSERT_NE(measured.get(), nullptr);
    ASSERT_NE(given.get(), nullptr);
    EXPECT_EQ(Compare(given.get(), measured.get()).largestDifference, 0);

    DragoStatistics brighter = *own;
    brighter.largestLuminance *= 100;
    brighter.logAverageLuminance *= 100;
    const Bitmap darker(DragoToneMap(source.get(), test::Controls(1.0, 0.0, brighter)));
    ASSERT_NE(darker.get(), nullptr);
    const BYTE* a = FreeImage_GetScanLine(measured.get(), 20);
    const BYTE* b = FreeImage_GetScanLine(darker.get(), 20);
    EXPECT_LT(b[3 * 150 + 1], a[3 * 150 + 1]);
    EXPECT_FALSE(MeasureDragoStatistics(nullptr).has_value());
}

TEST(DragoToneMap, RefusesWhatItCannotMap) {
    const Bitmap standard(FreeImage_Allocate(4, 4, 24));
    EXPECT_EQ(DragoToneMap(standard.get(), test::Controls(1.0, 0.0)), nullptr);
    EXPECT_EQ(DragoToneMap(nullptr, test::Controls(1.0, 0.0)), nullptr);
    const Bitmap source(test::MakeUniformRgbf(2, 2, FIRGBF{1, 1, 1}));
    EXPECT_EQ(DragoToneMap(source.get(), test::Controls(0.0, 0.0)), nullptr);
}

}  // namespace
}  // namespace orvex
