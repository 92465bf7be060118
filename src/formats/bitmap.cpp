// Unloading through FreeImage, kept out of the header so it stays free of
// FreeImage's own declarations.
#include "formats/bitmap.h"

#include <FreeImage.h>

namespace orvex {

void BitmapDeleter::operator()(FIBITMAP* bitmap) const noexcept {
    if (bitmap) FreeImage_Unload(bitmap);
}

}  // namespace orvex
