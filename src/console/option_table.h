// The long options of the console, taken from the one option table: each
// names the settings field it writes, how its value is read, the step it
// switches on and the key a profile file knows it by.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/option_fields.h"

namespace orvex {

// Every long option in table order.
const std::vector<LongOption>& LongOptionTable();

// The row whose command-line name equals `upperName`, or nullptr.
const LongOption* FindCommandLineOption(std::string_view upperName);

// The row a profile key names (already upper-cased), or nullptr.
const LongOption* FindProfileOption(std::string_view upperKey);

// Whether `value` is one the row's kind can read whole: a word of its
// family, a whole number (decimal, "$" hexadecimal or "%" binary) that fits
// its field, a decimal number (or Infinity / NaN, which the range checks
// refuse later), six hexadecimal digits for a colour. Text and flags take
// anything. Ranges are not looked at here.
bool IsReadableValue(const LongOption& option, std::string_view value);

// "Invalid value for <name>: <value> (accepted: <what the option accepts>)",
// with control characters of the name and value shown escaped.
std::string InvalidValueMessage(std::string_view name, std::string_view value,
                                const LongOption& option);

// Converts `value` by the row's kind and stores it, then switches the row's
// step on. Values are not range-tested here.
void ApplyLongOption(const LongOption& option, std::string_view value,
                     ConversionSettings& settings);

}  // namespace orvex
