// Chain step: mirroring the picture left-right and top-bottom, in place.
#pragma once

#include <FreeImage.h>

namespace orvex {

struct ConversionSettings;

// Horizontal flip first (DoImageFlipHorizontal), then vertical
// (DoImageFlipVertical); nothing for a null image.
void FlipImage(FIBITMAP* image, const ConversionSettings& settings);

}  // namespace orvex
