// Mirroring in place:
//
//   AB   horizontal   BA        AB   vertical   CD
//   CD  ------------> DC        CD  ----------> AB
#include "imaging/flip.h"

#include "settings/conversion_settings.h"

namespace orvex {

void FlipImage(FIBITMAP* image, const ConversionSettings& settings) {
    if (!image) return;
    if (settings.DoImageFlipHorizontal != 0) FreeImage_FlipHorizontal(image);
    if (settings.DoImageFlipVertical != 0) FreeImage_FlipVertical(image);
}

}  // namespace orvex
