// Chain step: the text or image watermark, placed and composited over the picture.
#pragma once

#include <FreeImage.h>

#include <string>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class WatermarkFont;

// Returns the picture to continue with: unchanged for DoWatermark 0,
// otherwise 24-bit with the overlay of the chosen kind. W x H is the size
// after resizing; `font` is the batch's loaded WatermarkFont (nullptr when
// none). A watermark that cannot be made (no font, a picture that does not
// decode, a text box over the size limit, no memory) is never left out
// silently: the picture is let go and null returned, with the reason in
// `failureReason`. An overlay placed wholly off the picture leaves it as it is.
Bitmap DrawWatermark(Bitmap image, int width, int height, const ConversionSettings& settings,
                     const FileContext& file, const WatermarkFont* font,
                     std::string* failureReason = nullptr);

}  // namespace orvex
