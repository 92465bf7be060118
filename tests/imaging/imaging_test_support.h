// Test helpers for the chain steps: pictures with known pixels, reading
// pixels back top-down, and a project ready to write JPEG files.
#pragma once

#include <FreeImage.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "formats/bitmap.h"
#include "imaging/drago_operator.h"
#include "settings/file_context.h"

namespace orvex::test {

inline unsigned Width(FIBITMAP* image) { return FreeImage_GetWidth(image); }
inline unsigned Height(FIBITMAP* image) { return FreeImage_GetHeight(image); }
inline unsigned Bpp(FIBITMAP* image) { return FreeImage_GetBPP(image); }

// A floating-point RGB picture; `colour(x, y)` gives the pixel with y
// counted from the top.
inline Bitmap MakeRgbf(int width, int height, const std::function<FIRGBF(int x, int y)>& colour) {
    Bitmap image = AdoptBitmap(FreeImage_AllocateT(FIT_RGBF, width, height, 96));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image.get(), height - 1 - y));
        for (int x = 0; x < width; ++x) row[x] = colour(x, y);
    }
    return image;
}

// The Drago operator's controls with the given curve and, when given, shared
// statistics.
inline DragoControls Controls(double gamma, double exposure,
                              std::optional<DragoStatistics> statistics = std::nullopt) {
    DragoControls controls;
    controls.gamma = gamma;
    controls.exposure = exposure;
    controls.statistics = statistics;
    return controls;
}

inline Bitmap MakeUniformRgbf(int width, int height, FIRGBF value) {
    return MakeRgbf(width, height, [value](int, int) { return value; });
}

inline FIRGBF RgbfAt(FIBITMAP* image, int x, int y) {
    const int height = static_cast<int>(FreeImage_GetHeight(image));
    return reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, height - 1 - y))[x];
}

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Any standard bitmap's pixel colour (palette or direct), y from the top.
inline Colour ColourAt(FIBITMAP* image, int x, int y) {
    const int height = static_cast<int>(FreeImage_GetHeight(image));
    RGBQUAD value{};
    const unsigned bpp = FreeImage_GetBPP(image);
    if (bpp <= 8) {
        BYTE index = 0;
        FreeImage_GetPixelIndex(image, x, height - 1 - y, &index);
        value = FreeImage_GetPalette(image)[index];
    } else {
        FreeImage_GetPixelColor(image, x, height - 1 - y, &value);
    }
    return Colour{value.rgbRed, value.rgbGreen, value.rgbBlue};
}

// A 24-bit picture of one colour.
inline Bitmap MakeSolid24(int width, int height, int red, int green, int blue) {
    Bitmap image = AdoptBitmap(FreeImage_Allocate(width, height, 24));
    RGBQUAD colour{static_cast<BYTE>(blue), static_cast<BYTE>(green), static_cast<BYTE>(red), 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) FreeImage_SetPixelColor(image.get(), x, y, &colour);
    }
    return image;
}

// A 24-bit picture whose left half is black and right half white.
inline Bitmap MakeHalves24(int width, int height) {
    Bitmap image = MakeSolid24(width, height, 0, 0, 0);
    RGBQUAD white{255, 255, 255, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2; x < width; ++x) FreeImage_SetPixelColor(image.get(), x, y, &white);
    }
    return image;
}

// Sets `project` up the way a run does before its first file: JPEG output at
// quality 95 without chroma subsampling, automatic bit depth, counters at 1,
// written into `outputFolder` (created here, ends with "/").
inline void PrepareJpegOutput(FileContext& project, const std::string& outputFolder) {
    project.OutputFolder = outputFolder;
    std::filesystem::create_directories(project.OutputFolder);
    project.OutputExtension = "jpg";
    project.OutputFormatId = FIF_JPEG;
    project.SaveFlags = 95 | JPEG_SUBSAMPLING_444;
    project.AutoBitDepth = 1;
    project.FileCounter = 1;
    project.RandomNumber = 1;
}

}  // namespace orvex::test
