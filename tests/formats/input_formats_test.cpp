// Accepted input extensions, the input file test and the open-file filter.
#include "formats/input_formats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"
#include "text/text_table.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;

class InputFilesTest : public testing::Test {
  protected:
    std::string File(const std::string& name, const std::string& contents = "#?RADIANCE\n") {
        return m_temp.WriteFile(name, contents);
    }

    test_support::ScopedTempFolder m_temp{"input-formats"};
    const fs::path m_folder = m_temp.Folder();
};

TEST(BuildAcceptedInputExtensions, CollectsTheRowsOfEachListedGroup) {
    EXPECT_EQ(BuildAcceptedInputExtensions({"hdr"}), (std::vector<std::string>{"hdr", "hdri"}));
    // Groups in list order, rows in table order.
    EXPECT_EQ(BuildAcceptedInputExtensions({"tga", "bmp"}),
              (std::vector<std::string>{"tga", "targa", "bmp", "rle", "dib"}));
    // A group spread over several rows of the table.
    EXPECT_EQ(BuildAcceptedInputExtensions({"wmf"}),
              (std::vector<std::string>{"wmf", "wmz", "apm"}));
    EXPECT_TRUE(BuildAcceptedInputExtensions({"exr"}).empty());
    EXPECT_TRUE(BuildAcceptedInputExtensions({}).empty());
}

TEST(InputExtensionTable, EveryExtensionIsLowerCaseAndUnique) {
    const auto& table = InputExtensionTable();
    EXPECT_EQ(table.front().extension, "bmp");
    EXPECT_EQ(table.back().extension, "rwl");
    for (size_t i = 0; i < table.size(); ++i) {
        for (char c : table[i].extension) EXPECT_FALSE(c >= 'A' && c <= 'Z') << table[i].extension;
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_NE(table[i].extension, table[j].extension);
    }
}

TEST_F(InputFilesTest, AcceptsHdrExtensionsWhateverTheirCase) {
    const auto accepted = BuildAcceptedInputExtensions({"hdr"});
    EXPECT_TRUE(IsAcceptedInputFile(File("room.hdr"), accepted));
    EXPECT_TRUE(IsAcceptedInputFile(File("ROOM2.HDR"), accepted));
    EXPECT_TRUE(IsAcceptedInputFile(File("sky.hdri"), accepted));
    EXPECT_TRUE(IsAcceptedInputFile(File("mixed.HdRi"), accepted));
    EXPECT_TRUE(IsAcceptedInputFile(File("backup.exr.hdr"), accepted));  // last extension counts
}

TEST_F(InputFilesTest, RejectsOtherExtensionsMissingDotsAndEmptyFiles) {
    const auto accepted = BuildAcceptedInputExtensions({"hdr"});
    EXPECT_FALSE(IsAcceptedInputFile(File("room.exr"), accepted));
    EXPECT_FALSE(IsAcceptedInputFile(File("hdr"), accepted));
    EXPECT_FALSE(IsAcceptedInputFile(File("roomhdr"), accepted));
    EXPECT_FALSE(IsAcceptedInputFile(File("room.hdr.exr"), accepted));
    EXPECT_FALSE(IsAcceptedInputFile(File("room.hdr "), accepted));
    EXPECT_FALSE(IsAcceptedInputFile(File("empty.hdr", ""), accepted));
    EXPECT_FALSE(IsAcceptedInputFile((m_folder / "missing.hdr").string(), accepted));
    // A dot in the folder name is not the file's extension.
    fs::create_directories(m_folder / "set.hdr");
    const fs::path inner = m_folder / "set.hdr" / "picture";
    std::ofstream(inner) << "data";
    EXPECT_FALSE(IsAcceptedInputFile(inner.string(), accepted));
    // A folder named like an input file is not one.
    EXPECT_FALSE(IsAcceptedInputFile((m_folder / "set.hdr").string(), accepted));
}

TEST(BuildOpenFileFilter, ListsAllPatternsThenEachDescription) {
    TextTable texts;
    texts.Build();
    EXPECT_EQ(BuildOpenFileFilter(BuildAcceptedInputExtensions({"hdr"}), texts),
              "All Supported Files|*.hdr;*.hdri|High Dynamic Range File|*.hdri;*.hdr|"
              "All Files (*.*)|*.*");
}

TEST(BuildOpenFileFilter, GroupsPatternsByDescriptionLatestFirst) {
    TextTable texts;
    texts.Build();
    const std::string filter =
        BuildOpenFileFilter(BuildAcceptedInputExtensions({"wmf", "gif"}), texts);
    EXPECT_EQ(filter,
              "All Supported Files|*.wmf;*.wmz;*.apm;*.gif|Windows Metafile Format|*.wmz;*.wmf|"
              "Aldus Placeable Metafile|*.apm|GIF File|*.gif|All Files (*.*)|*.*");
}

}  // namespace
}  // namespace orvex
