// A preview of one input file through the whole chain: the picture is
// decoded once into a reduced copy, and each render takes that copy through
// the chain with the settings it is given, sizes in pixels (resize target,
// frame bands, text, offsets) shrunk by the same factor, so the result looks
// like the file Convert would save, scaled down. A full-size render takes the
// file itself through the chain and gives exactly the picture Convert saves.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/bitmap.h"
#include "run/run_checks.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace orvex {

class RunResources;

// The decoded input, reduced by a whole factor so that its longer side is at
// most the size asked for (kept as it is when it is already that small).
struct PreviewSource {
    std::string path;
    Bitmap reduced;     // the loaded picture's type, box-averaged
    int fullWidth = 0;  // the loaded picture's size
    int fullHeight = 0;
    int factor = 1;  // full size / reduced size
    int32_t sourceBitDepth = 0;
    // The luminance of the full picture (Y of linear RGB), over its pixels
    // with finite channels; 0 and 0 for pictures without colour channels.
    float lowestLuminance = 0;
    float highestLuminance = 0;
};

// Decodes `path` once and reduces it so that its longer side is at most
// `longestSide` pixels. Fails with the loader's reason.
Result<std::shared_ptr<const PreviewSource>> LoadPreviewSource(const std::string& path,
                                                               int longestSide);

// A picture as the interface draws it: top row first, 0xFFRRGGBB per pixel.
struct PreviewPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// Any 8- to 32-bit picture the chain gives, as pixels.
PreviewPixels PixelsOf(FIBITMAP* image);

// The settings that give, on a copy reduced by `factor` of a picture whose
// size after rotation is rotatedWidth x rotatedHeight, the picture Convert
// would save shrunk by the same factor. `outputWidth` and `outputHeight`
// receive the size Convert's picture would have. Factor 1 changes nothing.
ConversionSettings ReducedSettings(const ConversionSettings& settings, int factor, int rotatedWidth,
                                   int rotatedHeight, int* outputWidth, int* outputHeight);

// What a render gives.
struct PreviewResult {
    PreviewPixels picture;  // through the chain
    int outputWidth = 0;    // the size of the picture Convert would save
    int outputHeight = 0;
};

// Says whether the render should go on; asked after every step.
using PreviewGoOn = std::function<bool()>;

// `source` through the chain with `settings`, its file context `file` (the
// run's: output format, depth and numbers) and the run's `resources`. A
// render that is told to stop fails with the stop reason.
Result<PreviewResult> RenderPreview(const PreviewSource& source, const ConversionSettings& settings,
                                    FileContext file, RunResources& resources,
                                    const PreviewGoOn& goOn = {});

// The input file itself through the chain: exactly the picture Convert
// saves, at its full size.
Result<PreviewResult> RenderFullSize(const std::string& path, const ConversionSettings& settings,
                                     FileContext file, RunResources& resources,
                                     const PreviewGoOn& goOn = {});

// The reduced copy as it is, before any step: linear light times 2^exposure,
// clipped to 0..1 and written as bytes.
PreviewPixels BeforePixels(const PreviewSource& source, double exposureStops);

}  // namespace orvex
