// The range rule both faces apply before a run, and the words for what an
// option accepts; the ranges themselves are data of the option table.
#include "settings/setting_ranges.h"

#include <charconv>
#include <cmath>
#include <variant>

#include "settings/keywords.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

bool IsWholeNumberField(const SettingMember& member) {
    return !std::holds_alternative<float ConversionSettings::*>(member);
}

}  // namespace

std::optional<RangeFault> CheckSettingRanges(const ConversionSettings& settings) {
    for (const OptionField& row : OptionFieldTable()) {
        if (!row.range || row.range->use != RangeUse::BeforeRun) continue;
        const double value = FieldNumber(settings, row.config.member);
        if (!row.range->Contains(value)) return RangeFault{&row, value};
    }
    return std::nullopt;
}

std::string SettingName(const OptionField& row) {
    if (row.option && row.option->name != nullptr) return ToLowerAscii(row.option->name);
    return row.config.key != nullptr ? row.config.key : "";
}

std::string FormatSettingNumber(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    // The only fractional settings are floats: their shortest form reads as typed (0.01).
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    if (error != std::errc{}) return "?";
    return std::string(buffer, end);
}

std::string AcceptedValuesText(const OptionField& row) {
    if (row.option && row.option->kind == OptionKind::Keyword) {
        std::string text = "one of";
        const char* separator = " ";
        for (const std::string& word : KeywordWords(row.option->family)) {
            text += separator + word;
            separator = ", ";
        }
        return text;
    }
    if (row.option && row.option->colour) return "six hexadecimal digits RRGGBB";
    const bool whole = IsWholeNumberField(row.config.member);
    std::string text = whole ? "a whole number" : "a decimal number";
    if (row.range) {
        text += " from " + FormatSettingNumber(row.range->minimum) + " to " +
                FormatSettingNumber(row.range->maximum);
    }
    return text;
}

}  // namespace orvex
