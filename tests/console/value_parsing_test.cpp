// Integer and real option values, and the long option rows that store them.
#include "console/value_parsing.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <set>
#include <string>

#include "console/option_table.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

TEST(ParseNumberValue, WideNumbersHoldDatesPastTwentyThirtyEight) {
    EXPECT_EQ(ParseWideNumberValue("4102444800"), 4102444800);
    EXPECT_EQ(ParseWideNumberValue("-5"), -5);
    EXPECT_EQ(ParseWideNumberValue("99999999999999999999999"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseWideNumberValue("-99999999999999999999999"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(ParseWideNumberValue("$FFFFFFFFFFFFFFFFFFFF"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseNumberValue("$FFFFFFFFFFFFFFFFFFFF"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseNumberValue("4102444800"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseNumberValue("-2147483648"), std::numeric_limits<int32_t>::min());
}

TEST(ParseNumberValue, DecimalHexBinaryAndGarbage) {
    EXPECT_EQ(ParseNumberValue("95"), 95);
    EXPECT_EQ(ParseNumberValue("$FF"), 255);
    EXPECT_EQ(ParseNumberValue("$ff"), 255);
    EXPECT_EQ(ParseNumberValue("%101"), 5);
    EXPECT_EQ(ParseNumberValue("12abc"), 12);
    EXPECT_EQ(ParseNumberValue("abc"), 0);
    EXPECT_EQ(ParseNumberValue(""), 0);
    EXPECT_EQ(ParseNumberValue("-5"), -5);
    EXPECT_EQ(ParseNumberValue("+7"), 7);
    EXPECT_EQ(ParseNumberValue(" \t42"), 42);
    EXPECT_EQ(ParseNumberValue("-$10"), -16);
    EXPECT_EQ(ParseNumberValue("%102"), 2);  // binary digits stop at the "2"
    EXPECT_EQ(ParseNumberValue("$"), 0);
    EXPECT_EQ(ParseNumberValue("1,5"), 1);
}

TEST(ParseNumberValue, ClampsToTheInt32RangeWhateverTheDigitCount) {
    EXPECT_EQ(ParseNumberValue("2147483647"), 2147483647);
    EXPECT_EQ(ParseNumberValue("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseNumberValue("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseNumberValue("-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseNumberValue(std::string(10000, '9')), INT32_MAX);
    EXPECT_EQ(NarrowToInt8(300), 127);
    EXPECT_EQ(NarrowToInt8(-300), -128);
    EXPECT_EQ(NarrowToInt8(5), 5);
}

TEST(ParseRealValue, ReadsDotDecimalsAndStopsAtOtherCharacters) {
    EXPECT_FLOAT_EQ(ParseRealValue("1.5"), 1.5f);
    EXPECT_FLOAT_EQ(ParseRealValue("1,5"), 1.0f);
    EXPECT_FLOAT_EQ(ParseRealValue("+2.25"), 2.25f);
    EXPECT_FLOAT_EQ(ParseRealValue("-0.5"), -0.5f);
    EXPECT_FLOAT_EQ(ParseRealValue(" 0.01"), 0.01f);
    EXPECT_FLOAT_EQ(ParseRealValue(".5"), 0.5f);
    EXPECT_FLOAT_EQ(ParseRealValue("abc"), 0.0f);
    EXPECT_FLOAT_EQ(ParseRealValue(""), 0.0f);
    EXPECT_FLOAT_EQ(ParseRealValue("--1"), 0.0f);
    EXPECT_FLOAT_EQ(ParseRealValue("infinite"), 0.0f);
    EXPECT_FLOAT_EQ(ParseRealValue("1e-99"), 0.0f);
    EXPECT_TRUE(std::isinf(ParseRealValue("1e99")));
}

TEST(ParseRealValue, NamedValuesInAnyCase) {
    EXPECT_TRUE(std::isnan(ParseRealValue("nan")));
    EXPECT_TRUE(std::isnan(ParseRealValue("NaN")));
    EXPECT_EQ(ParseRealValue("+infinity"), INFINITY);
    EXPECT_EQ(ParseRealValue("+INFINITY"), INFINITY);
    EXPECT_EQ(ParseRealValue("-Infinity"), -INFINITY);
}

TEST(TrimAndQuotes, RemoveOnlyTheEnds) {
    EXPECT_EQ(Trim("  a b \t", kSpacesAndTabs), "a b");
    EXPECT_EQ(StripQuotes("\"a \"b\" \""), "a \"b\" ");
    EXPECT_EQ(StripQuotes("\"\""), "");
    EXPECT_EQ(StripQuotes("\"open"), "open");
}

TEST(LongOptionTable, NamesAndProfileKeysAreUniqueUpperCaseOptions) {
    std::set<std::string> names;
    std::set<std::string> keys;
    for (const LongOption& row : LongOptionTable()) {
        std::string name = row.name;
        EXPECT_EQ(name.rfind("--", 0), 0u) << name;
        EXPECT_EQ(ToUpperAscii(name), name);
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        std::string key = row.profileKey ? row.profileKey : row.name;
        EXPECT_TRUE(keys.insert(key).second) << "duplicate key " << key;
        EXPECT_EQ(FindCommandLineOption(name), &row);
        EXPECT_EQ(FindProfileOption(key), &row);
    }
    EXPECT_EQ(names.size(), 113u);
    EXPECT_EQ(FindProfileOption("--FR-SOLID-OPACITY"), nullptr);
    EXPECT_EQ(FindCommandLineOption("--WM-SOLID-OPACITY"), nullptr);
    EXPECT_EQ(FindCommandLineOption("--INPUT"), nullptr);
}

TEST(ApplyLongOption, StepsAreSwitchedOnOnlyByTheirValueOptions) {
    ConversionSettings s;
    ApplyLongOption(*FindCommandLineOption("--ROTATION-TYPE"), "ADVANCED", s);
    ApplyLongOption(*FindCommandLineOption("--FR-SOLID-LEFT-COLOR"), "FF0000", s);
    ApplyLongOption(*FindCommandLineOption("--FR-SOLID-OPACITY"), "128", s);
    ApplyLongOption(*FindCommandLineOption("--WM-FONT"), "Verdana", s);
    EXPECT_EQ(s.ImageRotationType, 1);
    EXPECT_EQ(s.SolidLeftColor, "FF0000");
    EXPECT_EQ(s.SolidOpacity, 128);
    EXPECT_EQ(s.Font, "Verdana");
    EXPECT_EQ(s.DoImageRotation, 0);
    EXPECT_EQ(s.DoFrame, 0);
    EXPECT_EQ(s.DoWatermark, 0);

    ApplyLongOption(*FindCommandLineOption("--ROTATION"), "90", s);
    ApplyLongOption(*FindCommandLineOption("--FR-SOLID-TOP"), "4", s);
    ApplyLongOption(*FindCommandLineOption("--GAMMA"), "2.5", s);
    ApplyLongOption(*FindCommandLineOption("--DITHER"), "bayer8", s);
    EXPECT_EQ(s.ImageRotation, 90);
    EXPECT_EQ(s.DoImageRotation, 1);
    EXPECT_EQ(s.SolidTop, 4);
    EXPECT_EQ(s.DoFrame, 1);
    EXPECT_FLOAT_EQ(s.ImageGamma, 2.5f);
    EXPECT_EQ(s.DoImageColorCorrection, 1);
    EXPECT_EQ(s.ImageDitherAlgorithm, 2);
    EXPECT_EQ(s.DoImageDither, 1);
}

TEST(ApplyLongOption, TheLaterWatermarkOptionDecidesTheKind) {
    ConversionSettings s;
    ApplyLongOption(*FindCommandLineOption("--WM-TEXT"), "hello", s);
    EXPECT_EQ(s.DoWatermark, 1);
    ApplyLongOption(*FindCommandLineOption("--WM-IMAGE"), "logo.png", s);
    EXPECT_EQ(s.DoWatermark, 2);
    ApplyLongOption(*FindCommandLineOption("--WM-TEXT"), "again", s);
    EXPECT_EQ(s.DoWatermark, 1);
    EXPECT_EQ(s.Image, "logo.png");
}

TEST(ApplyLongOption, FlagsStoreTheirConstantAndKeywordsTrimAndFallBack) {
    ConversionSettings s;
    ApplyLongOption(*FindCommandLineOption("--NO-SUBFOLDERS"), "1", s);
    ApplyLongOption(*FindCommandLineOption("--INVERT"), "no", s);
    EXPECT_EQ(s.KeepSubfolders, 0);
    EXPECT_EQ(s.ImageInvert, 1);
    EXPECT_EQ(s.DoImageColorCorrection, 1);

    ApplyLongOption(*FindCommandLineOption("--RESIZE-ALGORITHM"), " lanczos ", s);
    EXPECT_EQ(s.ImageResizeAlgorithm, 5);
    ApplyLongOption(*FindCommandLineOption("--RESIZE-ALGORITHM"), "cubic", s);
    EXPECT_EQ(s.ImageResizeAlgorithm, 0);
    ApplyLongOption(*FindCommandLineOption("--TIFF-COMPRESSION"), "ZLIB9", s);
    EXPECT_EQ(s.TiffCompression, 3);  // not checked against the writer
    ApplyLongOption(*FindCommandLineOption("--FILE-TIMESTAMP-CUSTOM"), "$10", s);
    EXPECT_EQ(s.CustomTimestamp, 16);
}

}  // namespace
}  // namespace orvex
