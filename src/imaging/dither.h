// Chain step: 1-bit dithering.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// The FreeImage algorithm of an ImageDitherAlgorithm value (Floyd-Steinberg
// for unknown ones).
FREE_IMAGE_DITHER DitherAlgorithmFor(int setting);

// With DoImageDither on, the picture (made 24-bit first when below 4 or
// above 32 bits, so a thresholded 1-bit picture is dithered anew) is replaced
// by a dithered 1-bit picture. Returns the image to continue with.
Bitmap ApplyDither(Bitmap image, const ConversionSettings& settings);

}  // namespace orvex
