// The image watermark overlay: a picture file (PNG, JPEG or BMP) stamped at
// its own size, optionally in grey, at the image opacity.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <string>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// The grey level the watermark's grey filter gives a colour.
inline uint8_t WatermarkGrey(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
}

// Whether the picture at `path` can be a watermark: a PNG, JPEG or BMP file
// that decodes, no larger than the overlay limit on either side. Otherwise
// false with the reason, for refusing a run before any work.
bool CanDecodeWatermarkImage(const std::string& path, std::string* reason = nullptr);

// The overlay (32-bit with alpha) from the picture named by Image, or
// null with the reason when the file cannot be decoded, is of another
// kind, or is larger than the overlay limit on either side.
Bitmap BuildImageOverlay(const ConversionSettings& settings, std::string* reason = nullptr);

}  // namespace orvex
