// The configuration entries in file order, taken from the one option table.
#include "settings/setting_fields.h"

#include "settings/option_fields.h"

namespace orvex {
namespace {

using S = ConversionSettings;

}  // namespace

const std::vector<SettingField>& SettingFieldTable() {
    static const std::vector<SettingField> table = [] {
        std::vector<SettingField> entries;
        for (const OptionField& row : OptionFieldTable()) entries.push_back(row.config);
        return entries;
    }();
    return table;
}

const std::vector<ObsoleteSettingField>& ObsoleteSettingFieldTable() {
    static const std::vector<ObsoleteSettingField> table{
        {"Input", "PSD Color Model", &S::PsdColorMode},
        {"Output", "TIFF Color Model", &S::TiffColorMode},
    };
    return table;
}

const std::vector<std::string>& SettingGroups() {
    static const std::vector<std::string> groups = [] {
        std::vector<std::string> names;
        for (const SettingField& field : SettingFieldTable()) {
            if (names.empty() || names.back() != field.group) names.emplace_back(field.group);
        }
        return names;
    }();
    return groups;
}

}  // namespace orvex
