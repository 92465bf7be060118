// Unloading through FreeImage, kept out of the header so it stays free of
// FreeImage's own declarations.
#include "formats/bitmap.h"

#include <FreeImage.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orvex {
namespace {

// FreeImage's own alignment of pixel rows, kept for SIMD loads.
constexpr uint64_t kAlignment = 64;

uint64_t RoundUp(uint64_t value, uint64_t step) { return (value + step - 1) / step * step; }

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) noexcept {
    if (!bitmap) return;
    FreeImage_Unload(bitmap);
    if (bitmap == pixelsOf) {
        std::free(borrowedPixels);
        pixelsOf = nullptr;
        borrowedPixels = nullptr;
    }
}

Bitmap AllocateUnclearedRgbf(unsigned width, unsigned height) {
    constexpr unsigned kPixelBytes = sizeof(FIRGBF);
    if (width == 0 || height == 0 || width > static_cast<unsigned>(std::numeric_limits<int>::max()) ||
        height > static_cast<unsigned>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    // FreeImage's own row length for the type: whole 32-bit words.
    const uint64_t pitch = uint64_t{width} * kPixelBytes;
    if (pitch > static_cast<uint64_t>(std::numeric_limits<int>::max())) return nullptr;
    const uint64_t bytes = pitch * height;
    if (bytes > std::numeric_limits<size_t>::max()) return nullptr;

    // Plain heap memory: a large block comes straight from the system as
    // fresh pages, and the leak checker watches it like any other.
    void* pixels = std::aligned_alloc(kAlignment, RoundUp(bytes, kAlignment));
    if (!pixels) return nullptr;
    // A header around memory it does not own: FreeImage_Unload leaves the
    // pixels alone, the deleter frees them.
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBitsEx(
        FALSE, static_cast<BYTE*>(pixels), FIT_RGBF, static_cast<int>(width),
        static_cast<int>(height), static_cast<int>(pitch), 8 * kPixelBytes, 0, 0, 0, FALSE);
    if (!bitmap) {
        std::free(pixels);
        return nullptr;
    }
    return Bitmap(bitmap, BitmapDeleter{bitmap, pixels});
}

}  // namespace orvex
