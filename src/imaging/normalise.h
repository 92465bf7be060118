// Chain step: greyscale pixel types brought to a standard 8-bit picture.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

// A picture of colour type MINISWHITE or MINISBLACK (for example a 32-bit
// floating-point greyscale) becomes a standard bitmap, linearly scaled into
// 0..255; any other picture is returned as it is.
Bitmap NormalisePixelType(Bitmap image);

}  // namespace orvex
