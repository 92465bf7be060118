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

// Converts `value` by the row's kind and stores it, then switches the row's
// step on. Values are not range-tested here.
void ApplyLongOption(const LongOption& option, std::string_view value,
                     ConversionSettings& settings);

}  // namespace orvex
