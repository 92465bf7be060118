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
    // A Text value that names a colour: exactly six hexadecimal digits RRGGBB.
    bool colour = false;
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

// Who refuses a value outside a field's range.
enum class RangeUse {
    ControlsOnly,  // the dialog's controls keep the value inside; a run does not look
    BeforeRun,     // CheckSettingRanges refuses it before a run, while the field is in use
    OwnCheck,      // a check of its own, with its own error line, refuses it
};

// The values a setting may take; checks refuse and controls clamp outside it.
struct FieldRange {
    double minimum = 0;
    double maximum = 0;
    RangeUse use = RangeUse::ControlsOnly;
    bool Contains(double value) const { return value >= minimum && value <= maximum; }
};

// The kind of control the preferences dialog edits a field with.
enum class ControlKind {
    None,          // not on the dialog
    CheckBox,      // 0 or 1
    Choice,        // drop-down whose entry position is the value
    Slider,        // slider with a number field beside it
    NumberChoice,  // editable drop-down of numbers
    ColourButton,  // a button showing the colour; opens the colour chooser
    ColourChoice,  // drop-down of a colour list plus a "..." chooser button
    TextField,
    FontChoice,    // drop-down of a font list plus a "..." font chooser button
    ImagePath,     // text field plus a "..." file chooser button
    DateTime,      // date and time as "%yyyy/%mm/%dd %hh:%ii"
    DepthChoice,   // "Auto", then the bit depths of the row's writer
    ThemeChoice,   // the themes found; stores the theme id
    FormatChoice,  // the reader groups or writer extensions of this build
    LanguageChoice,
};

// Another field's value that enables (or shows) a control: bit v of `values`
// set means value v of `governor` enables it.
struct ControlRule {
    SettingMember governor{};
    uint32_t values = 0;
    bool hides = false;  // hidden rather than disabled
    bool Allows(int64_t value) const {
        return value >= 0 && value < 32 && ((values >> value) & 1u) != 0;
    }
};

// How the dialog shows a field. A slider's position is value x sliderScale +
// sliderOffset (brightness 0 to 200 for -100 to 100, gamma 1 to 999 for 0.01
// to 9.99); its number field shows the value itself with `decimals` digits.
struct ControlSpec {
    ControlKind kind = ControlKind::None;
    std::vector<const char*> entries;  // Choice: caption keys in value order
    double sliderScale = 1;
    int sliderOffset = 0;
    int decimals = 0;
    const char* presets = nullptr;  // NumberChoice: "," separated entries
    std::optional<SettingMember> list;  // ColourChoice, FontChoice: the "," list field
    // The panel of a page the control sits in: "solid", "text", "image", or
    // a format's sub-panel (then the row's reader group or writer extension).
    const char* panel = nullptr;
    std::optional<ControlRule> rule;
    bool besideLast = false;  // on the previous control's line (size units)
};

// A panel of rows that one choice shows or hides as a whole.
struct PanelSpec {
    const char* name;
    PreferencesPage page;
    ControlRule rule;  // `hides` is implied
};
const std::vector<PanelSpec>& PreferencesPanels();

struct OptionField {
    SettingField config;               // the "config.ini" entry
    std::optional<LongOption> option;  // the console's long option, when it has one
    int family = -1;                   // keyword family naming its values
    std::optional<FieldRange> range;
    const char* reportLabel = nullptr;  // "JPG Quality: "
    // The report shows the row only when its value differs from the default
    // (options added later, so that a run without them prints what it did).
    bool reportOnlyChanged = false;
    const char* caption = nullptr;      // text key of group "Preferences"
    PreferencesPage page = PreferencesPage::None;
    ControlSpec control;
    // The panel it sits in: control.panel, or for a row of the Input and
    // Output pages its format; nullptr for the page itself.
    const char* Panel() const;
};

// The page names in tree order: caption keys of group "Preferences".
const std::vector<const char*>& PreferencesPageCaptions();

// The rows in "config.ini" order.
const std::vector<OptionField>& OptionFieldTable();

// The row of a field, or nullptr.
const OptionField* FindOptionField(const SettingMember& member);

// The value of a numeric field as a number; 0 for a text field.
double FieldNumber(const ConversionSettings& settings, const SettingMember& member);

// Stores `value` into a numeric field, rounded and limited to what the
// field's type can hold for integers; a text field is left as it is.
void SetFieldNumber(ConversionSettings& settings, const SettingMember& member, double value);

// The range of a field; a field without one accepts anything.
bool IsInRange(const SettingMember& member, double value);

}  // namespace orvex
