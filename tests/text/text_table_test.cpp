// Tests of the text table: building from the built-in rows, case-insensitive
// lookup, the group cache, the wording of the built-in texts and placeholders.
#include "text/text_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "text/builtin_texts.h"

namespace orvex {
namespace {

class TextTableTest : public ::testing::Test {
  protected:
    void SetUp() override { table.Build(); }
    TextTable table;
};

// The built-in rows as (group, key, text), in data order.
struct BuiltinEntry {
    std::string group, key, text;
};
std::vector<BuiltinEntry> BuiltinEntries() {
    std::vector<BuiltinEntry> entries;
    std::string group;
    for (const TextRow& row : BuiltinTexts()) {
        const std::string first = row.first;
        if (first == kEndMarker) break;
        if (first == kGroupMarker) {
            group = row.second;
        } else {
            entries.push_back({group, first, row.second});
        }
    }
    return entries;
}

TEST_F(TextTableTest, LooksUpGroupAndKeyInAnyLetterCase) {
    EXPECT_EQ(table.Text("general", "preparing"), "Preparing...");
    EXPECT_EQ(table.Text("GENERAL", "PREPARING"), "Preparing...");
    EXPECT_EQ(table.Text("Menu", "sAVE aS"), "Save As...");
    EXPECT_EQ(table.Text("custom-converter", "title"), "Find a File Converter");
}

TEST_F(TextTableTest, MissingTextsGiveTheMarker) {
    EXPECT_EQ(std::string(kNoStringError), "%NO_STRING_ERROR%");
    EXPECT_EQ(table.Text("Msg", "No such message"), kNoStringError);
    EXPECT_EQ(table.Text("No such group", "Error"), kNoStringError);
    EXPECT_EQ(table.Text("", "Error"), kNoStringError);
    EXPECT_EQ(table.Text("Msg", ""), kNoStringError);
    // No key of Menu begins with "Z"; "A" sorts before "ABOUT"; "FILEX" after
    // "FILE"; "Save" is a prefix of "Save As" but not a key.
    EXPECT_EQ(table.Text("Menu", "Zoom"), kNoStringError);
    EXPECT_EQ(table.Text("Menu", "A"), kNoStringError);
    EXPECT_EQ(table.Text("Menu", "Filex"), kNoStringError);
    EXPECT_EQ(table.Text("Menu", "Save"), kNoStringError);
    // Group and key are not interchangeable, and a key of one group is not
    // found in another.
    EXPECT_EQ(table.Text("Preparing", "General"), kNoStringError);
    EXPECT_EQ(table.Text("Msg", "Preparing"), kNoStringError);
}

TEST(TextTableUnbuiltTest, LookupBeforeBuildGivesTheMarker) {
    const TextTable table;
    EXPECT_EQ(table.Text("General", "Ready"), kNoStringError);
}

TEST_F(TextTableTest, EveryBuiltinEntryIsFoundWithItsText) {
    // Walks every row, also in lower case, which exercises every sorted range
    // and every first-letter slot. A key held twice gives its first text.
    std::map<std::pair<std::string, std::string>, std::string> firstText;
    for (const BuiltinEntry& entry : BuiltinEntries()) {
        firstText.emplace(std::pair(entry.group, entry.key), entry.text);
    }
    for (const BuiltinEntry& entry : BuiltinEntries()) {
        const std::string& expected = firstText.at({entry.group, entry.key});
        EXPECT_EQ(table.Text(entry.group, entry.key), expected) << entry.group << "/" << entry.key;
        std::string lower = entry.key;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(table.Text(entry.group, lower), expected) << entry.group << "/" << lower;
    }
}

TEST_F(TextTableTest, GroupsAndTheirSizesFollowTheDataOrder) {
    std::vector<std::pair<std::string, int>> sizes;
    for (const BuiltinEntry& entry : BuiltinEntries()) {
        if (sizes.empty() || sizes.back().first != entry.group) sizes.emplace_back(entry.group, 0);
        ++sizes.back().second;
    }
    const std::vector<std::pair<std::string, int>> expected = {{"Menu", 29},
                                                               {"General", 10},
                                                               {"Msg", 51},
                                                               {"Dialog", 18},
                                                               {"Preferences", 227},
                                                               {"About", 4},
                                                               {"Custom-Converter", 4},
                                                               {"Uninstall", 3},
                                                               {"Preview", 12}};
    EXPECT_EQ(sizes, expected);
    EXPECT_STREQ(BuiltinTexts().back().first, kEndMarker);
}

TEST_F(TextTableTest, PreferencesTextsAreTheirKeysExceptSeventy) {
    int exceptions = 0;
    int medium = 0;
    for (const BuiltinEntry& entry : BuiltinEntries()) {
        if (entry.group != "Preferences") continue;
        if (entry.key == "Medium") ++medium;
        if (entry.text != entry.key && entry.text != entry.key + ":") ++exceptions;
    }
    EXPECT_EQ(exceptions, 70);
    EXPECT_EQ(medium, 2);
    EXPECT_EQ(table.Text("Preferences", "Medium"), "Medium");

    const std::map<std::string, std::string> spotChecks = {
        {"Title", "Preferences..."},
        {"Save window position", "Save Window's Coords:"},
        {"UI Size", "Icon Size:"},
        {"Bytes", "bytes"},
        {"RGB48HS", "RGB 48-bit (HS)"},
        {"BGRA", "BGR 32-bit"},
        {"Random Frame", "Random"},
        {"Tone Mapping", "HDR Tone Mapping:"},
        {"ZLIB6", "ZLib Level 6"},
        {"CCITTFAX4", "CCITT Group 4 Fax"},
        {"DEFLATE", "Deflate (ZLib)"},
        {"LOGLUV", "LogLuv"},
        {"Keep Aspect Ratio", "Keep Proportions:"},
        {"Bspline", "B-Spline"},
        {"Catmullrom", "Catmull-Rom Spline"},
        {"Image Flip Vertical", "Flip Vertical:"},
        {"Image Gamma", "Gamma Correction:"},
        {"FS", "Floyd and Steinberg error diffusion"},
        {"Bayer16", "Bayer ordered dot dithering 16x16"},
        {"Cluster6", "Clustered dot dithering 6x6"},
        {"Frame Type", "Frame:"},
        {"Watermark Image", "Image"},
        {"Strikeout", "Strikethrough"},
        {"Align Center", "Center"},
        {"Bound Frame", "Frame"},
        {"Clean On Exit", "Clean on Exit"},
        {"Keep Folders", "Keep Recent"},
        {"Out Folders Number", "Output Folders Number:"},
        {"Csv Delimiter", "CSV Delimiter:"},
        {"Clean Recent Files", "Clean Recent Files List on Exit"},
        // Field captions end with ":"; page names and option values do not.
        {"Language", "Language:"},
        {"Compression", "Compression:"},
        {"General", "General"},
        {"None", "None"},
        {"Bicubic", "Bicubic"},
        {"Red", "Red"},
    };
    for (const auto& [key, text] : spotChecks) {
        EXPECT_EQ(table.Text("Preferences", key), text) << key;
    }
}

TEST_F(TextTableTest, GroupCacheFollowsEveryChangeOfGroup) {
    // "Title" is in four groups and "Select Input Files" in two, with
    // different texts, so a stale current group shows at once.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(table.Text("Preferences", "Title"), "Preferences...");
        EXPECT_EQ(table.Text("About", "Title"), "About...");
        EXPECT_EQ(table.Text("about", "Email"), "E-mail:");
        EXPECT_EQ(table.Text("Uninstall", "Title"), "Uninstall");
        EXPECT_EQ(table.Text("No such group", "Title"), kNoStringError);
        EXPECT_EQ(table.Text("Custom-Converter", "Title"), "Find a File Converter");
        EXPECT_EQ(table.Text("Menu", "Select Input Files"), "Add Input Files...");
        EXPECT_EQ(table.Text("Dialog", "Select Input Files"), "Select Input Files");
        EXPECT_EQ(table.Text("", "Title"), kNoStringError);
        EXPECT_EQ(table.Text("Menu", "Select Input Files"), "Add Input Files...");
    }
}

TEST(TextTableRowsTest, BuildsFromOtherRowsAndRebuildReplacesAll) {
    const TextRow rows[] = {
        {"stray", "before any group"}, {"_group_", "Solo"}, {"Beta", "b"},
        {"alpha", "first alpha"},      {"Größe", "size"},   {"ALPHA", "second alpha"},
        {"_GROUP_", "Empty"},          {"_end_", ""},       {"After", "end"},
    };
    TextTable table;
    table.Build();
    EXPECT_EQ(table.Text("Msg", "Error"), "Error");  // current group is now Msg

    table.BuildFrom(rows);
    EXPECT_EQ(table.Text("Msg", "Error"), kNoStringError);
    EXPECT_EQ(table.Text("solo", "Alpha"), "first alpha");  // equal keys keep data order
    EXPECT_EQ(table.Text("Solo", "beta"), "b");
    EXPECT_EQ(table.Text("Solo", "GRÖSSE"), "size");  // Unicode upper case, ß -> SS
    EXPECT_EQ(table.Text("Solo", "größe"), "size");
    EXPECT_EQ(table.Text("Solo", "stray"), kNoStringError);
    EXPECT_EQ(table.Text("Empty", "Beta"), kNoStringError);
    EXPECT_EQ(table.Text("Solo", "After"), kNoStringError);

    table.Build();
    EXPECT_EQ(table.Text("Solo", "Beta"), kNoStringError);
    EXPECT_EQ(table.Text("Msg", "Error"), "Error");
}

// Every message text, word for word.
struct MsgText {
    const char* key;
    const char* text;
};
void PrintTo(const MsgText& row, std::ostream* out) { *out << row.key; }
std::string MsgTestName(const ::testing::TestParamInfo<MsgText>& info) {
    std::string name;
    for (const char* c = info.param.key; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
}

class MsgTextTest : public ::testing::TestWithParam<MsgText> {
  protected:
    static void SetUpTestSuite() { table.Build(); }
    static TextTable table;
};
TextTable MsgTextTest::table;

TEST_P(MsgTextTest, HasItsExactWording) {
    EXPECT_EQ(table.Text("Msg", GetParam().key), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    AllMessages, MsgTextTest,
    ::testing::Values(
        MsgText{"Error", "Error"}, MsgText{"Warning", "Warning"},
        MsgText{"Insufficient memory", "Insufficient Memory"},
        MsgText{"Unable to open file", "Unable to open the file: %s1%!"},
        MsgText{"Unable to save file", "Unable to save the file: %s1%!"},
        MsgText{"Empty input files",
                "No input file(s) found. Please, add valid file(s) and try again!"},
        MsgText{"Empty input folder",
                "The input folder's field is empty. Please, check the existed input folder and try "
                "again!"},
        MsgText{"Invalid input folder",
                "The following input folder is invalid or doesn't exist:\n%s1%\n\nPlease, correct "
                "the input path and try again!"},
        MsgText{"Empty output folder",
                "The output folder's field is empty. Please, select existed output folder and try "
                "again!"},
        MsgText{"Invalid output folder",
                "The following output folder is invalid or doesn't exist:\n%s1%\n\nPlease, correct "
                "the output path and try again!"},
        MsgText{"Invalid width", "Invalid resize width value!"},
        MsgText{"Invalid height", "Invalid resize height value!"},
        MsgText{"Invalid conversion type", "Invalid conversion type!"},
        MsgText{"Invalid watermark font", "Unable to load selected font for a watermark: %s1%"},
        MsgText{"Empty watermark image", "Selected watermark image is invalid/empty!"},
        MsgText{"Invalid watermark image",
                "Unable to load selected file as a watermark image: %s1%"},
        MsgText{"Import complete", "Import complete, new files added: %s1%"},
        MsgText{"Import is not complete", "Import stopped"},
        MsgText{"Export complete", "Export complete, entries saved: %s1%"},
        MsgText{"Export is not complete", "Export stopped"},
        MsgText{"Conversion complete", "Conversion complete"},
        MsgText{"Conversion is not complete", "Conversion stopped"},
        MsgText{"Progress", "(%s1%/%s2%)"},
        MsgText{"Files converted", "Files converted: %s1% of %s2%"},
        MsgText{"New Update", "New Update"},
        MsgText{"New Update Text",
                "A new version of Lumavert Orvex is available! Are you ready to download it right "
                "now?"},
        MsgText{"No Update", "No Update"},
        MsgText{"No Update Text",
                "There is no update of Lumavert Orvex yet. You're using the most recent version."},
        MsgText{"Check for Updates", "Check for Updates"},
        MsgText{"Ask check for updates", "Do you want to check for updates?"},
        MsgText{"Reset to Defaults", "Reset to Defaults"},
        MsgText{"Ask reset to defaults",
                "Are you sure you want to reset all your settings to the default values?"},
        MsgText{"Internet connection problems", "Internet connection problems!"},
        MsgText{"Ask overwrite file", "The file already exist. Do you want to overwrite it?"},
        MsgText{"Clean recent files", "Clean Recent Files"},
        MsgText{"Ask clean recent files", "Do you want to clean the recent files list?"},
        MsgText{"Ask continue to find",
                "No matches of %s1% found!\n\nDo you want to search from the start of the list?"},
        MsgText{"Ask break import", "Do you want to break the import?"},
        MsgText{"Ask break export", "Do you want to break the export?"},
        MsgText{"Ask break conversion", "Do you want to break the conversion?"},
        MsgText{"Empty extensions", "Please, fill all required fields and try again!"}),
    MsgTestName);

TEST(FillPlaceholdersTest, FillsNonEmptyValuesCaseInsensitively) {
    const std::string templ = "Files converted: %s1% of %s2%";
    EXPECT_EQ(FillPlaceholders(templ, "3", "5"), "Files converted: 3 of 5");
    EXPECT_EQ(FillPlaceholders(templ, "3", ""), "Files converted: 3 of %s2%");
    EXPECT_EQ(FillPlaceholders(templ), templ);
    EXPECT_EQ(FillPlaceholders("%S1% and %s1%", "x"), "x and x");
    EXPECT_EQ(FillPlaceholders("%s4%%s3%%s2%%s1%", "1", "2", "3", "4"), "4321");
    EXPECT_EQ(FillPlaceholders("", "x"), "");
    EXPECT_EQ(FillPlaceholders("(%s1%/%s2%)", "10", "200"), "(10/200)");
}

TEST(FillPlaceholdersTest, LeavesEverythingElseAlone) {
    EXPECT_EQ(FillPlaceholders("100% %s5% %s% %s1", "x"), "100% %s5% %s% %s1");
    EXPECT_EQ(FillPlaceholders("%s1%s1%", "x"), "xs1%");
    EXPECT_EQ(FillPlaceholders("end %s1", "x"), "end %s1");
    // An inserted value is shown as it is, even when it looks like a placeholder.
    EXPECT_EQ(FillPlaceholders("Unable to open the file: %s1%!", "a%s2%.hdr", "b"),
              "Unable to open the file: a%s2%.hdr!");
}

}  // namespace
}  // namespace orvex
