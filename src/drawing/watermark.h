// Chain step: the text or image watermark, placed and composited over the picture.
#pragma once

#include <FreeImage.h>

#include <string>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class WatermarkFont;

// What a run marks its files with: the text watermark's font and the image
// watermark's picture, both made once for the run and only read here (each
// file turns and cuts a copy of the picture).
struct WatermarkSources {
    const WatermarkFont* font = nullptr;
    FIBITMAP* picture = nullptr;  // null: decoded from Image for this file

    WatermarkSources() = default;
    // Implicit: a font alone is all a text watermark needs.
    WatermarkSources(const WatermarkFont* textFont, FIBITMAP* imagePicture = nullptr)
        : font(textFont), picture(imagePicture) {}
};

// Returns the picture to continue with: unchanged for DoWatermark 0,
// otherwise 24-bit with the overlay of the chosen kind. W x H is the size
// after resizing; `sources.font` is the run's loaded WatermarkFont (nullptr
// when none). A watermark that cannot be made (no font, a picture that does not
// decode, a text box over the size limit, no memory) is never left out
// silently: the picture is let go and null returned, with the reason in
// `failureReason`. An overlay placed wholly off the picture leaves it as it is.
Bitmap DrawWatermark(Bitmap image, int width, int height, const ConversionSettings& settings,
                     const FileContext& file, const WatermarkSources& sources,
                     std::string* failureReason = nullptr);

}  // namespace orvex
