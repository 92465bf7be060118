// Drago's adaptive logarithmic tone mapping: a high-dynamic-range picture down
// to a 24-bit one, in two passes over the picture, rows on all cores.
#pragma once

#include <FreeImage.h>

#include <optional>

#include "formats/bitmap.h"

namespace orvex {

// What the Drago curve scales a picture by: its largest luminance and the
// exponential of its mean log luminance. Measured from the picture itself
// unless given, so that several pictures can share one set.
struct DragoStatistics {
    float largestLuminance = 0;
    float logAverageLuminance = 0;
};

// The operator's controls. The defaults are the chain's plain mapping.
struct DragoControls {
    double gamma = 1.0;     // > 0, 1 for none
    double exposure = 0.0;  // stops
    // The bias of the curve, more than 0 and at most 1: lower values lift
    // the shadows, higher ones keep more contrast.
    double bias = 0.85;
    // How far each colour stands from its luminance after the mapping, in
    // linear light before the gamma curve: 0 grey, 1 as mapped, 2 twice.
    double saturation = 1.0;
    std::optional<DragoStatistics> statistics;  // measured when empty
};

// The statistics DragoToneMap would measure on `source` (a picture it can
// map); empty for pictures it cannot map and when memory runs out.
std::optional<DragoStatistics> MeasureDragoStatistics(FIBITMAP* source);

// Maps a colour picture deeper than 32 bits (96- or 128-bit floating point,
// 48- or 64-bit integer) to a new 24-bit picture; `source` is left as it is.
// The gamma is applied after the mapping with a linear toe, the saturation
// just before it. The luminance is
// scaled by the largest luminance and the log-average, as the Drago curve
// asks; a picture without any light (largest luminance 0) becomes black. Pixels up
// to float's largest values keep their colour; a pixel with a channel that is
// not a finite number is black and does not count in the statistics. Returns
// null for other pictures, for controls outside their ranges (gamma not
// above 0, bias outside (0, 1], a negative saturation, anything not finite)
// and when memory runs out. The result's memory comes
// from `pixels` when given.
Bitmap DragoToneMap(FIBITMAP* source, const DragoControls& controls,
                    const std::shared_ptr<PixelPool>& pixels = nullptr);

}  // namespace orvex
