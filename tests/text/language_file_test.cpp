// Tests of language files: reading the INI form and replacing texts of the
// table group by group, with files written into a temporary folder.
#include "text/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_folder.h"
#include "text/text_table.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;

class LanguageFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& content) {
        return temp.WriteFile(name, content);
    }

    test_support::ScopedTempFolder temp{"language"};
    const fs::path folder = temp.Folder();
};

TEST_F(LanguageFileTest, ReplacesTheKeysItHasAndKeepsTheRest) {
    const std::string path = Write("de.ini",
                                   "\xEF\xBB\xBF\r\n"
                                   "[general]\r\n"
                                   "READY = Bereit\r\n"
                                   "preparing=Vorbereitung...\r\n"
                                   "; \r\n"
                                   "[Msg]\r\n"
                                   "Files Converted =   Dateien konvertiert: %s1% von %s2%   \r\n"
                                   "Not a key of the table = ignored\r\n"
                                   "[No Such Group]\r\n"
                                   "Error = ignored\r\n");
    TextTable table;
    table.Build(path);
    EXPECT_EQ(table.Text("General", "Ready"), "Bereit");
    EXPECT_EQ(table.Text("General", "Preparing"), "Vorbereitung...");
    EXPECT_EQ(table.Text("General", "Importing"), "Importing...");
    EXPECT_EQ(table.Text("Msg", "Files converted"), "Dateien konvertiert: %s1% von %s2%");
    EXPECT_EQ(table.Text("Msg", "Error"), "Error");
    EXPECT_EQ(table.Text("Msg", "Not a key of the table"), kNoStringError);
    EXPECT_EQ(table.Text("No Such Group", "Error"), kNoStringError);

    // Rebuilding without the file brings the English texts back.
    table.Build();
    EXPECT_EQ(table.Text("General", "Ready"), "Ready");
}

TEST_F(LanguageFileTest, UnreadableFilesAreIgnored) {
    TextTable table;
    table.Build((folder / "missing.ini").string());
    EXPECT_EQ(table.Text("General", "Ready"), "Ready");
    table.Build(folder.string());  // a folder, not a file
    EXPECT_EQ(table.Text("General", "Ready"), "Ready");
    table.Build(Write("empty.ini", ""));
    EXPECT_EQ(table.Text("General", "Ready"), "Ready");
}

TEST_F(LanguageFileTest, ValuesMayBeQuotedHoldLineBreaksOrStayEmpty) {
    const std::string path = Write("values.ini",
                                   "[Msg]\n"
                                   "Error = \"  Fehler  \"\n"
                                   "Warning =\n"
                                   "Ask continue to find = Keine Treffer: %s1%\\n\\nWeiter?\n"
                                   "[Preferences]\n"
                                   "medium = Mittel\n");
    TextTable table;
    table.Build(path);
    EXPECT_EQ(table.Text("Msg", "Error"), "  Fehler  ");
    EXPECT_EQ(table.Text("Msg", "Warning"), "Warning");  // empty: not translated
    EXPECT_EQ(table.Text("Msg", "Ask continue to find"), "Keine Treffer: %s1%\n\nWeiter?");
    EXPECT_EQ(table.Text("Preferences", "Medium"), "Mittel");
}

TEST_F(LanguageFileTest, ReadsGroupsKeysAndCommentsLeniently) {
    LanguageFile file;
    ASSERT_TRUE(file.Open(Write("lenient.ini",
                                "orphan = before any group\n"
                                "  [ Über ]  \n"
                                "; comment = no\n"
                                "# comment = no\n"
                                "line without equals sign\n"
                                "= no key\n"
                                "Größe = a = b\n"
                                "größe = later repeat\n"
                                "[broken\n"
                                "lost = value\n"
                                "[über]\n"
                                "Extra = more")));
    EXPECT_EQ(file.Group("ORPHAN"), nullptr);
    const LanguageFile::Entries* group = file.Group(TextKeyForm("über"));
    ASSERT_NE(group, nullptr);
    const LanguageFile::Entries expected = {{"GRÖSSE", "a = b"}, {"EXTRA", "more"}};
    EXPECT_EQ(*group, expected);
    EXPECT_EQ(file.Group("BROKEN"), nullptr);

    EXPECT_FALSE(file.Open((folder / "missing.ini").string()));
    EXPECT_EQ(file.Group(TextKeyForm("über")), nullptr);
}

TEST(TextKeyFormTest, UpperCasesAsciiAndUnicode) {
    EXPECT_EQ(TextKeyForm("Save As"), "SAVE AS");
    EXPECT_EQ(TextKeyForm("x-offset_1"), "X-OFFSET_1");
    EXPECT_EQ(TextKeyForm("straße"), "STRASSE");
    EXPECT_EQ(TextKeyForm(""), "");
}

}  // namespace
}  // namespace orvex
