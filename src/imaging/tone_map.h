// Chain step: tone mapping of high-dynamic-range pictures down to 24 bits.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"
#include "imaging/drago_operator.h"

namespace orvex {

struct ConversionSettings;

// Pictures deeper than 32 bits per pixel (floating-point and 16-bit-per-
// channel colour) are tone-mapped with the Drago operator and `controls`
// (by default gamma 1.0, exposure 0.0 and the picture's own statistics);
// others are returned as they are. A picture without any light
// (largest luminance 0) becomes a black 24-bit picture of the same size. The
// mapped picture's memory comes from `pixels` when given.
Bitmap ToneMapImage(Bitmap image, const std::shared_ptr<PixelPool>& pixels = nullptr,
                    const DragoControls& controls = {});

// The operator's controls the settings ask for: exposure, bias, gamma and
// saturation, the picture's own statistics.
DragoControls DragoControlsFor(const ConversionSettings& settings);

// True when at least one pixel of a colour picture deeper than 32 bits has a
// luminance above 0; stops at the first such pixel.
bool HasPositiveLuminance(FIBITMAP* image);

}  // namespace orvex
