// The program's own decoder of Radiance pixel data: flat, old-style and
// new-style run-length scanlines into a 96-bit floating-point picture.
#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/bitmap.h"
#include "formats/radiance_header.h"

namespace orvex {

// Decodes the scanlines that follow a checked header. `data` holds the
// file's bytes from header.dataOffset on (`size` of them); bytes after the
// last scanline are ignored. The result is a FIT_RGBF picture the right way up
// for the header's orientation, each channel mantissa x 2^(exponent - 136)
// (0 where the exponent is 0). A scanline that is cut short, runs past its
// width or holds a bad packet fails the whole picture: null and a reason.
// The picture's memory comes from `pixels` when given.
Bitmap DecodeRadiancePixels(const unsigned char* data, size_t size, const RadianceHeader& header,
                            std::string* reason, const std::shared_ptr<PixelPool>& pixels = nullptr);

// Reads the pixel data of the open file `fd` (of `fileSize` bytes) after the
// checked `header` and decodes it as above.
Bitmap DecodeRadianceFile(int fd, uint64_t fileSize, const RadianceHeader& header,
                          std::string* reason, const std::shared_ptr<PixelPool>& pixels = nullptr);

// A reduced decode of a picture stored row by row from the top left (the
// usual "-Y N +X M"): each factor x factor block becomes one pixel, the mean
// of its pixels (the last partial blocks are left out), without the whole
// picture ever being held; the lowest and highest luminance (Y of linear
// RGB) are taken over every pixel. Null without a reason for pictures this
// cannot reduce (other orientations, old-style run-lengths, a factor larger
// than the picture): decode those whole.
Bitmap DecodeRadianceFileReduced(int fd, uint64_t fileSize, const RadianceHeader& header,
                                 uint32_t factor, float* lowestLuminance, float* highestLuminance,
                                 std::string* reason);

}  // namespace orvex
