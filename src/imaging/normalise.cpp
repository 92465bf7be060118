// Pixel-type normalisation of greyscale pictures before tone mapping.
#include "imaging/normalise.h"

#include "imaging/bitmap_step.h"

namespace orvex {

Bitmap NormalisePixelType(Bitmap image) {
    if (!image) return image;
    const FREE_IMAGE_COLOR_TYPE colourType = FreeImage_GetColorType(image.get());
    if (colourType != FIC_MINISWHITE && colourType != FIC_MINISBLACK) return image;
    return ReplaceBitmap(std::move(image),
                         [](FIBITMAP* in) { return FreeImage_ConvertToStandardType(in, TRUE); });
}

}  // namespace orvex
