// The watermark font, the text box arithmetic, and the shared placement of
// an overlay over the picture.
#include "drawing/text_watermark.h"

#include <gtest/gtest.h>

#include "drawing_test_support.h"
#include "drawing/watermark.h"
#include "drawing/watermark_font.h"
#include "drawing/watermark_placement.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

using test::PixelAt;
using test::SameColour;

constexpr Rgba kMagenta{255, 0, 255, 255};
bool IsMagenta(const Rgba& p) { return SameColour(p, 255, 0, 255); }
bool IsBlack(const Rgba& p) { return SameColour(p, 0, 0, 0); }

TEST(WatermarkFont, ResolvesFamiliesAndTheirDeclaredAliasesOnly) {
    ConversionSettings settings;  // "Arial", 14 points
    auto arial = WatermarkFont::Load(settings);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->family(), "Liberation Sans");
    EXPECT_DOUBLE_EQ(arial->pixelSize(), 14 * 96.0 / 72.0);
    settings.Font = "liberation SANS";
    EXPECT_NE(WatermarkFont::Load(settings), nullptr);
    for (const char* refused : {"NoSuchFontFamilyXYZ", "", "sans-serif", "Arial,Tahoma"}) {
        settings.Font = refused;
        EXPECT_EQ(WatermarkFont::Load(settings), nullptr) << refused;
    }
}

TEST(WatermarkFont, RefusesUnusableSizesAndAcceptsEveryStyle) {
    ConversionSettings settings;
    for (int size : {0, -3, 1001, 5000}) {
        settings.FontSize = size;
        EXPECT_EQ(WatermarkFont::Load(settings), nullptr) << size;
    }
    settings.FontSize = 30;
    auto regular = WatermarkFont::Load(settings);
    settings.FontStyle = 1;
    auto bold = WatermarkFont::Load(settings);
    settings.FontStyle = 3;
    settings.FontEffect = 1;
    EXPECT_NE(WatermarkFont::Load(settings), nullptr);
    ASSERT_NE(regular, nullptr);
    ASSERT_NE(bold, nullptr);
    auto scratch = Canvas::Create(10, 10);
    EXPECT_GT(scratch->MeasureText(*bold, "Watermark", TextMode::Raster).width,
              scratch->MeasureText(*regular, "Watermark", TextMode::Raster).width);
}

TEST(TextBlock, LinesSplitAtTheBreakTokenInAnyCase) {
    EXPECT_EQ(SplitWatermarkLines("a%EOL%b%eol%c%EoL%"),
              (std::vector<std::string>{"a", "b", "c", ""}));
    EXPECT_EQ(SplitWatermarkLines("50% off %eo"), (std::vector<std::string>{"50% off %eo"}));
}

TEST(TextBlock, MeasuresFromTheTallestLineAndTheLeading) {
    const TextBlock three = ArrangeTextBlock({{30, 16}, {44, 12}, {5, 16}}, 5, 0);
    EXPECT_EQ(three.textHeight, 58);  // 16 + 21 x 2
    EXPECT_EQ(three.textWidth, 44);
    EXPECT_EQ(three.pitch, 21);
    // Every line of a multi-line text counts at least 10 x 10; a single line
    // is its own measure. The padding is added on every side.
    const TextBlock tiny = ArrangeTextBlock({{3, 4}, {2, 2}}, 0, 2);
    EXPECT_EQ(tiny.boxWidth, 14);
    EXPECT_EQ(tiny.boxHeight, 24);
    const TextBlock single = ArrangeTextBlock({{3, 4}}, 7, 2);
    EXPECT_EQ(single.boxWidth, 7);
    EXPECT_EQ(single.boxHeight, 8);
}

TEST(TextBlock, LineStartsFollowTheAlignment) {
    EXPECT_EQ(LineStart(100, 40, 2, 3, false), 3);  // single line: always the padding
    EXPECT_EQ(LineStart(100, 40, 0, 3, true), 3);
    EXPECT_EQ(LineStart(11, 4, 1, 0, true), 4);    // 3.5 rounds up
    EXPECT_EQ(LineStart(10, 13, 1, 0, true), -2);  // -1.5 rounds away from zero
    EXPECT_EQ(LineStart(100, 40, 2, 3, true), 57);
}

class TextOverlay : public ::testing::Test {
protected:
    void SetUp() override {
        settings.DoWatermark = 1;
        settings.Text = "Hi";
        settings.BackColor = "FF00FF";
        settings.BackOpacity = 255;
        settings.TextPadding = 2;
        font = WatermarkFont::Load(settings);
        ASSERT_NE(font, nullptr);
    }
    Bitmap Overlay() { return BuildTextOverlay(settings, project, *font); }
    Bitmap Stamp(int width, int height) {
        return DrawWatermark(test::MakeSolid24(width, height, 0, 0, 0), width, height, settings,
                             project, font.get());
    }
    ConversionSettings settings;
    FileContext project;
    std::unique_ptr<WatermarkFont> font;
};

TEST_F(TextOverlay, BoxIsTheRasterMeasurePlusPadding) {
    auto scratch = Canvas::Create(10, 10);
    const TextExtent hi = scratch->MeasureText(*font, "Hi", TextMode::Raster);
    Bitmap single = Overlay();
    ASSERT_NE(single.get(), nullptr);
    EXPECT_EQ(FreeImage_GetBPP(single.get()), 32u);
    EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(single.get())), hi.width + 4);
    EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(single.get())), hi.height + 4);
    EXPECT_EQ(PixelAt(single.get(), 0, 0), kMagenta);

    settings.FontLeading = 3;
    settings.Text = "Hi%EOL%Hi";
    Bitmap upper = Overlay();
    settings.Text = "Hi%eol%Hi";
    Bitmap lower = Overlay();
    EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(upper.get())), hi.height * 2 + 3 + 4);
    EXPECT_EQ(FreeImage_GetHeight(upper.get()), FreeImage_GetHeight(lower.get()));

    settings.TextAntialiasing = 1;
    Bitmap vector = Overlay();
    EXPECT_EQ(FreeImage_GetWidth(vector.get()), FreeImage_GetWidth(lower.get()));
    EXPECT_EQ(PixelAt(vector.get(), 0, 0), kMagenta);
}

TEST_F(TextOverlay, PlaceholdersAreFilledBeforeMeasuring) {
    project.CurrentWidth = 123;
    project.CurrentHeight = 45;
    settings.Text = "%width%x%height%";
    Bitmap expanded = Overlay();
    settings.Text = "123x45";
    Bitmap literal = Overlay();
    EXPECT_EQ(FreeImage_GetWidth(expanded.get()), FreeImage_GetWidth(literal.get()));
}

TEST_F(TextOverlay, DefaultPlacementIsTenPixelsFromTheBottomRight) {
    Bitmap overlay = Overlay();
    const int ow = static_cast<int>(FreeImage_GetWidth(overlay.get()));
    const int oh = static_cast<int>(FreeImage_GetHeight(overlay.get()));
    Bitmap stamped = Stamp(200, 100);
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 189, 89)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 190, 89)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 189, 90)));
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 190 - ow, 90 - oh)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 189 - ow, 90 - oh)));
}

TEST_F(TextOverlay, FrameBoundaryPlacesInsideTheFrame) {
    settings.DoFrame = 1;
    settings.SolidLeft = settings.SolidRight = settings.SolidTop = settings.SolidBottom = 20;
    settings.TextBoundary = 1;
    settings.TextPosition = 0;
    Bitmap stamped = Stamp(200, 100);
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 30, 30)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 29, 30)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 30, 29)));
}

TEST_F(TextOverlay, AWideBoxIsCutOnItsRight) {
    settings.Text = "A watermark wider than the picture";
    settings.TextPosition = 0;
    Bitmap stamped = Stamp(60, 60);
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 10, 11)));
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 59, 11)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 9, 11)));
}

TEST_F(TextOverlay, DefaultBackOpacityLeavesTheBoxPracticallyInvisible) {
    settings.BackOpacity = 1;
    settings.BackColor = "000000";
    Bitmap stamped(DrawWatermark(test::MakeSolid24(200, 100, 255, 255, 255), 200, 100, settings,
                                 project, font.get()));
    EXPECT_GE(PixelAt(stamped.get(), 189, 89).red, 252);
}

TEST(DrawWatermark, ConvertsTo24BitsForAnyKindEvenWithoutOverlay) {
    ConversionSettings settings;
    FileContext project;
    Bitmap grey = AdoptBitmap(FreeImage_Allocate(20, 10, 8));
    FIBITMAP* const handle = grey.get();
    grey = DrawWatermark(std::move(grey), 20, 10, settings, project, nullptr);
    EXPECT_EQ(grey.get(), handle);
    settings.DoWatermark = 3;
    Bitmap other(
        DrawWatermark(test::MakeSolid32(20, 10, Rgba{}), 20, 10, settings, project, nullptr));
    EXPECT_EQ(FreeImage_GetBPP(other.get()), 24u);
    EXPECT_EQ(DrawWatermark(nullptr, 1, 1, settings, project, nullptr), nullptr);
}

// A 10 x 6 magenta overlay on a black 101 x 81 picture, offsets 3 and 4.
class GridPlacement : public ::testing::TestWithParam<std::pair<int, std::pair<int, int>>> {};

TEST_P(GridPlacement, PutsTheOverlayOnItsGridPosition) {
    const auto [position, corner] = GetParam();
    ConversionSettings settings;
    Placement placement{0, 0, position, 3, 4};
    Bitmap stamped(PlaceAndComposite(test::MakeSolid24(101, 81, 0, 0, 0),
                                     test::MakeSolid32(10, 6, kMagenta), 101, 81, placement,
                                     settings));
    ASSERT_EQ(FreeImage_GetBPP(stamped.get()), 24u);
    const auto [x, y] = corner;
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), x, y)));
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), x + 9, y + 5)));
    if (x > 0) {
        EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), x - 1, y)));
    }
    if (y > 0) {
        EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), x, y - 1)));
    }
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), x + 10, y + 6)));
}

INSTANTIATE_TEST_SUITE_P(
    NinePositions, GridPlacement,
    ::testing::Values(std::pair{0, std::pair{3, 4}}, std::pair{1, std::pair{45, 4}},
                      std::pair{2, std::pair{88, 4}}, std::pair{3, std::pair{3, 37}},
                      std::pair{4, std::pair{45, 37}}, std::pair{5, std::pair{88, 37}},
                      std::pair{6, std::pair{3, 71}}, std::pair{7, std::pair{45, 71}},
                      std::pair{8, std::pair{88, 71}}, std::pair{9, std::pair{0, 0}}));

TEST(PlaceAndComposite, RotationTurnsAWideOverlayTall) {
    ConversionSettings settings;
    Bitmap stamped(PlaceAndComposite(test::MakeSolid24(100, 100, 0, 0, 0),
                                     test::MakeSolid32(40, 10, kMagenta), 100, 100,
                                     Placement{90, 0, 0, 0, 0}, settings));
    EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), 5, 35)));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 35, 5)));
    // Turned by 45 degrees the new corners stay transparent.
    Bitmap diagonal(PlaceAndComposite(test::MakeSolid24(100, 100, 0, 0, 0),
                                      test::MakeSolid32(30, 30, kMagenta), 100, 100,
                                      Placement{45, 0, 0, 0, 0}, settings));
    EXPECT_TRUE(IsBlack(PixelAt(diagonal.get(), 0, 0)));
    EXPECT_TRUE(IsMagenta(PixelAt(diagonal.get(), 21, 21)));
}

// A text watermark that cannot be made once passed the file unmarked.
TEST_F(TextOverlay, WatermarkThatCannotBeBuiltFailsTheFileWithItsReason) {
    settings.TextPadding = 20000;
    std::string reason;
    EXPECT_EQ(BuildTextOverlay(settings, project, *font, &reason), nullptr);
    EXPECT_NE(reason.find("larger than 16384 pixels on a side"), std::string::npos) << reason;
    reason.clear();
    EXPECT_EQ(DrawWatermark(test::MakeSolid24(20, 10, 0, 0, 0), 20, 10, settings, project,
                            font.get(), &reason),
              nullptr);
    EXPECT_NE(reason.find("text box of"), std::string::npos) << reason;
    // Without a font there is nothing to write with: that fails too.
    settings.TextPadding = 2;
    reason.clear();
    EXPECT_EQ(DrawWatermark(test::MakeSolid24(20, 10, 0, 0, 0), 20, 10, settings, project,
                            nullptr, &reason),
              nullptr);
    EXPECT_EQ(reason, "the watermark font is not loaded");
    // An empty text with no padding has nothing to draw, which is no failure.
    settings.Text = "";
    settings.TextPadding = 0;
    reason.clear();
    Bitmap plain(DrawWatermark(test::MakeSolid24(20, 10, 0, 0, 0), 20, 10, settings, project,
                               font.get(), &reason));
    EXPECT_NE(plain.get(), nullptr);
    EXPECT_EQ(reason, "");
}

// A negative offset once made the paste refuse and the watermark vanish.
// Every edge now cuts what reaches past it:
//
//   offsets -5, -5 at top-left       offsets -5, -5 at bottom-right
//   +-------                                   -------+
//   |##  (the overlay's outer 5                   ##|
//   |##   columns and rows are gone)              ##|
//                                           --------+
TEST(PlaceAndComposite, NegativeOffsetsAndOverhangsAreClippedOnAllFourSides) {
    ConversionSettings settings;
    for (const int position : {0, 2, 6, 8}) {
        Bitmap stamped(PlaceAndComposite(test::MakeSolid24(50, 40, 0, 0, 0),
                                         test::MakeSolid32(10, 10, kMagenta), 50, 40,
                                         Placement{0, 0, position, -5, -5}, settings));
        ASSERT_NE(stamped.get(), nullptr) << position;
        const int x = position % 3 == 0 ? 0 : 45;
        const int y = position / 3 == 0 ? 0 : 35;
        EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), x, y))) << position;
        EXPECT_TRUE(IsMagenta(PixelAt(stamped.get(), x + 4, y + 4))) << position;
        const int outsideX = position % 3 == 0 ? 5 : 44;
        const int outsideY = position / 3 == 0 ? 5 : 34;
        EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), outsideX, y))) << position;
        EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), x, outsideY))) << position;
    }
    // Inside a frame the frame's edges cut the overlay the same way.
    settings.DoFrame = 1;
    settings.SolidLeft = settings.SolidTop = settings.SolidRight = settings.SolidBottom = 8;
    Bitmap framed(PlaceAndComposite(test::MakeSolid24(50, 40, 0, 0, 0),
                                    test::MakeSolid32(10, 10, kMagenta), 50, 40,
                                    Placement{0, 1, 0, -5, -5}, settings));
    EXPECT_TRUE(IsBlack(PixelAt(framed.get(), 7, 8)));
    EXPECT_TRUE(IsMagenta(PixelAt(framed.get(), 8, 8)));
    EXPECT_TRUE(IsMagenta(PixelAt(framed.get(), 12, 12)));
    EXPECT_TRUE(IsBlack(PixelAt(framed.get(), 13, 12)));
}

TEST(PlaceAndComposite, AnOverlayOutsideThePictureLeavesItUnchanged) {
    ConversionSettings settings;
    Bitmap stamped(PlaceAndComposite(test::MakeSolid24(50, 50, 0, 0, 0),
                                     test::MakeSolid32(10, 10, kMagenta), 50, 50,
                                     Placement{0, 0, 0, -10, 0}, settings));
    EXPECT_TRUE(IsBlack(PixelAt(stamped.get(), 2, 2)));
    // Offsets beyond the area leave nothing to place.
    Bitmap beyond(PlaceAndComposite(test::MakeSolid24(50, 50, 0, 0, 0),
                                    test::MakeSolid32(10, 10, kMagenta), 50, 50,
                                    Placement{0, 0, 0, 60, 0}, settings));
    EXPECT_EQ(FreeImage_GetBPP(beyond.get()), 24u);
    // A half-transparent overlay blends.
    Bitmap half(PlaceAndComposite(test::MakeSolid24(50, 50, 0, 0, 0),
                                  test::MakeSolid32(10, 10, Rgba{255, 0, 255, 128}), 50, 50,
                                  Placement{0, 0, 0, 0, 0}, settings));
    EXPECT_TRUE(SameColour(PixelAt(half.get(), 2, 2), 128, 0, 128, 1));
}

}  // namespace
}  // namespace orvex
