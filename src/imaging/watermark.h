// Chain step: the text or image watermark, placed and composited over the picture.
#pragma once

#include <FreeImage.h>

namespace orvex {

struct ConversionSettings;
struct FileContext;
class WatermarkFont;

// Returns the picture to continue with: unchanged for DoWatermark 0,
// otherwise 24-bit with the overlay of the chosen kind when one could be
// made. W x H is the size after resizing; `font` is the batch's loaded
// WatermarkFont (nullptr when none).
FIBITMAP* DrawWatermark(FIBITMAP* image, int width, int height, const ConversionSettings& settings,
                        const FileContext& file, const WatermarkFont* font);

}  // namespace orvex
