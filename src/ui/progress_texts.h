// Texts of the progress dialog that are computed rather than looked up: the
// remaining-time text.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// "hh:mm:ss", preceded by "<days>d:" from one day on; below one second (or
// negative) "00:00:00".
std::string DurationText(int64_t millis);

// The remaining time after the file `shown` of `total` has begun, when the
// previous file took `lastFileMillis`; 0 when nothing is known yet.
int64_t RemainingMillis(int64_t lastFileMillis, int32_t total, int32_t shown);

}  // namespace orvex
