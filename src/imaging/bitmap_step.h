// Small helpers shared by the chain steps: handing on the bitmap a FreeImage
// call made from the one it replaces.
#pragma once

#include <FreeImage.h>

#include <utility>

#include "formats/bitmap.h"

namespace orvex {

// The bitmap `convert` makes from `source` replaces it: the source is
// unloaded unless the call handed back the source itself. A null result
// passes on as null, so a failed conversion fails the file further down the
// chain. The conversion runs before the source is let go, which a call like
// F(std::move(image), Convert(image.get())) could not promise.
template <typename Convert>
Bitmap ReplaceBitmap(Bitmap source, Convert&& convert) {
    FIBITMAP* result = convert(source.get());
    if (result == source.get()) return source;
    return AdoptBitmap(result);
}

// Replaces the image by its 24-bit conversion.
inline Bitmap ReplaceBy24Bits(Bitmap image) {
    return ReplaceBitmap(std::move(image),
                         [](FIBITMAP* in) { return FreeImage_ConvertTo24Bits(in); });
}

inline bool IsFloatingPointImage(FIBITMAP* image) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
    return type == FIT_FLOAT || type == FIT_RGBF || type == FIT_RGBAF;
}

}  // namespace orvex
