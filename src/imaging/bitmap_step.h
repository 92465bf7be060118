// Small helpers shared by the chain steps: handing on the bitmap a FreeImage
// call made and unloading the one it was made from.
#pragma once

#include <FreeImage.h>

namespace orvex {

// `result` replaces `source`: the source is unloaded unless it is the result
// itself. A null result passes on as null, so a failed conversion fails the
// file further down the chain.
inline FIBITMAP* ReplaceBitmap(FIBITMAP* source, FIBITMAP* result) {
    if (result != source) FreeImage_Unload(source);
    return result;
}

// Replaces the image by its 24-bit conversion.
inline FIBITMAP* ReplaceBy24Bits(FIBITMAP* image) {
    return ReplaceBitmap(image, FreeImage_ConvertTo24Bits(image));
}

inline bool IsFloatingPointImage(FIBITMAP* image) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
    return type == FIT_FLOAT || type == FIT_RGBF || type == FIT_RGBAF;
}

}  // namespace orvex
