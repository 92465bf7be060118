// Chain step: tone mapping of high-dynamic-range pictures down to 24 bits.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

// Pictures deeper than 32 bits per pixel (floating-point and 16-bit-per-
// channel colour) are tone-mapped with the Drago operator, gamma 1.0 and
// exposure 0.0; others are returned as they are. A picture without any light
// (largest luminance 0) becomes a black 24-bit picture of the same size. The
// mapped picture's memory comes from `pixels` when given.
Bitmap ToneMapImage(Bitmap image, const std::shared_ptr<PixelPool>& pixels = nullptr);

// True when at least one pixel of a colour picture deeper than 32 bits has a
// luminance above 0; stops at the first such pixel.
bool HasPositiveLuminance(FIBITMAP* image);

}  // namespace orvex
