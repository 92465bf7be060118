// Remaining time for the progress dialog.
#include "ui/progress_texts.h"

namespace orvex {

namespace {

std::string TwoDigits(int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string DurationText(int64_t millis) {
    if (millis < 1000) return "00:00:00";
    int64_t seconds = millis / 1000;
    int64_t minutes = seconds / 60;
    seconds %= 60;
    int64_t hours = minutes / 60;
    minutes %= 60;
    int64_t days = hours / 24;
    hours %= 24;
    std::string text = TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds);
    if (days >= 1) text = std::to_string(days) + "d:" + text;
    return text;
}

int64_t RemainingMillis(int64_t lastFileMillis, int32_t total, int32_t shown) {
    if (lastFileMillis <= 0) return 0;
    return lastFileMillis * (static_cast<int64_t>(total) - shown + 1);
}

}  // namespace orvex
