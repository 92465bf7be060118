// The one option table agrees with itself: every field once, keys unique,
// defaults inside their ranges, keyword families known, and the tables the
// configuration file and the console read are views of it.
#include "settings/option_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <variant>

#include "settings/keywords.h"
#include "text/builtin_texts.h"
#include "text/text_table.h"

namespace orvex {
namespace {

TEST(OptionFieldTable, EveryFieldAndEveryKeyAppearsOnce) {
    std::set<std::string> keys;
    std::set<std::string> options;
    std::set<std::string> profileKeys;
    const auto& table = OptionFieldTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const OptionField& row = table[i];
        const std::string key = std::string(row.config.group) + "/" + row.config.key;
        EXPECT_TRUE(keys.insert(key).second) << key;
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(table[j].config.member == row.config.member) << key << " twice";
        if (!row.option) continue;
        EXPECT_TRUE(row.option->field == row.config.member) << row.option->name;
        EXPECT_TRUE(options.insert(row.option->name).second) << row.option->name;
        const std::string profile =
            row.option->profileKey != nullptr ? row.option->profileKey : row.option->name;
        EXPECT_TRUE(profileKeys.insert(profile).second) << profile;
        EXPECT_EQ(std::string(row.option->name).rfind("--", 0), 0u) << row.option->name;
    }
    EXPECT_EQ(options.size(), 113u);
}

TEST(OptionFieldTable, DefaultsLieInsideTheirRanges) {
    for (bool console : {true, false}) {
        ConversionSettings settings;
        ResetSettingsToDefaults(settings, console);
        for (const OptionField& row : OptionFieldTable()) {
            if (!row.range) continue;
            EXPECT_LE(row.range->minimum, row.range->maximum) << row.config.key;
            EXPECT_TRUE(row.range->Contains(FieldNumber(settings, row.config.member)))
                << row.config.key << " = " << FieldNumber(settings, row.config.member);
        }
    }
}

TEST(OptionFieldTable, KeywordFamiliesAreKnownAndNameTheDefaults) {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, false);
    for (const OptionField& row : OptionFieldTable()) {
        if (row.option && row.option->kind == OptionKind::Keyword) {
            EXPECT_GE(row.family, 0) << row.option->name;
            EXPECT_EQ(row.family, row.option->family) << row.option->name;
        }
        if (row.family < 0) continue;
        EXPECT_LE(row.family, static_cast<int>(kTimestampSource)) << row.config.key;
        if (row.family == kCompression) continue;  // its words depend on the writer
        EXPECT_NE(KeywordName(row.family, static_cast<int32_t>(FieldNumber(settings, row.config.member))),
                  "")
            << row.config.key;
    }
}

TEST(OptionFieldTable, ThePreferencesCaptionsAreTextsOfTheTable) {
    TextTable texts;
    texts.Build();
    int shown = 0;
    for (const OptionField& row : OptionFieldTable()) {
        if (row.page == PreferencesPage::None) {
            EXPECT_EQ(row.caption, nullptr) << row.config.key;
            continue;
        }
        ++shown;
        ASSERT_NE(row.caption, nullptr) << row.config.key;
        EXPECT_NE(texts.Text("Preferences", row.caption), "%NO_STRING_ERROR%") << row.caption;
    }
    EXPECT_GT(shown, 100);
}

// Every shown row has a control, every control's captions are texts, a
// keyword family's drop-down has one entry per value, and the rules point at
// controls on the same page that can take the values they name.
TEST(OptionFieldTable, ThePreferencesControlsAgreeWithTheRows) {
    TextTable texts;
    texts.Build();
    for (const OptionField& row : OptionFieldTable()) {
        const ControlSpec& control = row.control;
        EXPECT_EQ(row.page == PreferencesPage::None, control.kind == ControlKind::None) << row.config.key;
        for (const char* entry : control.entries)
            EXPECT_NE(texts.Text("Preferences", entry), "%NO_STRING_ERROR%") << entry;
        if (control.kind == ControlKind::Choice) {
            EXPECT_FALSE(control.entries.empty()) << row.config.key;
            if (row.family >= 0 && row.family != kCompression && row.family != kSizeMode) {
                int values = 0;
                while (!KeywordName(row.family, values).empty()) ++values;
                EXPECT_EQ(static_cast<int>(control.entries.size()), values) << row.config.key;
            }
            // The compression entries are the words of their writer, each
            // at the number the keyword family gives it.
            if (row.family == kCompression) {
                for (size_t i = 0; i < control.entries.size(); ++i)
                    EXPECT_EQ(ParseKeyword(kCompression, control.entries[i]), static_cast<int>(i))
                        << row.config.key << " " << control.entries[i];
            }
            if (row.range) {
                EXPECT_EQ(control.entries.size(), static_cast<size_t>(row.range->maximum) + 1)
                    << row.config.key;
            }
        }
        if (control.kind == ControlKind::Slider) {
            ASSERT_TRUE(row.range) << row.config.key;
            // Whole slider positions at both ends.
            const double low = row.range->minimum * control.sliderScale + control.sliderOffset;
            const double high = row.range->maximum * control.sliderScale + control.sliderOffset;
            EXPECT_NEAR(low, std::round(low), 1e-3) << row.config.key;
            EXPECT_NEAR(high, std::round(high), 1e-3) << row.config.key;
            EXPECT_GE(low, 0) << row.config.key;
        }
        if (control.list) {
            const OptionField* list = FindOptionField(*control.list);
            ASSERT_NE(list, nullptr) << row.config.key;
            EXPECT_EQ(list->page, PreferencesPage::None) << row.config.key;
        }
        if (control.rule) {
            const OptionField* governor = FindOptionField(control.rule->governor);
            ASSERT_NE(governor, nullptr) << row.config.key;
            EXPECT_EQ(governor->page, row.page) << row.config.key;
            const size_t choices = governor->control.kind == ControlKind::CheckBox
                                       ? 2
                                       : governor->control.entries.size();
            EXPECT_NE(control.rule->values, 0u) << row.config.key;
            EXPECT_LT(control.rule->values, 1u << choices) << row.config.key;
        }
    }
    // Panels are shown by a choice of their page, and every row of a named
    // panel sits on that page.
    for (const PanelSpec& panel : PreferencesPanels()) {
        const OptionField* governor = FindOptionField(panel.rule.governor);
        ASSERT_NE(governor, nullptr) << panel.name;
        EXPECT_EQ(governor->page, panel.page) << panel.name;
        int rows = 0;
        for (const OptionField& row : OptionFieldTable()) {
            if (row.control.panel == nullptr || std::string(row.control.panel) != panel.name) continue;
            EXPECT_EQ(row.page, panel.page) << row.config.key;
            ++rows;
        }
        EXPECT_GT(rows, 0) << panel.name;
    }
    EXPECT_EQ(PreferencesPageCaptions().size(), 9u);
}

TEST(OptionFieldTable, RangesAreWhatTheChecksAndControlsUse) {
    EXPECT_TRUE(IsInRange(&ConversionSettings::JpgQuality, 1));
    EXPECT_TRUE(IsInRange(&ConversionSettings::JpgQuality, 100));
    EXPECT_FALSE(IsInRange(&ConversionSettings::JpgQuality, 0));
    EXPECT_FALSE(IsInRange(&ConversionSettings::JpgQuality, 101));
    EXPECT_TRUE(IsInRange(&ConversionSettings::ImageGamma, static_cast<double>(0.01f)));
    EXPECT_FALSE(IsInRange(&ConversionSettings::ImageGamma, static_cast<double>(0.009f)));
    EXPECT_FALSE(IsInRange(&ConversionSettings::ImageGamma, std::nan("")));
    EXPECT_FALSE(IsInRange(&ConversionSettings::ImageThreshold, 256));
    // A field without a range accepts anything.
    EXPECT_TRUE(IsInRange(&ConversionSettings::SolidLeft, -5));
}

TEST(OptionFieldTable, TheConfigurationEntriesAreItsRowsInOrder) {
    const auto& entries = SettingFieldTable();
    const auto& rows = OptionFieldTable();
    ASSERT_EQ(entries.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(entries[i].key, rows[i].config.key);
        EXPECT_TRUE(entries[i].member == rows[i].config.member);
    }
}

}  // namespace
}  // namespace orvex
