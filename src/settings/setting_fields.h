// Every entry of the configuration file as data: its group and key, its kind,
// the settings field it holds and when it is written. The reader and the
// writer of "config.ini" both walk this one table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings/conversion_settings.h"

namespace orvex {

enum class SettingKind { Int8, Int32, Float, String, Date };

using SettingMember = std::variant<int8_t ConversionSettings::*, int32_t ConversionSettings::*,
                                   int64_t ConversionSettings::*,
                                   float ConversionSettings::*, std::string ConversionSettings::*>;

enum class WriteWhen {
    Always,
    WindowPosition,   // only when SaveWindowPosition is 1
    InputGroup,       // only when `format` is one of the input reader groups
    OutputExtension,  // only when `format` is one of the output extensions
};

// How a line break inside a string value is written (a raw one would end the
// entry and corrupt the file).
enum class LineBreaks {
    Drop,         // removed: a path, name or colour cannot mean one
    AsEolMarker,  // written as "%eol%", the watermark text's own line break
};

struct SettingField {
    const char* group;
    const char* key;
    SettingKind kind;
    SettingMember member;
    WriteWhen when = WriteWhen::Always;
    const char* format = nullptr;      // reader group or writer extension
    std::optional<int32_t> missing;    // value of an absent key, when not the default
    std::optional<int32_t> writtenAs;  // fixed value written instead of the field
    LineBreaks lineBreaks = LineBreaks::Drop;
};

// The entries in the order they are written, groups in file order.
const std::vector<SettingField>& SettingFieldTable();

// Keys of older layouts, read only to upgrade them into `member`.
struct ObsoleteSettingField {
    const char* group;
    const char* key;
    int32_t ConversionSettings::*member;
};
const std::vector<ObsoleteSettingField>& ObsoleteSettingFieldTable();

// The group names of the table in file order, each once.
const std::vector<std::string>& SettingGroups();

}  // namespace orvex
