// Greyscale conversion.
#include "imaging/greyscale.h"

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {

FIBITMAP* MakeGreyscale(FIBITMAP* image, const ConversionSettings& settings) {
    if (!image || settings.DoImageGreyscale == 0) return image;
    if (FreeImage_GetBPP(image) > 32) {
        image = ReplaceBy24Bits(image);
        if (!image) return nullptr;
    }
    return ReplaceBitmap(image, FreeImage_ConvertToGreyscale(image));
}

}  // namespace orvex
