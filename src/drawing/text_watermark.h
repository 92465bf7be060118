// The text watermark overlay: the watermark text, split into lines at the
// "%eol%" token, laid out in the watermark font on a box of its own colour.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/bitmap.h"
#include "drawing/canvas.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class WatermarkFont;

// The text's lines: split at every "%eol%", whatever its letter case.
std::vector<std::string> SplitWatermarkLines(std::string_view text);

// The measured box of a text. With several lines every line counts at least
// 10 x 10 pixels, the pitch is the tallest line plus the leading, and the
// text is one line height plus a pitch per further line; a single line is
// its own measure. The box adds the padding on every side.
struct TextBlock {
    int64_t textWidth = 0;
    int64_t textHeight = 0;
    int64_t pitch = 0;  // from one line's top to the next line's
    int64_t boxWidth = 0;
    int64_t boxHeight = 0;
};
TextBlock ArrangeTextBlock(const std::vector<TextExtent>& lines, int leading, int padding);

// Where a line of `lineWidth` starts in a box of `boxWidth`: alignment 0 at
// the padding, 1 centred (halves rounded away from zero), 2 against the
// right padding. A single line always starts at the padding.
int64_t LineStart(int64_t boxWidth, int64_t lineWidth, int alignment, int padding, bool multiLine);

// The overlay (32-bit with alpha) for the current file. Null for an
// empty box (nothing to draw; `reason` stays empty) and when none can be
// made (a box beyond the size limit, no canvas; `reason` says which).
Bitmap BuildTextOverlay(const ConversionSettings& settings, const FileContext& file,
                        const WatermarkFont& font, std::string* reason = nullptr);

}  // namespace orvex
