// The watermark step: the overlay of the chosen kind is turned, cut to the
// placement area, put on its grid position and blended over the picture.
#include "imaging/watermark_placement.h"

#include <algorithm>
#include <string>

#include "imaging/bitmap_step.h"
#include "imaging/canvas.h"
#include "imaging/image_watermark.h"
#include "imaging/text_watermark.h"
#include "imaging/watermark.h"
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

class OwnedBitmap {
public:
    explicit OwnedBitmap(FIBITMAP* bitmap) : m_bitmap(bitmap) {}
    ~OwnedBitmap() { FreeImage_Unload(m_bitmap); }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    FIBITMAP* get() const { return m_bitmap; }
    void reset(FIBITMAP* bitmap) {
        FreeImage_Unload(m_bitmap);
        m_bitmap = bitmap;
    }

private:
    FIBITMAP* m_bitmap;
};

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

FIBITMAP* PlaceAndComposite(FIBITMAP* image, FIBITMAP* overlay, int W, int H,
                            const Placement& placement, const ConversionSettings& settings,
                            std::string* failureReason) {
    OwnedBitmap owned(overlay);
    if (!image || !overlay || W < 1 || H < 1) return image;
    const auto fail = [image, failureReason](const std::string& reason) -> FIBITMAP* {
        FreeImage_Unload(image);
        if (failureReason) *failureReason = reason;
        return nullptr;
    };

    // The canvas grows to hold the turned overlay; its new corners are
    // transparent.
    if (placement.rotation >= 1 && placement.rotation <= 359) {
        FIBITMAP* turned = FreeImage_Rotate(owned.get(), placement.rotation, nullptr);
        if (!turned) return fail("the watermark could not be turned (no memory)");
        owned.reset(turned);
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
    int64_t ow = FreeImage_GetWidth(owned.get());
    int64_t oh = FreeImage_GetHeight(owned.get());
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
    const int64_t pictureWidth = FreeImage_GetWidth(image);
    const int64_t pictureHeight = FreeImage_GetHeight(image);
    const int64_t left = std::max({x, areaX, int64_t{0}});
    const int64_t top = std::max({y, areaY, int64_t{0}});
    const int64_t right = std::min({x + ow, areaX + areaWidth, pictureWidth});
    const int64_t bottom = std::min({y + oh, areaY + areaHeight, pictureHeight});
    if (right <= left || bottom <= top) return image;  // it lies wholly off the picture
    if (left != x || top != y || right - x != FreeImage_GetWidth(owned.get()) ||
        bottom - y != FreeImage_GetHeight(owned.get())) {
        FIBITMAP* cut =
            FreeImage_Copy(owned.get(), static_cast<int>(left - x), static_cast<int>(top - y),
                           static_cast<int>(right - x), static_cast<int>(bottom - y));
        if (!cut) return fail("the watermark could not be cut to the picture (no memory)");
        owned.reset(cut);
    }

    OwnedBitmap layer(FreeImage_AllocateT(FIT_BITMAP, static_cast<int>(pictureWidth),
                                          static_cast<int>(pictureHeight),
                                          FreeImage_GetBPP(owned.get())));
    if (!layer.get() || !FreeImage_Paste(layer.get(), owned.get(), static_cast<int>(left),
                                         static_cast<int>(top), kPasteCopy)) {
        return fail("the watermark could not be placed (no memory)");
    }
    FIBITMAP* blended = CompositeOverPicture(image, layer.get());
    if (blended == image) return fail("the watermark could not be blended (no memory)");
    return blended;
}

FIBITMAP* DrawWatermark(FIBITMAP* image, int width, int height, const ConversionSettings& settings,
                        const FileContext& file, const WatermarkFont* font,
                        std::string* failureReason) {
    if (!image || settings.DoWatermark == 0) return image;
    if (FreeImage_GetBPP(image) != 24) {
        image = ReplaceBy24Bits(image);
        if (!image) {
            if (failureReason) *failureReason = "no memory for the watermark step";
            return nullptr;
        }
    }
    std::string reason;
    FIBITMAP* overlay = nullptr;
    Placement placement;
    if (settings.DoWatermark == kWatermarkText) {
        if (font) {
            overlay = BuildTextOverlay(settings, file, *font, &reason);
        } else {
            reason = "the watermark font is not loaded";
        }
        placement = TextPlacement(settings);
    } else if (settings.DoWatermark == kWatermarkImage) {
        overlay = BuildImageOverlay(settings, &reason);
        placement = ImagePlacement(settings);
    } else {
        return image;
    }
    if (!overlay && !reason.empty()) {
        FreeImage_Unload(image);
        if (failureReason) *failureReason = reason;
        return nullptr;
    }
    return PlaceAndComposite(image, overlay, width, height, placement, settings, failureReason);
}

}  // namespace orvex
