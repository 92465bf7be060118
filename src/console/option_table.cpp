// The long options taken from the option table, and the conversion of their values.
#include "console/option_table.h"

#include <unordered_map>

#include "console/value_parsing.h"
#include "settings/keywords.h"
#include "text/trim.h"

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

}  // namespace

const std::vector<LongOption>& LongOptionTable() { return Rows(); }

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
