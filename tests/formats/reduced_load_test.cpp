// The reduced load of a Radiance file: each block the mean of the whole
// decode's pixels, for flat and run-length scanlines, the luminance range of
// every pixel, and the layouts it leaves to the whole decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "formats/image_io.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

using test_support::Rgb;

// Colours that change from pixel to pixel, over four orders of magnitude.
Rgb Busy(int x, int y) {
    const float light =
        std::pow(10.0f, -2.0f + 4.0f * static_cast<float>((x * 7 + y * 13) % 50) / 49.0f);
    return Rgb{light, light * (x % 3 == 0 ? 0.25f : 0.75f), light * (y % 4 == 0 ? 1.5f : 0.5f)};
}

float Luminance(const Rgb& c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }

TEST(LoadReducedInputImage, EachPixelIsTheMeanOfItsBlockOfTheWholeDecode) {
    test_support::ScopedTempFolder folder("reduced_load");
    for (auto encoding :
         {test_support::ScanlineEncoding::kFlat, test_support::ScanlineEncoding::kRunLength}) {
        test_support::HdrLayout layout;
        layout.encoding = encoding;
        const std::string path = folder.File("busy.hdr");
        ASSERT_TRUE(test_support::WriteHdr(path, 103, 61, Busy, layout));
        const Bitmap whole = LoadInputImage(path);
        ASSERT_NE(whole.get(), nullptr);
        ReducedLoad load;
        std::string reason;
        const Bitmap reduced = LoadReducedInputImage(path, 30, &load, &reason);
        ASSERT_NE(reduced.get(), nullptr) << reason;
        EXPECT_EQ(load.factor, 4u);  // 103 / 4 rounds up to 26, within 30
        EXPECT_EQ(load.fullWidth, 103u);
        EXPECT_EQ(load.fullHeight, 61u);
        ASSERT_EQ(FreeImage_GetWidth(reduced.get()), 25u);
        ASSERT_EQ(FreeImage_GetHeight(reduced.get()), 15u);
        float lowest = 1e30f, highest = 0;
        for (int y = 0; y < 61; ++y) {
            for (int x = 0; x < 103; ++x) {
                const float l = Luminance(test_support::PixelAt(whole.get(), x, y));
                lowest = std::min(lowest, l);
                highest = std::max(highest, l);
            }
        }
        EXPECT_FLOAT_EQ(load.lowestLuminance, lowest);
        EXPECT_FLOAT_EQ(load.highestLuminance, highest);
        for (int ry : {0, 7, 14}) {
            for (int rx : {0, 12, 24}) {
                Rgb mean;
                for (int dy = 0; dy < 4; ++dy) {
                    for (int dx = 0; dx < 4; ++dx) {
                        const Rgb c = test_support::PixelAt(whole.get(), rx * 4 + dx, ry * 4 + dy);
                        mean.r += c.r / 16;
                        mean.g += c.g / 16;
                        mean.b += c.b / 16;
                    }
                }
                const Rgb got = test_support::PixelAt(reduced.get(), rx, ry);
                EXPECT_NEAR(got.r, mean.r, 1e-5f * mean.r) << rx << "," << ry;
                EXPECT_NEAR(got.g, mean.g, 1e-5f * mean.g) << rx << "," << ry;
                EXPECT_NEAR(got.b, mean.b, 1e-5f * mean.b) << rx << "," << ry;
            }
        }
    }
}

TEST(LoadReducedInputImage, LeavesOtherLayoutsAndSmallPicturesToTheWholeDecode) {
    test_support::ScopedTempFolder folder("reduced_other");
    test_support::HdrLayout turned;
    turned.orientation = "+X -Y";
    ASSERT_TRUE(test_support::WriteHdr(folder.File("turned.hdr"), 40, 30, Busy, turned));
    ASSERT_TRUE(test_support::WriteHdr(folder.File("small.hdr"), 40, 30, Busy));
    for (const char* name : {"turned.hdr", "small.hdr"}) {
        ReducedLoad load;
        std::string reason;
        const size_t side = std::string(name) == "small.hdr" ? 40 : 10;
        EXPECT_EQ(LoadReducedInputImage(folder.File(name), side, &load, &reason), nullptr);
        EXPECT_EQ(reason, "") << name;
    }
    ReducedLoad load;
    std::string reason;
    EXPECT_EQ(LoadReducedInputImage(folder.File("missing.hdr"), 10, &load, &reason), nullptr);
    EXPECT_NE(reason, "");
}

}  // namespace
}  // namespace orvex
