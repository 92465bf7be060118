// The image watermark overlay: a picture file (PNG, JPEG or BMP) stamped at
// its own size, optionally in grey, at the image opacity.
#pragma once

#include <FreeImage.h>

#include <cstdint>

namespace orvex {

struct ConversionSettings;

// The grey level the watermark's grey filter gives a colour.
inline uint8_t WatermarkGrey(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
}

// The overlay (32-bit with alpha) from the picture named by Image, or
// nullptr when the file cannot be decoded, is of another kind, or is larger
// than the overlay limit on either side.
FIBITMAP* BuildImageOverlay(const ConversionSettings& settings);

}  // namespace orvex
