// Texts of the progress dialog that are computed rather than looked up: the
// remaining-time text and the shortened file label.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// "hh:mm:ss", preceded by "<days>d:" from one day on; below one second (or
// negative) "00:00:00".
std::string DurationText(int64_t millis);

// How many characters of the average width fit the label.
int32_t MaxLabelChars(int32_t labelWidth, int32_t charWidth);

// `text` whole when charWidth x its length (in characters, not bytes) fits
// labelWidth; otherwise (maxChars - 3) / 2 characters from each end around
// "...". Multi-byte characters are never cut.
std::string ShortenFileLabel(const std::string& text, int32_t charWidth, int32_t labelWidth);

// The remaining time after the file `shown` of `total` has begun, when the
// previous file took `lastFileMillis`; 0 when nothing is known yet.
int64_t RemainingMillis(int64_t lastFileMillis, int32_t total, int32_t shown);

}  // namespace orvex
