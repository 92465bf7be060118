// The drawing layer: transparent canvases, fills, layer painting, raster and
// vector text, and the copy into FreeImage bitmaps that keeps alpha.
#include "drawing/canvas.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "drawing_test_support.h"
#include "drawing/watermark_font.h"
#include "settings/conversion_settings.h"

// fontconfig 2.14 loses a few hundred bytes while parsing its configuration
// files; that is not ours to fix, so LeakSanitizer is told to skip it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace orvex {
namespace {

using test::PixelAt;

TEST(Canvas, BitmapRowsRunBottomUpWithStraightAlpha) {
    auto canvas = Canvas::Create(4, 3);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->PixelAt(2, 1), Rgba{});  // a new canvas is transparent
    canvas->FillPolygon({{0, 0}, {4, 0}, {4, 1}, {0, 1}}, Rgb{255, 0, 0}, 255);
    Bitmap bitmap(canvas->ToBitmap());
    ASSERT_NE(bitmap.get(), nullptr);
    EXPECT_EQ(FreeImage_GetBPP(bitmap.get()), 32u);
    // The top row of the canvas is FreeImage's last scan line.
    const BYTE* top = FreeImage_GetScanLine(bitmap.get(), 2);
    EXPECT_EQ(top[FI_RGBA_RED], 255);
    EXPECT_EQ(top[FI_RGBA_ALPHA], 255);
    EXPECT_EQ(FreeImage_GetScanLine(bitmap.get(), 0)[FI_RGBA_ALPHA], 0);

    canvas->Fill(Rgb{200, 100, 50}, 128);
    Bitmap half(canvas->ToBitmap());
    const Rgba pixel = PixelAt(half.get(), 1, 1);
    EXPECT_TRUE(test::SameColour(pixel, 200, 100, 50, 1));
    EXPECT_EQ(pixel.alpha, 128);
}

TEST(Canvas, CopyToBitmapAndBackKeepsEveryPixel) {
    // Every alpha level with a spread of colour levels, including the
    // extremes where premultiplied storage loses the most.
    std::vector<uint8_t> rows;
    const int width = 256;
    const int height = 16;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows.insert(rows.end(), {static_cast<uint8_t>(y * 17), static_cast<uint8_t>(255 - x),
                                     static_cast<uint8_t>(x * 7), static_cast<uint8_t>(x)});
        }
    }
    auto canvas = Canvas::FromRows(rows.data(), width, height, width * 4, 4);
    ASSERT_NE(canvas, nullptr);
    Bitmap first(canvas->ToBitmap());
    auto back = Canvas::FromBitmap(first.get());
    ASSERT_NE(back, nullptr);
    Bitmap second(back->ToBitmap());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(PixelAt(first.get(), x, y), PixelAt(second.get(), x, y)) << x << "," << y;
        }
    }
    // Opaque pixels come through exactly.
    EXPECT_EQ(PixelAt(first.get(), 255, 3),
              (Rgba{51, 0, static_cast<uint8_t>(255 * 7 % 256), 255}));
    Bitmap rgb(FreeImage_Allocate(2, 2, 24));
    EXPECT_EQ(Canvas::FromBitmap(rgb.get()), nullptr);
}

TEST(Canvas, CompositeNeedsAMatchingPicture) {
    Bitmap picture = test::MakeSolid24(4, 4, 0, 0, 0);
    FIBITMAP* const handle = picture.get();
    Bitmap layer(test::MakeSolid32(5, 4, Rgba{255, 255, 255, 255}));
    picture = CompositeOverPicture(std::move(picture), layer.get());
    EXPECT_EQ(picture.get(), handle);
    Bitmap half(test::MakeSolid32(4, 4, Rgba{255, 255, 255, 128}));
    Bitmap blended(CompositeOverPicture(std::move(picture), half.get()));
    EXPECT_EQ(FreeImage_GetBPP(blended.get()), 24u);
    EXPECT_TRUE(test::SameColour(PixelAt(blended.get(), 1, 1), 128, 128, 128, 1));
}

class CanvasText : public ::testing::Test {
protected:
    void SetUp() override {
        ConversionSettings settings;
        settings.FontSize = 20;
        font = WatermarkFont::Load(settings);
        ASSERT_NE(font, nullptr);
    }
    std::unique_ptr<WatermarkFont> font;
};

TEST_F(CanvasText, RasterTextWritesOnlyTheTwoColours) {
    auto canvas = Canvas::Create(120, 40);
    canvas->Fill(Rgb{0, 0, 255}, 100);
    const TextExtent extent = canvas->MeasureText(*font, "Orvex Wg", TextMode::Raster);
    EXPECT_GT(extent.width, 40);
    EXPECT_GT(extent.height, 20);
    canvas->DrawText(*font, "Orvex Wg", 2, 2, Rgb{255, 255, 0}, 200, TextMode::Raster);
    std::set<std::pair<int, int>> seen;  // (blue, alpha) pairs
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const Rgba pixel = canvas->PixelAt(x, y);
            seen.insert({pixel.blue, pixel.alpha});
        }
    }
    EXPECT_EQ(seen, (std::set<std::pair<int, int>>{{255, 100}, {0, 200}}));
}

TEST_F(CanvasText, VectorTextIsSmoothed) {
    auto canvas = Canvas::Create(120, 40);
    canvas->DrawText(*font, "Orvex Wg", 2, 2, Rgb{255, 255, 255}, 255, TextMode::Vector);
    int partial = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const int alpha = canvas->PixelAt(x, y).alpha;
            if (alpha > 0 && alpha < 255) ++partial;
        }
    }
    EXPECT_GT(partial, 20);
}

}  // namespace
}  // namespace orvex
