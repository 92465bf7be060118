// Chain step: black-and-white by a threshold level.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// With DoImageThreshold on, the picture (made 24-bit first when below 4 or
// above 32 bits) is replaced by a 1-bit picture: black below ImageThreshold,
// white from it on. Returns the image to continue with.
Bitmap ApplyThreshold(Bitmap image, const ConversionSettings& settings);

}  // namespace orvex
