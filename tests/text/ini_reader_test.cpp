// Tests of the INI lookup: where a group starts and ends, how keys match, and
// what is trimmed from a value.
#include "text/ini_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvex {
namespace {

const std::string kThemeCfg =
    "[Theme]\r\n"
    "Name = Hand Drawn \r\n"
    "\r\n"
    "[Buttons]\r\n"
    "Convert=buttons/convert.png\r\n"
    "[Icons]\r\n"
    "New\t=\ticons/new\t\r\n"
    "NewFolder=icons/folder\r\n"
    "Web=a=b\r\n";

TEST(ReadIniValue, FindsKeysInTheirOwnGroupOnly) {
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Theme", "Name"), "Hand Drawn");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Buttons", "Convert"), "buttons/convert.png");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Icons", "New"), "icons/new");
    // A key of another group, a missing group and a missing key give "".
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Icons", "Convert"), "");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Theme", "Convert"), "");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Missing", "Name"), "");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Icons", "Missing"), "");
    EXPECT_EQ(ReadIniValue("", "Theme", "Name"), "");
}

TEST(ReadIniValue, NamesCompareWithoutCaseButWholly) {
    EXPECT_EQ(ReadIniValue(kThemeCfg, "THEME", "name"), "Hand Drawn");
    EXPECT_EQ(ReadIniValue(kThemeCfg, "icons", "NEWFOLDER"), "icons/folder");
    // A key is not matched by a longer key that starts with it, nor a group
    // by a longer group name.
    EXPECT_EQ(ReadIniValue("[Icons]\nNewFolder=x\n", "Icons", "New"), "");
    EXPECT_EQ(ReadIniValue("[IconsBig]\nNew=x\n", "Icons", "New"), "");
    EXPECT_EQ(ReadIniValue("[Icons]\nNew=x\n", "Icon", "New"), "");
}

TEST(ReadIniValue, ValueIsEverythingAfterTheFirstEqualsSignTrimmed) {
    EXPECT_EQ(ReadIniValue(kThemeCfg, "Icons", "Web"), "a=b");
    EXPECT_EQ(ReadIniValue("[G]\nk =  \t\r\n", "G", "k"), "");
    EXPECT_EQ(ReadIniValue("[G]\n  k = v w \n", "G", "k"), "v w");
    // The last line needs no line end.
    EXPECT_EQ(ReadIniValue("[G]\nk=last", "G", "k"), "last");
}

TEST(ReadIniValue, FirstGroupAndFirstKeyWin) {
    const std::string text = "[G]\nk=one\nk=two\n[H]\nk=h\n[G]\nk=three\nj=late\n";
    EXPECT_EQ(ReadIniValue(text, "G", "k"), "one");
    EXPECT_EQ(ReadIniValue(text, "H", "k"), "h");
    // Only the first group of a name is searched.
    EXPECT_EQ(ReadIniValue(text, "G", "j"), "");
}

TEST(ReadIniValue, BracketsInsideValuesDoNotEndTheGroup) {
    const std::string text = "[Texts]\nA=see [1]\nB=after\n";
    EXPECT_EQ(ReadIniValue(text, "Texts", "A"), "see [1]");
    EXPECT_EQ(ReadIniValue(text, "Texts", "B"), "after");
}

TEST(ReadIniValue, ToleratesByteOrderMarkAndIndentedHeaders) {
    EXPECT_EQ(ReadIniValue("\xEF\xBB\xBF[General]\r\nLanguage=de\r\n", "General", "Language"),
              "de");
    EXPECT_EQ(ReadIniValue("  [ Theme ]  \n Name=Flat\n", "Theme", "Name"), "Flat");
    // Lines without "=" and comment lines are passed over.
    EXPECT_EQ(ReadIniValue("[G]\n; k=comment\nnoise\nk=v\n", "G", "k"), "v");
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// The one line reader every INI file of the program goes through.
TEST(ForEachIniLine, GroupsEntriesAndWhatIsLeftOut) {
    const std::string text =
        "\xEF\xBB\xBF[First]\r\n  key = value  \r\n; comment\n# comment\n\nno equals sign\n"
        "[Open group\n\t=empty key\nk=a=b\n";
    std::vector<std::string> seen;
    ForEachIniLine(text, [&](const IniLine& line) {
        if (line.kind == IniLine::Kind::Group)
            seen.push_back("[" + std::string(line.group) + (line.closed ? "]" : ""));
        else
            seen.push_back(std::string(line.key) + "|" + std::string(line.value));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"[First]", "key| value  ", "[Open group", "|empty key",
                                              "k|a=b"}));
}

}  // namespace
}  // namespace orvex
