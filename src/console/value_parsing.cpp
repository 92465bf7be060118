// Locale-independent parsing of option values.
#include "console/value_parsing.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

std::string_view StripQuotes(std::string_view text) {
    while (!text.empty() && text.front() == '"') text.remove_prefix(1);
    while (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return text;
}

namespace {

// Integer, "$" hex or "%" binary, clamped to the range of Integer.
template <typename Integer>
Integer ParseClampedNumber(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    } else if (at < text.size() && text[at] == '%') {
        base = 2;
        ++at;
    }
    // Accumulate with a ceiling just above the target range, so that any
    // number of digits is read without overflow and then clamped.
    constexpr uint64_t kCeiling = uint64_t{static_cast<uint64_t>(std::numeric_limits<Integer>::max())} + 1;
    uint64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        int digit = DigitValue(text[at], base);
        if (digit < 0) break;
        const auto step = static_cast<uint64_t>(base);
        const auto add = static_cast<uint64_t>(digit);
        // Past the range the value stays at the ceiling, without overflowing.
        magnitude = magnitude > (kCeiling - add) / step ? kCeiling : magnitude * step + add;
    }
    if (negative) {
        return magnitude >= kCeiling ? std::numeric_limits<Integer>::min()
                                     : static_cast<Integer>(-static_cast<Integer>(magnitude));
    }
    return magnitude >= kCeiling ? std::numeric_limits<Integer>::max()
                                 : static_cast<Integer>(magnitude);
}

}  // namespace

int32_t ParseNumberValue(std::string_view text) { return ParseClampedNumber<int32_t>(text); }

int64_t ParseWideNumberValue(std::string_view text) { return ParseClampedNumber<int64_t>(text); }

int8_t NarrowToInt8(int32_t value) {
    if (value > std::numeric_limits<int8_t>::max()) return std::numeric_limits<int8_t>::max();
    if (value < std::numeric_limits<int8_t>::min()) return std::numeric_limits<int8_t>::min();
    return static_cast<int8_t>(value);
}

float ParseRealValue(std::string_view text) {
    std::string_view trimmed = Trim(text, kSpacesAndTabs);
    std::string upper = ToUpperAscii(trimmed);
    if (upper == "+INFINITY" || upper == "INFINITY") return std::numeric_limits<float>::infinity();
    if (upper == "-INFINITY") return -std::numeric_limits<float>::infinity();
    if (upper == "NAN") return std::numeric_limits<float>::quiet_NaN();

    // from_chars neither accepts a leading "+" nor looks at the locale.
    std::string_view number = trimmed;
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
        if (!number.empty() && (number.front() == '+' || number.front() == '-')) return 0.0f;
    }
    // Only plain decimal digits may start the number here: the words were
    // handled above, and "inf"/"nan" prefixes of other text are not numbers.
    if (number.empty() ||
        !(std::isdigit(static_cast<unsigned char>(number.front())) || number.front() == '.')) {
        return 0.0f;
    }
    float value = 0.0f;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large becomes infinity. Tell them
        // apart by the exponent's sign.
        std::string_view rest = number;
        size_t e = rest.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-';
        value = tiny ? 0.0f : std::numeric_limits<float>::infinity();
    } else if (error != std::errc{}) {
        value = 0.0f;
    }
    return negative ? -value : value;
}

}  // namespace orvex
