// Colour correction through FreeImage's combined adjustment.
#include "imaging/colour_correction.h"

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {

Bitmap AdjustColours(Bitmap image, const ConversionSettings& settings) {
    if (!image || settings.DoImageColorCorrection == 0) return image;
    const unsigned bpp = FreeImage_GetBPP(image.get());
    if (bpp < 8 || bpp > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    // Neutral values (0, 0, 1.0, no invert) leave the pixels as they are;
    // a refusal by FreeImage leaves them too, so its flag is not needed.
    FreeImage_AdjustColors(image.get(), static_cast<double>(settings.ImageBrightness),
                           static_cast<double>(settings.ImageContrast),
                           static_cast<double>(settings.ImageGamma), settings.ImageInvert != 0);
    return image;
}

}  // namespace orvex
