// The solid frame: band colours, mitred corners, square ends, opacity and
// the depth the step hands on.
#include "drawing/solid_frame.h"

#include <gtest/gtest.h>

#include "drawing_test_support.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

using test::PixelAt;
using test::SameColour;

ConversionSettings FrameSettings(int left, int right, int top, int bottom) {
    ConversionSettings settings;
    settings.DoFrame = 1;
    settings.SolidLeft = left;
    settings.SolidRight = right;
    settings.SolidTop = top;
    settings.SolidBottom = bottom;
    settings.SolidLeftColor = "FFFF00";
    settings.SolidRightColor = "00FF00";
    settings.SolidTopColor = "FF0000";
    settings.SolidBottomColor = "0000FF";
    return settings;
}

bool IsYellow(const Rgba& p) { return SameColour(p, 255, 255, 0); }
bool IsGreen(const Rgba& p) { return SameColour(p, 0, 255, 0); }
bool IsRed(const Rgba& p) { return SameColour(p, 255, 0, 0); }
bool IsBlue(const Rgba& p) { return SameColour(p, 0, 0, 255); }

TEST(DrawSolidFrame, BandsCoverTheEdgesAndMeetOnTheDiagonals) {
    Bitmap framed(DrawSolidFrame(test::MakeSolid24(100, 80, 50, 50, 50), 100, 80,
                                 FrameSettings(10, 10, 10, 10)));
    ASSERT_NE(framed.get(), nullptr);
    FIBITMAP* image = framed.get();
    EXPECT_EQ(FreeImage_GetBPP(image), 24u);
    EXPECT_TRUE(IsRed(PixelAt(image, 50, 5)));
    EXPECT_TRUE(IsGreen(PixelAt(image, 95, 40)));
    EXPECT_TRUE(IsBlue(PixelAt(image, 50, 75)));
    EXPECT_TRUE(IsYellow(PixelAt(image, 5, 40)));
    EXPECT_TRUE(SameColour(PixelAt(image, 50, 40), 50, 50, 50));
    EXPECT_TRUE(SameColour(PixelAt(image, 10, 10), 50, 50, 50));
    EXPECT_TRUE(IsRed(PixelAt(image, 9, 0)));
    // Each corner square is split along its diagonal.
    EXPECT_TRUE(IsYellow(PixelAt(image, 2, 7)));
    EXPECT_TRUE(IsRed(PixelAt(image, 7, 2)));
    EXPECT_TRUE(IsRed(PixelAt(image, 92, 2)));
    EXPECT_TRUE(IsGreen(PixelAt(image, 97, 7)));
    EXPECT_TRUE(IsGreen(PixelAt(image, 97, 72)));
    EXPECT_TRUE(IsBlue(PixelAt(image, 92, 77)));
    EXPECT_TRUE(IsBlue(PixelAt(image, 7, 77)));
    EXPECT_TRUE(IsYellow(PixelAt(image, 2, 72)));
    // No picture shows through along a diagonal.
    for (int i = 0; i < 10; ++i) {
        const Rgba pixel = PixelAt(image, i, i);
        EXPECT_EQ(pixel.red, 255) << i;
        EXPECT_LE(pixel.blue, 1) << i;
    }
}

TEST(DrawSolidFrame, ASideWithoutBandGivesSquareEnds) {
    Bitmap framed(DrawSolidFrame(test::MakeSolid24(100, 80, 50, 50, 50), 100, 80,
                                 FrameSettings(0, 10, 10, 10)));
    EXPECT_TRUE(IsRed(PixelAt(framed.get(), 0, 5)));
    EXPECT_TRUE(IsRed(PixelAt(framed.get(), 2, 9)));
    EXPECT_TRUE(IsBlue(PixelAt(framed.get(), 0, 72)));
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 0, 40), 50, 50, 50));
}

TEST(DrawSolidFrame, ALargePictureIsFramedWithoutSeams) {
    Bitmap framed(DrawSolidFrame(test::MakeSolid24(2200, 2100, 50, 50, 50), 2200, 2100,
                                 FrameSettings(10, 10, 10, 10)));
    for (int x : {8, 1000, 2047, 2048, 2189}) EXPECT_TRUE(IsRed(PixelAt(framed.get(), x, 5))) << x;
    for (int y : {20, 2047, 2048, 2089}) EXPECT_TRUE(IsGreen(PixelAt(framed.get(), 2195, y))) << y;
    EXPECT_TRUE(IsGreen(PixelAt(framed.get(), 2197, 2092)));
    EXPECT_TRUE(IsBlue(PixelAt(framed.get(), 2192, 2097)));
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 2189, 2089), 50, 50, 50));
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 2048, 2048), 50, 50, 50));
}

TEST(DrawSolidFrame, OpacityBlendsTheWholeFrame) {
    ConversionSettings settings = FrameSettings(10, 10, 10, 10);
    settings.SolidOpacity = 128;
    Bitmap framed(DrawSolidFrame(test::MakeSolid24(100, 80, 255, 255, 255), 100, 80, settings));
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 50, 5), 255, 127, 127, 2));
    // Over a corner square the picture shows through no less than elsewhere.
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 7, 2), 255, 127, 127, 2));
    EXPECT_TRUE(SameColour(PixelAt(framed.get(), 50, 40), 255, 255, 255));

    settings.SolidOpacity = 0;
    Bitmap invisible(DrawSolidFrame(test::MakeSolid24(20, 20, 9, 9, 9), 20, 20, settings));
    EXPECT_TRUE(SameColour(PixelAt(invisible.get(), 5, 5), 9, 9, 9));
}

TEST(DrawSolidFrame, DepthFollowsTheFrameSetting) {
    EXPECT_EQ(DrawSolidFrame(nullptr, 1, 1, FrameSettings(1, 1, 1, 1)), nullptr);

    ConversionSettings none;
    Bitmap grey = AdoptBitmap(FreeImage_Allocate(30, 20, 8));
    FIBITMAP* const handle = grey.get();
    grey = DrawSolidFrame(std::move(grey), 30, 20, none);
    EXPECT_EQ(grey.get(), handle);
    EXPECT_EQ(FreeImage_GetBPP(grey.get()), 8u);
    Bitmap framedGrey(DrawSolidFrame(std::move(grey), 30, 20, FrameSettings(2, 2, 2, 2)));
    EXPECT_EQ(FreeImage_GetBPP(framedGrey.get()), 24u);
    EXPECT_TRUE(IsRed(PixelAt(framedGrey.get(), 15, 0)));

    // A 32-bit picture loses its alpha even when the frame is invisible, and
    // an unknown frame kind still converts without drawing.
    ConversionSettings invisible = FrameSettings(0, 0, 0, 0);
    Bitmap flattened(
        DrawSolidFrame(test::MakeSolid32(30, 20, Rgba{1, 2, 3, 40}), 30, 20, invisible));
    EXPECT_EQ(FreeImage_GetBPP(flattened.get()), 24u);
    ConversionSettings other = FrameSettings(5, 5, 5, 5);
    other.DoFrame = 2;
    Bitmap unframed(DrawSolidFrame(test::MakeSolid32(30, 20, Rgba{1, 2, 3, 255}), 30, 20, other));
    EXPECT_EQ(FreeImage_GetBPP(unframed.get()), 24u);
    EXPECT_TRUE(SameColour(PixelAt(unframed.get(), 0, 0), 1, 2, 3));
}

}  // namespace
}  // namespace orvex
