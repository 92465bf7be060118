// Chain step: turning the picture by ImageRotation degrees, counter-clockwise.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// Returns the image to continue with: the same handle when rotation is off or
// the angle is outside 1 to 359, null when it received null. A simple
// rotation grows the canvas and fills the uncovered corners with
// ImageRotationBackColor; an advanced one keeps the canvas size.
// Floating-point pictures are turned in their own pixel type.
Bitmap RotateImage(Bitmap image, const ConversionSettings& settings);

}  // namespace orvex
