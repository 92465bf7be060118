// The range rule a run applies to the settings, and the words for what an
// option accepts.
#include "settings/setting_ranges.h"

#include <gtest/gtest.h>

#include <string>

namespace orvex {
namespace {

ConversionSettings Defaults(bool console) {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, console);
    return settings;
}

TEST(CheckSettingRanges, TheDefaultsOfBothFacesPass) {
    EXPECT_FALSE(CheckSettingRanges(Defaults(true)));
    EXPECT_FALSE(CheckSettingRanges(Defaults(false)));
}

// Every refused range refuses one step past either end and takes both ends,
// whatever step the setting belongs to is doing.
TEST(CheckSettingRanges, EachRefusedRangeHoldsAtBothEnds) {
    int refused = 0;
    for (const OptionField& row : OptionFieldTable()) {
        if (!row.range || row.range->use != RangeUse::BeforeRun) continue;
        ++refused;
        for (double value : {row.range->minimum, row.range->maximum}) {
            ConversionSettings settings = Defaults(true);
            SetFieldNumber(settings, row.config.member, value);
            EXPECT_FALSE(CheckSettingRanges(settings)) << SettingName(row) << " " << value;
        }
        for (double value : {row.range->minimum - 1, row.range->maximum + 1}) {
            ConversionSettings settings = Defaults(true);
            SetFieldNumber(settings, row.config.member, value);
            const auto fault = CheckSettingRanges(settings);
            ASSERT_TRUE(fault) << SettingName(row) << " " << value;
            EXPECT_EQ(fault->row, &row);
            // As the field holds it (a float field rounds -0.9).
            EXPECT_EQ(fault->value, FieldNumber(settings, row.config.member));
        }
    }
    EXPECT_GE(refused, 12);
}

TEST(CheckSettingRanges, RangesWithAnErrorLineOfTheirOwnAreLeftToIt) {
    ConversionSettings settings = Defaults(true);
    settings.JpgQuality = 0;
    settings.ImageBrightness = 500;
    settings.ImageGamma = 0;
    settings.ImageWidth = 0;  // resize on with no width has a line of its own too
    settings.DoImageResize = 1;
    EXPECT_FALSE(CheckSettingRanges(settings));
}

TEST(CheckSettingRanges, TheFirstRowInTableOrderIsReported) {
    ConversionSettings settings = Defaults(true);
    settings.FontSize = 0;
    settings.ImageRotation = 450;
    settings.ImageThreshold = -1;
    const auto fault = CheckSettingRanges(settings);
    ASSERT_TRUE(fault);
    EXPECT_EQ(SettingName(*fault->row), "--rotation");
    EXPECT_EQ(FormatSettingNumber(fault->value), "450");
}

TEST(AcceptedValuesText, SaysWhatEachKindTakes) {
    auto text = [](auto member) { return AcceptedValuesText(*FindOptionField(member)); };
    EXPECT_EQ(text(&ConversionSettings::ImageRotation), "a whole number from 0 to 360");
    EXPECT_EQ(text(&ConversionSettings::ImageGamma), "a decimal number from 0.01 to 9.99");
    EXPECT_EQ(text(&ConversionSettings::FileTimestamp), "one of CURRENT, ORIGINAL, CUSTOM");
    EXPECT_EQ(text(&ConversionSettings::BackColor), "six hexadecimal digits RRGGBB");
    EXPECT_EQ(text(&ConversionSettings::TextXOffset), "a whole number");
    EXPECT_EQ(SettingName(*FindOptionField(&ConversionSettings::TextScale)), "Text Scale");
}

}  // namespace
}  // namespace orvex
