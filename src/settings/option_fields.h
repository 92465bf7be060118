// Every setting declared once: its field, its "config.ini" entry, its long
// option (and the profile key where it differs), its keyword family, its
// range, the label the debug report shows it under, and the caption and page
// the preferences dialog shows it on. The configuration file, the command
// line, profiles, the report and the checks all read this one table.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/setting_fields.h"

namespace orvex {

// How a long option's value is read.
enum class OptionKind {
    Number,   // integer, "$" hex and "%" binary accepted
    Real,     // float with "." as decimal point
    Keyword,  // a word of a keyword family
    Text,     // stored as given
    Flag,     // stores a constant; the value is ignored
};

using Int8Field = int8_t ConversionSettings::*;

// A long option of the console, as its row of the table gives it.
struct LongOption {
    const char* name = nullptr;        // upper case, with the leading "--"
    const char* profileKey = nullptr;  // key in a profile's group "CLI" when not `name`
    OptionKind kind = OptionKind::Number;
    SettingMember field{};
    int family = -1;               // keyword family of a Keyword option
    int8_t flagValue = 0;          // the constant a Flag option stores
    Int8Field switchOn = nullptr;  // the step the option switches on, if any
    int8_t switchValue = 1;        // what it stores there
    // How a profile treats a Text value: trimmed with its quotes kept, or
    // (the file-name mask) unquoted with its spaces kept.
    bool profileUnquotes = false;
};

// The pages of the preferences dialog, in the order of its page tree.
enum class PreferencesPage {
    None = -1,
    General,
    Interface,
    Input,
    Output,
    Transform,
    Adjustment,
    Frame,
    Watermark,
    Advanced,
};

// The values a setting may take; checks refuse and controls clamp outside it.
struct FieldRange {
    double minimum = 0;
    double maximum = 0;
    bool Contains(double value) const { return value >= minimum && value <= maximum; }
};

struct OptionField {
    SettingField config;               // the "config.ini" entry
    std::optional<LongOption> option;  // the console's long option, when it has one
    int family = -1;                   // keyword family naming its values
    std::optional<FieldRange> range;
    const char* reportLabel = nullptr;  // "JPG Quality: "
    const char* caption = nullptr;      // text key of group "Preferences"
    PreferencesPage page = PreferencesPage::None;
};

// The rows in "config.ini" order.
const std::vector<OptionField>& OptionFieldTable();

// The row of a field, or nullptr.
const OptionField* FindOptionField(const SettingMember& member);

// The range of a field; a field without one accepts anything.
bool IsInRange(const SettingMember& member, double value);

}  // namespace orvex
