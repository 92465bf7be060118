// The solid frame: four bands with mitred corners, drawn as antialiased
// polygons on a transparent layer and blended over the picture's edges.
#include "imaging/solid_frame.h"

#include <algorithm>

#include "imaging/bitmap_step.h"
#include "imaging/canvas.h"
#include "imaging/colour_parse.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kFrameSolid = 1;

// The frame as a layer of the picture's size, at full alpha. With band
// widths L, R, T, B the bands are trapezia that meet on the corner diagonals:
//
//     (0,0) +---------- top ---------+ (W,0)
//           |\                      /|
//           | +--------------------+ |
//         left|     (L,T)  (W-R,T) |right
//           | +--------------------+ |
//           |/                      \|
//     (0,H) +--------- bottom -------+ (W,H)
//
// Each corner square is filled first, under the two bands that meet there:
// two antialiased edges along one diagonal each cover only part of the
// pixels they cross, and the square beneath closes that hairline.
std::unique_ptr<Canvas> DrawFrameLayer(int W, int H, const ConversionSettings& settings) {
    std::unique_ptr<Canvas> layer = Canvas::Create(W, H);
    if (!layer) return nullptr;
    // Widths below zero mean no band; wider than the picture, the whole side.
    const double L = std::clamp(settings.SolidLeft, 0, W);
    const double R = std::clamp(settings.SolidRight, 0, W);
    const double T = std::clamp(settings.SolidTop, 0, H);
    const double B = std::clamp(settings.SolidBottom, 0, H);
    const Rgb left = ParseColour(settings.SolidLeftColor);
    const Rgb right = ParseColour(settings.SolidRightColor);
    const Rgb top = ParseColour(settings.SolidTopColor);
    const Rgb bottom = ParseColour(settings.SolidBottomColor);
    auto square = [](double x, double y, double w, double h) {
        return std::vector<PointF>{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    };

    layer->FillPolygon(square(0, 0, L, T), top, 255);
    layer->FillPolygon(square(W - R, 0, R, T), right, 255);
    layer->FillPolygon(square(W - R, H - B, R, B), bottom, 255);
    layer->FillPolygon(square(0, H - B, L, B), left, 255);

    layer->FillPolygon({{0, 0}, {1.0 * W, 0}, {W - R, T}, {L, T}}, top, 255);
    layer->FillPolygon({{1.0 * W, 0}, {1.0 * W, 1.0 * H}, {W - R, H - B}, {W - R, T}}, right, 255);
    layer->FillPolygon({{1.0 * W, 1.0 * H}, {0, 1.0 * H}, {L, H - B}, {W - R, H - B}}, bottom, 255);
    layer->FillPolygon({{0, 1.0 * H}, {0, 0}, {L, T}, {L, H - B}}, left, 255);
    return layer;
}

}  // namespace

FIBITMAP* DrawSolidFrame(FIBITMAP* image, int width, int height,
                         const ConversionSettings& settings) {
    if (!image || settings.DoFrame == 0) return image;
    if (FreeImage_GetBPP(image) != 24) {
        image = ReplaceBy24Bits(image);
        if (!image) return nullptr;
    }
    if (settings.DoFrame != kFrameSolid) return image;

    // The whole layer takes one opacity, so overlapping band edges never
    // show through each other: draw it opaque, then paint it at that alpha.
    std::unique_ptr<Canvas> opaque = DrawFrameLayer(width, height, settings);
    if (!opaque) return image;
    std::unique_ptr<Canvas> frame = Canvas::Create(width, height);
    if (!frame) return image;
    frame->Paint(*opaque, 0, 0, std::clamp(settings.SolidOpacity, 0, 255));
    opaque.reset();

    FIBITMAP* layer = frame->ToBitmap();
    frame.reset();
    if (!layer) return image;
    image = CompositeOverPicture(image, layer);
    FreeImage_Unload(layer);
    return image;
}

}  // namespace orvex
