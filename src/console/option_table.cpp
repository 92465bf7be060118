// The long options taken from the option table, and the conversion of their values.
#include "console/option_table.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <unordered_map>

#include "console/file_report.h"
#include "console/value_parsing.h"
#include "settings/keywords.h"
#include "settings/setting_ranges.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

const std::vector<LongOption>& Rows() {
    static const std::vector<LongOption> rows = [] {
        std::vector<LongOption> options;
        for (const OptionField& row : OptionFieldTable()) {
            if (row.option) options.push_back(*row.option);
        }
        return options;
    }();
    return rows;
}

using Index = std::unordered_map<std::string_view, const LongOption*>;

const Index& CommandLineIndex() {
    static const Index index = [] {
        Index built;
        for (const LongOption& row : Rows()) built.emplace(row.name, &row);
        return built;
    }();
    return index;
}

const Index& ProfileIndex() {
    static const Index index = [] {
        Index built;
        for (const LongOption& row : Rows())
            built.emplace(row.profileKey != nullptr ? row.profileKey : row.name, &row);
        return built;
    }();
    return index;
}

const LongOption* Lookup(const Index& index, std::string_view key) {
    auto found = index.find(key);
    return found == index.end() ? nullptr : found->second;
}

// Stores an integer into whichever integer field the row names.
void StoreInteger(const SettingMember& field, int32_t value, ConversionSettings& settings) {
    if (auto wide = std::get_if<int32_t ConversionSettings::*>(&field))
        settings.*(*wide) = value;
    else if (auto narrow = std::get_if<int8_t ConversionSettings::*>(&field))
        settings.*(*narrow) = NarrowToInt8(value);
}

int DigitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Blanks around, an optional sign, "$" or "%", then at least one digit of
// the base and nothing else.
bool IsWholeNumberText(std::string_view text) {
    text = Trim(text, kSpacesAndTabs);
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    int base = 10;
    if (at < text.size() && (text[at] == '$' || text[at] == '%')) {
        base = text[at] == '$' ? 16 : 2;
        ++at;
    }
    if (at == text.size()) return false;
    for (; at < text.size(); ++at) {
        if (DigitOf(text[at]) >= base) return false;
    }
    return true;
}

// The number fits the integer field it is stored in (dates are 64-bit).
bool FitsField(const SettingMember& field, std::string_view text) {
    if (std::holds_alternative<int64_t ConversionSettings::*>(field)) return true;
    const int64_t value = ParseWideNumberValue(text);
    if (std::holds_alternative<int8_t ConversionSettings::*>(field))
        return value >= std::numeric_limits<int8_t>::min() &&
               value <= std::numeric_limits<int8_t>::max();
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

bool IsDecimalText(std::string_view text) {
    text = Trim(text, kSpacesAndTabs);
    const std::string upper = ToUpperAscii(text);
    for (const char* word : {"+INFINITY", "-INFINITY", "INFINITY", "NAN"}) {
        if (upper == word) return true;
    }
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) ||
                          text.front() == '.'))
        return false;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                        std::chars_format::general);
    // Too large or too small still reads (as infinity or 0); leftovers do not.
    return (error == std::errc{} || error == std::errc::result_out_of_range) &&
           end == text.data() + text.size();
}

bool IsColourText(std::string_view text) {
    if (text.size() != 6) return false;
    for (char c : text) {
        if (DigitOf(c) >= 16) return false;
    }
    return true;
}

}  // namespace

const std::vector<LongOption>& LongOptionTable() { return Rows(); }

std::string InvalidValueMessage(std::string_view name, std::string_view value,
                                const LongOption& option) {
    std::string message = "Invalid value for " + PrintablePath(std::string(name)) + ": " +
                          PrintablePath(std::string(value));
    if (const OptionField* row = FindOptionField(option.field))
        message += " (accepted: " + AcceptedValuesText(*row) + ")";
    return message;
}

bool IsReadableValue(const LongOption& option, std::string_view value) {
    switch (option.kind) {
        case OptionKind::Number:
            return IsWholeNumberText(value) && FitsField(option.field, value);
        case OptionKind::Real:
            return IsDecimalText(value);
        case OptionKind::Keyword:
            return IsKeyword(option.family, Trim(value, kSpacesAndTabs));
        case OptionKind::Text:
            return !option.colour || IsColourText(value);
        case OptionKind::Flag:
            return true;
    }
    return true;
}

const LongOption* FindCommandLineOption(std::string_view upperName) {
    return Lookup(CommandLineIndex(), upperName);
}

const LongOption* FindProfileOption(std::string_view upperKey) {
    return Lookup(ProfileIndex(), upperKey);
}

void ApplyLongOption(const LongOption& option, std::string_view value,
                     ConversionSettings& settings) {
    switch (option.kind) {
        case OptionKind::Number:
            if (auto wide = std::get_if<int64_t ConversionSettings::*>(&option.field))
                settings.*(*wide) = ParseWideNumberValue(value);
            else
                StoreInteger(option.field, ParseNumberValue(value), settings);
            break;
        case OptionKind::Real:
            if (auto real = std::get_if<float ConversionSettings::*>(&option.field))
                settings.*(*real) = ParseRealValue(value);
            break;
        case OptionKind::Keyword:
            StoreInteger(option.field, ParseKeyword(option.family, Trim(value, kSpacesAndTabs)),
                         settings);
            break;
        case OptionKind::Text:
            if (auto text = std::get_if<std::string ConversionSettings::*>(&option.field))
                settings.*(*text) = std::string(value);
            break;
        case OptionKind::Flag:
            StoreInteger(option.field, option.flagValue, settings);
            break;
    }
    if (option.switchOn != nullptr) settings.*(option.switchOn) = option.switchValue;
}

}  // namespace orvex
