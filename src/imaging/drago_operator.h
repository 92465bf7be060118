// Drago's adaptive logarithmic tone mapping: a high-dynamic-range picture down
// to a 24-bit one, in two passes over the picture, rows on all cores.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

// Maps a colour picture deeper than 32 bits (96- or 128-bit floating point,
// 48- or 64-bit integer) to a new 24-bit picture; `source` is left as it is.
// `gamma` (> 0, 1 for none) is applied after the mapping with a linear toe,
// `exposure` is in stops (0 for none). The luminance is scaled by the
// picture's largest luminance and its log-average, as the Drago curve asks;
// a picture without any light (largest luminance 0) becomes black. Pixels up
// to float's largest values keep their colour; a pixel with a channel that is
// not a finite number is black and does not count in the statistics. Returns
// null for other pictures and when memory runs out. The result's memory comes
// from `pixels` when given.
Bitmap DragoToneMap(FIBITMAP* source, double gamma, double exposure,
                    const std::shared_ptr<PixelPool>& pixels = nullptr);

}  // namespace orvex
