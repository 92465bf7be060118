// Greyscale conversion.
#include "imaging/greyscale.h"

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {

Bitmap MakeGreyscale(Bitmap image, const ConversionSettings& settings) {
    if (!image || settings.DoImageGreyscale == 0) return image;
    if (FreeImage_GetBPP(image.get()) > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    return ReplaceBitmap(std::move(image),
                         [](FIBITMAP* in) { return FreeImage_ConvertToGreyscale(in); });
}

}  // namespace orvex
