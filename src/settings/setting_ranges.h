// The range rule a run applies to the settings before any work, whichever
// face prepared them (command line, profile or "config.ini"), and the words
// that tell a user what an option accepts.
#pragma once

#include <optional>
#include <string>

#include "settings/option_fields.h"

namespace orvex {

// A setting whose value lies outside the range its row refuses.
struct RangeFault {
    const OptionField* row = nullptr;
    double value = 0;
};

// The first setting in table order outside a range marked RangeUse::BeforeRun,
// whether or not its step is on (a value no control can produce is a mistake
// wherever it stands); nothing when every value is acceptable. Ranges with
// their own check (the qualities, brightness, contrast, gamma) are left to it.
std::optional<RangeFault> CheckSettingRanges(const ConversionSettings& settings);

// The name a user knows the row's setting by: its long option in lower case
// ("--rotation"), or its "config.ini" key when it has no option.
std::string SettingName(const OptionField& row);

// What the row accepts, in words: "a whole number from 0 to 360", "a decimal
// number from 0.01 to 9.99", "one of BOX, BILINEAR, ...", "six hexadecimal
// digits RRGGBB", "a whole number".
std::string AcceptedValuesText(const OptionField& row);

// A number as a user wrote it: whole numbers without decimals, others with
// as many as they need.
std::string FormatSettingNumber(double value);

}  // namespace orvex
