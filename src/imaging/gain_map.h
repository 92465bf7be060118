// The gain map of a picture: how much brighter than the tone-mapped picture
// (the base) an HDR screen may show each area, so that the JPEG keeps the
// scene's highlights.
//
// The HDR rendition the map leads to is the base itself, brightened above the
// scene's log-average luminance: a pixel of scene luminance Y (relative to
// the log-average) is shown 2^(H x s) times as bright as
// in the base, where
//
//   s = 0                       for Y <= 1 (at or below the log-average)
//   s = (ln Y / ln Ymax)^2      above it, reaching 1 at the brightest pixel
//                               (Ymax: the brightest pixel's Y)
//   H = min(headroom, scene range - base range)   (stops, never below 0)
//
// The scene range is log2 Ymax; the base range is how many stops the Drago
// curve leaves between the log-average and the brightest pixel once the
// picture is shown (decoded with the sRGB curve). So the rendition grows with
// the scene's luminance (the base does, and so does s), leaves everything up
// to the log-average as it is, and gives back to the highlights what the
// curve took from them, never more than the scene had and never more than
// the headroom. The square keeps the lift small just above the log-average
// and spends it on the highlights; with the map stored at gamma 0.5 (see
// MakeGainMap) its levels then follow ln Y evenly, so a picture's grain
// costs the map's JPEG no more than it must. Simply mapping the scene to a white of 2^headroom with
// the same curve would brighten the shadows and midtones too.
#pragma once

#include <FreeImage.h>

#include <memory>
#include <string>
#include <vector>

#include "formats/bitmap.h"
#include "formats/gain_map_container.h"
#include "imaging/drago_operator.h"

namespace orvex {

// What the user asks of a gain map.
struct GainMapControls {
    double headroom = 3;  // stops the brightest pixels may reach, 1 to 6
    int scale = 1;        // the map is 1/scale of the picture each way: 1, 2 or 4
    int quality = 85;     // the map's JPEG quality
};

// The boost plane is one large block (a float a pixel at full scale).
struct BoostPlaneDeleter {
    void operator()(float* plane) const noexcept;
};

// What a gain map is made from, measured on the HDR picture just before it is
// tone mapped and kept while the chain finishes the base: the rendition's
// boost over the base per map pixel. Lean on purpose: one float for each map
// pixel, not the HDR picture.
struct GainMapSource {
    GainMapControls controls;
    unsigned width = 0, height = 0;        // the picture's
    unsigned mapWidth = 0, mapHeight = 0;  // the map's: the picture's / scale, rounded up
    // H above: the stops the brightest pixels are lifted by; 0 when the
    // scene has no highlights the base has not shown already.
    double headroom = 0;
    // Per map pixel (rows as the picture's scanlines): log2 of the boost,
    // the mean over the pixels the map pixel covers; 0 where nothing is
    // lifted. Every value is written once, by the row's own task, so a large
    // map is never cleared on one core first. Empty when nothing is lifted.
    std::unique_ptr<float[], BoostPlaneDeleter> boost;
};

// The scene-side numbers of the rendition for `hdr` (a 96-bit RGBF picture)
// mapped with `controls` and the statistics `statistics`: the boost of every
// map pixel, with the picture mirrored as the flip step will mirror the base
// (`flipHorizontal`, `flipVertical`). Pixels that are not finite or not
// positive are not lifted. Null when memory runs out or the picture is not
// RGBF.
std::shared_ptr<GainMapSource> MeasureGainMapSource(FIBITMAP* hdr,
                                                    const DragoStatistics& statistics,
                                                    const DragoControls& controls,
                                                    const GainMapControls& wanted,
                                                    bool flipHorizontal, bool flipVertical);

// The stops between the log-average and the brightest pixel as the base shows
// them (Drago curve with `controls`, then the sRGB curve); the H above is
// min(headroom, log2 Ymax - this).
double BaseRangeStops(const DragoStatistics& statistics, const DragoControls& controls);

// Drawn graphics never glow: every pixel where `after` differs from `before`
// (the picture before and after a frame or watermark was drawn; the same
// size, any standard depth) keeps the base's brightness.
bool MarkCoveredPixels(GainMapSource& source, FIBITMAP* before, FIBITMAP* after);

// The map of `source` over the final picture `base` (24-bit, or 8-bit grey or
// palette, the size `source` was measured at): per map pixel the log2 of
// (Y_hdr + offset) / (Y_sdr + offset), Y_sdr the base's luminance in linear
// light and Y_hdr the rendition's, normalised into bytes by the metadata's
// range. A one-channel 8-bit picture; null with `reason` when the base does
// not fit the source or memory runs out, or when no pixel is lifted (then
// `reason` says so and the caller writes the base alone).
Bitmap MakeGainMap(const GainMapSource& source, FIBITMAP* base, GainMapMetadata* metadata,
                   std::string* reason);

// The reason MakeGainMap gives for a scene without highlights.
inline constexpr const char* kNoHighlightsReason =
    "no gain map: the picture has no highlights above what the base shows";

}  // namespace orvex
