// Pixel-type normalisation of greyscale pictures before tone mapping.
#include "imaging/normalise.h"

#include "imaging/bitmap_step.h"

namespace orvex {

FIBITMAP* NormalisePixelType(FIBITMAP* image) {
    if (!image) return nullptr;
    const FREE_IMAGE_COLOR_TYPE colourType = FreeImage_GetColorType(image);
    if (colourType != FIC_MINISWHITE && colourType != FIC_MINISBLACK) return image;
    return ReplaceBitmap(image, FreeImage_ConvertToStandardType(image, TRUE));
}

}  // namespace orvex
