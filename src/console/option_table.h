// The long options of the console as data: one row per option, naming the
// settings field it writes, how its value is read, the step it switches on
// and the key a profile file knows it by.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/conversion_settings.h"

namespace orvex {

enum class OptionKind {
    Number,   // integer, "$" hex and "%" binary accepted
    Real,     // float with "." as decimal point
    Keyword,  // a word of a keyword family
    Text,     // stored as given
    Flag,     // stores a constant; the value is ignored
};

using Int32Field = int32_t ConversionSettings::*;
using Int8Field = int8_t ConversionSettings::*;
using FloatField = float ConversionSettings::*;
using TextField = std::string ConversionSettings::*;
using SettingsField = std::variant<Int32Field, Int8Field, FloatField, TextField>;

struct LongOption {
    const char* name;                  // upper case, with the leading "--"
    const char* profileKey = nullptr;  // key in a profile's group "CLI" when not `name`
    OptionKind kind;
    SettingsField field;
    int family = -1;               // keyword family of a Keyword option
    int8_t flagValue = 0;          // the constant a Flag option stores
    Int8Field switchOn = nullptr;  // the step the option switches on, if any
    int8_t switchValue = 1;        // what it stores there
    // How a profile treats a Text value: trimmed with its quotes kept, or
    // (the file-name mask) unquoted with its spaces kept.
    bool profileUnquotes = false;
};

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
