// Conversion of console option values: integers (decimal, "$" hexadecimal,
// "%" binary), reals read with "." whatever the locale, and text trimming.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex {

// Leading spaces and tabs are skipped, then an optional "+" or "-", then the
// digits up to the first other character; "$" before the digits reads them
// as hexadecimal, "%" as binary. No digits gives 0. Values beyond the int32
// range are clamped to it.
int32_t ParseNumberValue(std::string_view text);
// The same for 64-bit fields (dates).
int64_t ParseWideNumberValue(std::string_view text);

// int32 to int8 for the fields that are int8, clamped to -128..127.
int8_t NarrowToInt8(int32_t value);

// "+Infinity", "-Infinity" and "NaN" in any letter case; otherwise the
// longest decimal number at the start (after spaces and tabs), with "." as
// the decimal point. Unreadable text gives 0; a number too large for a
// float gives infinity of its sign.
float ParseRealValue(std::string_view text);

// `text` without double quotes at both ends.
std::string_view StripQuotes(std::string_view text);

}  // namespace orvex
