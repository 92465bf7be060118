// Dithering to 1 bit.
#include "imaging/dither.h"

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {

FREE_IMAGE_DITHER DitherAlgorithmFor(int setting) {
    // The settings list the Bayer matrices before the cluster ones, FreeImage
    // numbers BAYER16x16 last.
    switch (setting) {
        case 0:
            return FID_FS;
        case 1:
            return FID_BAYER4x4;
        case 2:
            return FID_BAYER8x8;
        case 3:
            return FID_BAYER16x16;
        case 4:
            return FID_CLUSTER6x6;
        case 5:
            return FID_CLUSTER8x8;
        case 6:
            return FID_CLUSTER16x16;
        default:
            return FID_FS;
    }
}

Bitmap ApplyDither(Bitmap image, const ConversionSettings& settings) {
    if (!image || settings.DoImageDither == 0) return image;
    const unsigned bpp = FreeImage_GetBPP(image.get());
    if (bpp < 4 || bpp > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    const FREE_IMAGE_DITHER algorithm = DitherAlgorithmFor(settings.ImageDitherAlgorithm);
    return ReplaceBitmap(std::move(image),
                         [algorithm](FIBITMAP* in) { return FreeImage_Dither(in, algorithm); });
}

}  // namespace orvex
