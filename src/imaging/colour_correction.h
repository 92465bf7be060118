// Chain step: brightness, contrast, gamma and inversion.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// With DoImageColorCorrection on, a picture below 8 or above 32 bits is first
// made 24-bit (and stays so); the adjustment itself works in place. Returns
// the image to continue with.
Bitmap AdjustColours(Bitmap image, const ConversionSettings& settings);

}  // namespace orvex
