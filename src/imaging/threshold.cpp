// Threshold to 1 bit.
#include "imaging/threshold.h"

#include <algorithm>

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {

Bitmap ApplyThreshold(Bitmap image, const ConversionSettings& settings) {
    if (!image || settings.DoImageThreshold == 0) return image;
    const unsigned bpp = FreeImage_GetBPP(image.get());
    if (bpp < 4 || bpp > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    // The level is a byte; a value outside 0..255 from a hand-edited
    // configuration is taken as the nearest end of the range.
    const BYTE level = static_cast<BYTE>(std::clamp(settings.ImageThreshold, 0, 255));
    return ReplaceBitmap(std::move(image),
                         [level](FIBITMAP* in) { return FreeImage_Threshold(in, level); });
}

}  // namespace orvex
