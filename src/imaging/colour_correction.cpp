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
    // Neutral values (0, 0, 1.0, no invert) leave the pixels as they are, and
    // FreeImage answers them with "nothing done". Any other refusal (a gamma
    // of 0 or below) fails the file rather than passing the picture on as if
    // the correction had been made.
    const bool neutral = settings.ImageBrightness == 0 && settings.ImageContrast == 0 &&
                         settings.ImageGamma == 1.0f && settings.ImageInvert == 0;
    if (!FreeImage_AdjustColors(image.get(), static_cast<double>(settings.ImageBrightness),
                                static_cast<double>(settings.ImageContrast),
                                static_cast<double>(settings.ImageGamma),
                                settings.ImageInvert != 0) &&
        !neutral) {
        return {};
    }
    return image;
}

}  // namespace orvex
