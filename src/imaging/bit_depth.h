// Chain step: bringing the picture to the depth the output format is written in.
#pragma once

#include <FreeImage.h>

#include <string_view>

#include "formats/bitmap.h"

namespace orvex {

struct FileContext;

// The picture converted to `depth` bits per pixel for the writer of
// `extension` (8 bits means greyscale for the JPEG family and a 256-colour
// palette otherwise; 16 bits is 555 for ico and tga, 565 otherwise). A picture
// already at that depth is returned as it is; an unknown depth gives null.
Bitmap ConvertToOutputDepth(Bitmap image, int depth, std::string_view extension);

// With AutoBitDepth set, first chooses OutputBitDepth for this file from the
// output format's depths and SourceBitDepth; then converts to OutputBitDepth.
Bitmap ApplyOutputBitDepth(Bitmap image, FileContext& file);

}  // namespace orvex
