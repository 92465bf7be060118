// The solid frame: four bands with mitred corners, drawn as antialiased
// polygons on a transparent layer and blended over the picture's edges.
#include "drawing/solid_frame.h"

#include <algorithm>
#include <vector>

#include "imaging/bitmap_step.h"
#include "drawing/canvas.h"
#include "imaging/colour_parse.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kFrameSolid = 1;

// The layer is drawn in tiles of at most this side, so a picture of any size
// can be framed (a single drawing surface stops at 32767 pixels) and only
// tiles that touch a band are drawn at all.
constexpr int kTileSide = 2048;

struct Shape {
    std::vector<PointF> corners;
    Rgb colour;
};

// The frame's shapes in drawing order. With band widths L, R, T, B the bands
// are trapezia that meet on the corner diagonals:
//
//     (0,0) +---------- top ---------+ (W,0)
//           |\                      /|
//           | +--------------------+ |
//         left|     (L,T)  (W-R,T) |right
//           | +--------------------+ |
//           |/                      \|
//     (0,H) +--------- bottom -------+ (W,H)
//
// Each corner square comes first, under the two bands that meet there: two
// antialiased edges along one diagonal each cover only part of the pixels
// they cross, and the square beneath closes that hairline.
std::vector<Shape> FrameShapes(double W, double H, double L, double R, double T, double B,
                               const ConversionSettings& settings) {
    const Rgb left = ParseColour(settings.SolidLeftColor);
    const Rgb right = ParseColour(settings.SolidRightColor);
    const Rgb top = ParseColour(settings.SolidTopColor);
    const Rgb bottom = ParseColour(settings.SolidBottomColor);
    auto square = [](double x, double y, double w, double h) {
        return std::vector<PointF>{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    };
    return {
        {square(0, 0, L, T), top},
        {square(W - R, 0, R, T), right},
        {square(W - R, H - B, R, B), bottom},
        {square(0, H - B, L, B), left},
        {{{0, 0}, {W, 0}, {W - R, T}, {L, T}}, top},
        {{{W, 0}, {W, H}, {W - R, H - B}, {W - R, T}}, right},
        {{{W, H}, {0, H}, {L, H - B}, {W - R, H - B}}, bottom},
        {{{0, H}, {0, 0}, {L, T}, {L, H - B}}, left},
    };
}

// Draws the W x H frame layer into the transparent 32-bit `layer`, tile by
// tile. Within a tile the shapes are filled opaque and the result is then
// painted at the frame's opacity, so the whole frame takes one alpha and
// overlapping edges never show through each other.
bool DrawFrameLayer(FIBITMAP* layer, int W, int H, const ConversionSettings& settings) {
    // Widths below zero mean no band; wider than the picture, the whole side.
    const int L = std::clamp(settings.SolidLeft, 0, W);
    const int R = std::clamp(settings.SolidRight, 0, W);
    const int T = std::clamp(settings.SolidTop, 0, H);
    const int B = std::clamp(settings.SolidBottom, 0, H);
    const int opacity = std::clamp(settings.SolidOpacity, 0, 255);
    const std::vector<Shape> shapes = FrameShapes(W, H, L, R, T, B, settings);

    for (int top = 0; top < H; top += kTileSide) {
        for (int left = 0; left < W; left += kTileSide) {
            const int width = std::min(kTileSide, W - left);
            const int height = std::min(kTileSide, H - top);
            // A tile wholly inside the frame's inner edges stays transparent.
            if (left >= L && top >= T && left + width <= W - R && top + height <= H - B) continue;
            std::unique_ptr<Canvas> opaque = Canvas::Create(width, height);
            std::unique_ptr<Canvas> tile = Canvas::Create(width, height);
            if (!opaque || !tile) return false;
            for (const Shape& shape : shapes) {
                std::vector<PointF> corners = shape.corners;
                for (PointF& corner : corners) {
                    corner.x -= left;
                    corner.y -= top;
                }
                opaque->FillPolygon(corners, shape.colour, 255);
            }
            tile->Paint(*opaque, 0, 0, opacity);
            if (!tile->CopyInto(layer, left, top)) return false;
        }
    }
    return true;
}

}  // namespace

Bitmap DrawSolidFrame(Bitmap image, int width, int height, const ConversionSettings& settings) {
    if (!image || settings.DoFrame == 0) return image;
    if (FreeImage_GetBPP(image.get()) != 24) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    if (settings.DoFrame != kFrameSolid || width < 1 || height < 1) return image;

    // FreeImage hands out new bitmaps cleared, so the layer starts transparent.
    const Bitmap layer = AdoptBitmap(FreeImage_Allocate(width, height, 32, FI_RGBA_RED_MASK,
                                                        FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    if (!layer) return image;
    if (DrawFrameLayer(layer.get(), width, height, settings)) {
        image = CompositeOverPicture(std::move(image), layer.get());
    }
    return image;
}

}  // namespace orvex
