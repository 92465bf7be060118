// Test helpers for the drawing steps: 32-bit pixels read top-down, solid
// overlays and pictures written as files.
#pragma once

#include <FreeImage.h>

#include <string>

#include "drawing/canvas.h"
#include "imaging/imaging_test_support.h"

namespace orvex::test {

// The pixel of a 24- or 32-bit bitmap at (x, y), y counted from the top;
// alpha 255 for 24 bits.
inline Rgba PixelAt(FIBITMAP* image, int x, int y) {
    const int height = static_cast<int>(FreeImage_GetHeight(image));
    const unsigned bytes = FreeImage_GetBPP(image) / 8;
    const BYTE* pixel = FreeImage_GetScanLine(image, height - 1 - y) + x * bytes;
    return Rgba{pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE],
                bytes == 4 ? pixel[FI_RGBA_ALPHA] : BYTE{255}};
}

inline bool SameColour(const Rgba& pixel, int red, int green, int blue, int tolerance = 0) {
    auto near = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
    return near(pixel.red, red) && near(pixel.green, green) && near(pixel.blue, blue);
}

// A 32-bit bitmap whose pixel (x, y), y from the top, is colour(x, y).
template <typename ColourOf>
Bitmap Make32(int width, int height, ColourOf colour) {
    Bitmap image = AdoptBitmap(FreeImage_Allocate(width, height, 32));
    for (int y = 0; y < height; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(image.get(), height - 1 - y);
        for (int x = 0; x < width; ++x, pixel += 4) {
            const Rgba value = colour(x, y);
            pixel[FI_RGBA_RED] = value.red;
            pixel[FI_RGBA_GREEN] = value.green;
            pixel[FI_RGBA_BLUE] = value.blue;
            pixel[FI_RGBA_ALPHA] = value.alpha;
        }
    }
    return image;
}

inline Bitmap MakeSolid32(int width, int height, Rgba value) {
    return Make32(width, height, [value](int, int) { return value; });
}

// Writes `image` to `path` in `format`.
inline bool SavePicture(const Bitmap& image, FREE_IMAGE_FORMAT format, const std::string& path) {
    return FreeImage_Save(format, image.get(), path.c_str(), 0) != FALSE;
}

}  // namespace orvex::test
