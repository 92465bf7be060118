// Chain step: a solid frame of four mitred bands painted over the picture's edges.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// Returns the picture to continue with: unchanged for DoFrame 0, otherwise
// 24-bit, framed when DoFrame is 1. W x H is the size after resizing.
Bitmap DrawSolidFrame(Bitmap image, int width, int height, const ConversionSettings& settings);

}  // namespace orvex
