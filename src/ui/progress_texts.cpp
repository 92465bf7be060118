// Remaining time and file-label shortening for the progress dialog.
#include "ui/progress_texts.h"

#include <vector>

namespace orvex {

namespace {

std::string TwoDigits(int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// Byte offsets where each UTF-8 character begins, plus the end.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
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

int32_t MaxLabelChars(int32_t labelWidth, int32_t charWidth) {
    return charWidth > 0 ? labelWidth / charWidth : labelWidth;
}

std::string ShortenFileLabel(const std::string& text, int32_t charWidth, int32_t labelWidth) {
    if (charWidth <= 0) charWidth = 1;
    std::vector<size_t> starts = CharacterStarts(text);
    const int64_t length = static_cast<int64_t>(starts.size()) - 1;
    const int32_t maxChars = MaxLabelChars(labelWidth, charWidth);
    if (static_cast<int64_t>(charWidth) * length <= labelWidth || length <= maxChars) return text;
    int64_t keep = (maxChars - 3) / 2;
    if (keep < 0) keep = 0;
    std::string head = text.substr(0, starts[static_cast<size_t>(keep)]);
    std::string tail = text.substr(starts[static_cast<size_t>(length - keep)]);
    return head + "..." + tail;
}

int64_t RemainingMillis(int64_t lastFileMillis, int32_t total, int32_t shown) {
    if (lastFileMillis <= 0) return 0;
    return lastFileMillis * (static_cast<int64_t>(total) - shown + 1);
}

}  // namespace orvex
