// Test helpers: Radiance files written from float pixels, either by FreeImage
// or by hand (any header text, flat or run-length scanlines, any of the eight
// orientations). Temporary folders and whole-file reads come with it.
//
// Typical use:
//   ScopedTempFolder folder("mytest");
//   WriteHdr(folder.File("a.hdr"), 30, 20, [](int x, int y) { return Rgb{x / 30.f, y / 20.f, 0};
//   }); WriteRawHdr(folder.File("bad.hdr"), "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 9 +X -4\n");
#pragma once

#include <FreeImage.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_folder.h"

namespace orvex::test_support {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline bool operator==(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The colour of pixel (x, y) of the picture as seen: x from the left edge,
// y from the top edge.
using PixelFunction = std::function<Rgb(int x, int y)>;

// The axis words of the eight Radiance resolution strings, the standard one
// first. The first axis is the one the scanlines step along.
inline const std::vector<std::string> kHdrOrientations = {"-Y +X", "-Y -X", "+Y -X", "+Y +X",
                                                          "+X -Y", "+X +Y", "-X +Y", "-X -Y"};

enum class ScanlineEncoding {
    kFlat,       // 4 bytes a pixel
    kRunLength,  // new-style run-length scanlines; flat where the length is below 8 or above 32767
};

struct HdrLayout {
    std::string orientation = "-Y +X";  // one of kHdrOrientations
    ScanlineEncoding encoding = ScanlineEncoding::kFlat;
    std::string lineEnd = "\n";           // used for every header line, e.g. "\r\n"
    std::vector<std::string> extraLines;  // header lines written after the FORMAT line
};

// "-Y 20 +X 30" for orientation "-Y +X" and a 30 x 20 picture.
std::string ResolutionString(std::string_view orientation, int width, int height);

// "#?RADIANCE", "FORMAT=32-bit_rle_rgbe", the extra lines, an empty line and
// the resolution string, each ended with layout.lineEnd.
std::string HdrHeaderText(int width, int height, const HdrLayout& layout = {});

// One pixel in the file's 4-byte form (shared exponent). Small integers and
// powers of two come back exactly.
std::string EncodeRgbe(Rgb colour);

// The scanlines of a width x height picture, laid out as the orientation
// demands and encoded as the layout says.
std::string HdrPixelData(int width, int height, const PixelFunction& pixel,
                         const HdrLayout& layout = {});

// Writes headerText followed by bytes, exactly as given.
bool WriteRawHdr(const std::string& path, const std::string& headerText,
                 const std::string& bytes = "");

// Header and pixel data as above, in one file.
bool WriteHdr(const std::string& path, int width, int height, const PixelFunction& pixel,
              const HdrLayout& layout = {});

// Lets FreeImage's own Radiance writer save the picture (standard orientation,
// run-length scanlines).
bool WriteHdrWithFreeImage(const std::string& path, int width, int height,
                           const PixelFunction& pixel);

// A FIT_RGBF picture of the given size filled from `pixel` (caller unloads).
FIBITMAP* MakeRgbfPicture(int width, int height, const PixelFunction& pixel);

// Pixel (x, y) of a FIT_RGBF bitmap, y from the top.
Rgb PixelAt(FIBITMAP* image, int x, int y);

}  // namespace orvex::test_support
