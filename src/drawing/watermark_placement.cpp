// The watermark step: the overlay of the chosen kind is turned, cut to the
// placement area, put on its grid position and blended over the picture.
#include "drawing/watermark_placement.h"

#include <algorithm>
#include <string>

#include "imaging/bitmap_step.h"
#include "drawing/canvas.h"
#include "drawing/image_watermark.h"
#include "drawing/text_watermark.h"
#include "drawing/watermark.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kWatermarkText = 1;
constexpr int kWatermarkImage = 2;
constexpr int kBoundFrame = 1;

// FreeImage_Paste blends with its factor as (src * f + dst * (256 - f)) / 256,
// so even 255 dims every pasted level by one; 256 copies the pixels as they
// are. The target is fully transparent, so a copy is what placing means.
constexpr int kPasteCopy = 256;

}  // namespace

Placement TextPlacement(const ConversionSettings& settings) {
    return Placement{settings.TextRotation, settings.TextBoundary, settings.TextPosition,
                     settings.TextXOffset, settings.TextYOffset};
}

Placement ImagePlacement(const ConversionSettings& settings) {
    return Placement{settings.WatermarkImageRotation, settings.ImageBoundary,
                     settings.ImagePosition, settings.ImageXOffset, settings.ImageYOffset};
}

//        x offset           centred            x offset
//       +-------+--------------------------------+-------+
//  y    | 0 TL  |              1 TC              | 2 TR  |
//       +-------+                                +-------+
//       | 3 ML  |              4 MC              | 5 MR  |
//       +-------+                                +-------+
//  y    | 6 BL  |              7 BC              | 8 BR  |
//       +-------+--------------------------------+-------+
GridPoint PositionInArea(int64_t areaWidth, int64_t areaHeight, int64_t ow, int64_t oh,
                         const Placement& placement) {
    if (placement.position < 0 || placement.position > 8) return GridPoint{};
    const int column = placement.position % 3;
    const int row = placement.position / 3;
    // Integer halving truncates toward zero, also for an overlay wider than
    // the area.
    const int64_t x = column == 0   ? placement.xOffset
                      : column == 1 ? (areaWidth - ow) / 2
                                    : areaWidth - ow - placement.xOffset;
    const int64_t y = row == 0   ? placement.yOffset
                      : row == 1 ? (areaHeight - oh) / 2
                                 : areaHeight - oh - placement.yOffset;
    return GridPoint{x, y};
}

Bitmap PlaceAndComposite(Bitmap image, Bitmap overlay, int W, int H, const Placement& placement,
                         const ConversionSettings& settings, std::string* failureReason) {
    if (!image || !overlay || W < 1 || H < 1) return image;
    // The picture is unloaded on the way out; the file fails with the reason.
    const auto fail = [failureReason](const std::string& reason) -> Bitmap {
        if (failureReason) *failureReason = reason;
        return {};
    };

    // The canvas grows to hold the turned overlay; its new corners are
    // transparent.
    if (placement.rotation >= 1 && placement.rotation <= 359) {
        Bitmap turned = AdoptBitmap(FreeImage_Rotate(overlay.get(), placement.rotation, nullptr));
        if (!turned) return fail("the watermark could not be turned (no memory)");
        overlay = std::move(turned);
    }

    int64_t areaX = 0;
    int64_t areaY = 0;
    int64_t areaWidth = W;
    int64_t areaHeight = H;
    if (settings.DoFrame != 0 && placement.boundary == kBoundFrame) {
        areaX = settings.SolidLeft;
        areaY = settings.SolidTop;
        areaWidth = int64_t{W} - settings.SolidLeft - settings.SolidRight;
        areaHeight = int64_t{H} - settings.SolidTop - settings.SolidBottom;
    }

    // What would reach past the area's right or bottom edge (counting the
    // offset from the near edge) is cut off; the top-left part remains and
    // takes its grid position at the size it has left.
    int64_t ow = FreeImage_GetWidth(overlay.get());
    int64_t oh = FreeImage_GetHeight(overlay.get());
    if (ow + placement.xOffset > areaWidth) ow = areaWidth - placement.xOffset;
    if (oh + placement.yOffset > areaHeight) oh = areaHeight - placement.yOffset;
    if (ow < 1 || oh < 1) return image;  // nothing of it is left to place
    const GridPoint point = PositionInArea(areaWidth, areaHeight, ow, oh, placement);
    const int64_t x = point.x + areaX;
    const int64_t y = point.y + areaY;

    //   The placed overlay is then cut to the area on all four sides: a
    //   negative offset pushes its left or top part out, an area inside the
    //   frame or a grid position may leave part of it beyond any edge.
    //
    //        x          left        right
    //        +----------+-----------+---+
    //        |  cut     |  pasted   |cut|
    //        +----------+-----------+---+
    //                   |<- area ->|
    const int64_t pictureWidth = FreeImage_GetWidth(image.get());
    const int64_t pictureHeight = FreeImage_GetHeight(image.get());
    const int64_t left = std::max({x, areaX, int64_t{0}});
    const int64_t top = std::max({y, areaY, int64_t{0}});
    const int64_t right = std::min({x + ow, areaX + areaWidth, pictureWidth});
    const int64_t bottom = std::min({y + oh, areaY + areaHeight, pictureHeight});
    if (right <= left || bottom <= top) return image;  // it lies wholly off the picture
    if (left != x || top != y || right - x != FreeImage_GetWidth(overlay.get()) ||
        bottom - y != FreeImage_GetHeight(overlay.get())) {
        Bitmap cut = AdoptBitmap(
            FreeImage_Copy(overlay.get(), static_cast<int>(left - x), static_cast<int>(top - y),
                           static_cast<int>(right - x), static_cast<int>(bottom - y)));
        if (!cut) return fail("the watermark could not be cut to the picture (no memory)");
        overlay = std::move(cut);
    }

    const Bitmap layer = AdoptBitmap(FreeImage_AllocateT(FIT_BITMAP, static_cast<int>(pictureWidth),
                                                         static_cast<int>(pictureHeight),
                                                         FreeImage_GetBPP(overlay.get())));
    if (!layer || !FreeImage_Paste(layer.get(), overlay.get(), static_cast<int>(left),
                                   static_cast<int>(top), kPasteCopy)) {
        return fail("the watermark could not be placed (no memory)");
    }
    // The blend hands the picture back unchanged when it cannot be made.
    FIBITMAP* const picture = image.get();
    Bitmap blended = CompositeOverPicture(std::move(image), layer.get());
    if (blended.get() == picture) return fail("the watermark could not be blended (no memory)");
    return blended;
}

Bitmap DrawWatermark(Bitmap image, int width, int height, const ConversionSettings& settings,
                     const FileContext& file, const WatermarkSources& sources,
                     std::string* failureReason) {
    if (!image || settings.DoWatermark == 0) return image;
    if (FreeImage_GetBPP(image.get()) != 24) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) {
            if (failureReason) *failureReason = "no memory for the watermark step";
            return image;
        }
    }
    std::string reason;
    Bitmap overlay;
    Placement placement;
    if (settings.DoWatermark == kWatermarkText) {
        if (sources.font) {
            overlay = BuildTextOverlay(settings, file, *sources.font, &reason);
        } else {
            reason = "the watermark font is not loaded";
        }
        placement = TextPlacement(settings);
    } else if (settings.DoWatermark == kWatermarkImage) {
        // The run's picture is shared by every file: this file works on a copy.
        overlay = sources.picture ? AdoptBitmap(FreeImage_Clone(sources.picture))
                                  : BuildImageOverlay(settings, &reason);
        if (!overlay && sources.picture) reason = "no memory for the watermark picture";
        placement = ImagePlacement(settings);
    } else {
        return image;
    }
    if (!overlay && !reason.empty()) {
        if (failureReason) *failureReason = reason;
        return {};  // the picture is unloaded on the way out
    }
    return PlaceAndComposite(std::move(image), std::move(overlay), width, height, placement,
                             settings, failureReason);
}

}  // namespace orvex
