// Placing a watermark overlay on the picture: rotation, clipping, the 3 x 3
// grid of positions with offsets, optionally inside the frame, and blending.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <string>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// Largest side of an overlay we build (text box or logo); a bigger one is
// refused rather than allocated.
constexpr int kMaximumOverlaySide = 16384;

// The settings of the watermark kind in use.
struct Placement {
    int32_t rotation = 0;  // degrees; 1 to 359 turn the overlay
    int32_t boundary = 0;  // 0 the picture, 1 inside the frame
    int32_t position = 8;  // 0 top-left ... 8 bottom-right, row by row
    int32_t xOffset = 0;
    int32_t yOffset = 0;
};

Placement TextPlacement(const ConversionSettings& settings);
Placement ImagePlacement(const ConversionSettings& settings);

// Where an overlay of ow x oh lands in an area of areaWidth x areaHeight:
// the top-left corner relative to the area's origin. Centred coordinates
// ignore the offsets; an unknown position gives (0, 0).
struct GridPoint {
    int64_t x = 0;
    int64_t y = 0;
};
GridPoint PositionInArea(int64_t areaWidth, int64_t areaHeight, int64_t ow, int64_t oh,
                         const Placement& placement);

// Blends the 32-bit `overlay` over the 24-bit W x H picture at its place and
// returns the 24-bit result in place of the picture. Whatever part of the
// overlay reaches past an edge of the placement area, on any side (negative
// offsets included), is cut off; an overlay with nothing left on the area
// leaves the picture as it is. When the blending itself fails (no memory),
// the picture is let go and null returned with the reason.
Bitmap PlaceAndComposite(Bitmap image, Bitmap overlay, int W, int H, const Placement& placement,
                         const ConversionSettings& settings, std::string* failureReason = nullptr);

}  // namespace orvex
