// Reading, upgrading and writing "config.ini".
#include "settings/configuration_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <limits>

#include "settings/program_identity.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFileBytes;
using test_support::ScopedEnv;

constexpr Date kUpdateDate = 1767225600;       // 2026-01-01 00:00
constexpr Date kCustomTimestamp = 1767229200;  // 2026-01-01 01:00
constexpr DesktopSize kDesktop{1920, 1080};

ConversionSettings Defaults() {
    ConversionSettings s;
    ResetSettingsToDefaults(s, false, kDesktop);
    s.UpdateDate = kUpdateDate;
    s.CustomTimestamp = kCustomTimestamp;
    return s;
}

// The text between "[group]\r\n" and the "; " line closing it.
std::string GroupBody(const std::string& text, const std::string& group) {
    const std::string opening = "[" + group + "]\r\n";
    const size_t start = text.find(opening);
    if (start == std::string::npos) return "<missing>";
    const size_t body = start + opening.size();
    return text.substr(body, text.find("; \r\n", body) - body);
}

class ConfigurationFileTest : public testing::Test {
  protected:
    void Write(const std::string& text) { test_support::WriteFileBytes(m_path, text); }

    ConversionSettings Load(const std::string& text) {
        Write(text);
        ConversionSettings s;
        EXPECT_TRUE(LoadConfiguration(s, m_path, kDesktop));
        return s;
    }

    test_support::ScopedTempFolder m_temp{"configuration"};
    const fs::path m_folder = m_temp.Folder();
    const std::string m_path = m_temp.File("config.ini");
};

TEST_F(ConfigurationFileTest, DefaultsAreWrittenInTheExactLayout) {
    ASSERT_TRUE(SaveConfiguration(Defaults(), m_path));
    const std::string golden =
        ReadFileBytes(fs::path(ORVEX_TEST_DATA_DIR) / "config" / "defaults.ini");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadFileBytes(m_path), golden);
    EXPECT_EQ(ReadFileBytes(m_path).substr(0, 24), "\xEF\xBB\xBF\r\n[General]\r\nCFG = 19");
}

TEST_F(ConfigurationFileTest, TheWrittenDefaultsReadBackUnchanged) {
    const std::string golden =
        ReadFileBytes(fs::path(ORVEX_TEST_DATA_DIR) / "config" / "defaults.ini");
    ConversionSettings s;
    s.JpgQuality = 1;
    ASSERT_TRUE(
        LoadConfiguration(s, (fs::path(ORVEX_TEST_DATA_DIR) / "config" / "defaults.ini").string()));
    EXPECT_EQ(s.X, 705);
    EXPECT_EQ(s.Cfg, 19);
    EXPECT_EQ(s.Text, kNoticeLine);
    EXPECT_EQ(ConfigurationText(s, InputExtensions(), OutputExtensions()), golden);
}

TEST_F(ConfigurationFileTest, MissingFileGivesDesktopDefaults) {
    ConversionSettings s;
    s.JpgQuality = 3;
    s.KeepAspectRatio = 0;
    EXPECT_FALSE(LoadConfiguration(s, (m_folder / "absent.ini").string(), kDesktop));
    EXPECT_EQ(s.JpgQuality, 95);
    EXPECT_EQ(s.KeepAspectRatio, 1);
    EXPECT_EQ(s.X, 705);  // no file: the centred default, not 100
    EXPECT_EQ(s.Y, 410);
    EXPECT_EQ(s.Cfg, 19);
    // A folder where the file should be cannot be read either.
    fs::create_directory(m_folder / "folder.ini");
    EXPECT_FALSE(LoadConfiguration(s, (m_folder / "folder.ini").string(), kDesktop));
    EXPECT_EQ(s.FilenameMask, "%filename%.%ext%");
    // The first save after such a start begins with the current layout.
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    EXPECT_EQ(GroupBody(ReadFileBytes(m_path), "General").substr(0, 10), "CFG = 19\r\n");
}

TEST_F(ConfigurationFileTest, GarbageFileReadsAsAFileWithoutKnownKeys) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
    garbage += std::string("\0[Output\0]\n=\n[\n]]]\n==x\n", 24);
    const ConversionSettings s = Load(garbage);
    EXPECT_EQ(s.JpgQuality, 95);
    EXPECT_EQ(s.Text, kNoticeLine);
    EXPECT_EQ(s.Cfg, 0);  // no "CFG": an old layout, whose upgrades change nothing here
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.FilenameMask, "%filename%.%ext%");
}

TEST_F(ConfigurationFileTest, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    // LF lines, no byte-order mark, odd spacing and case.
    const ConversionSettings s = Load(
        "[GENERAL]\ncfg=19\n  language   =   de  \n[output]\njpg QUALITY =80\n"
        "[WaterMark]\nTEXT = a = b\n[advanced]\nfilename mask=%filename%\n");
    EXPECT_EQ(s.Language, "de");
    EXPECT_EQ(s.JpgQuality, 80);
    EXPECT_EQ(s.Text, "a = b");
    EXPECT_EQ(s.FilenameMask, "%filename%");
}

TEST_F(ConfigurationFileTest, KeysCountOnlyInTheirOwnGroup) {
    const ConversionSettings s = Load(
        "\xEF\xBB\xBF\r\n[General]\r\nCFG = 19\r\n[Transform]\r\nImage Rotation = 90\r\n"
        "[Watermark]\r\nImage Rotation = 45\r\n[Window]\r\nJPG Quality = 10\r\n"
        "[Output]\r\nJPG Quality = 70\r\nJPG Quality = 20\r\nUnknown Key = 5\r\n"
        "[Nowhere]\r\nCFG = 3\r\n");
    EXPECT_EQ(s.ImageRotation, 90);
    EXPECT_EQ(s.WatermarkImageRotation, 45);
    EXPECT_EQ(s.JpgQuality, 70);  // the first of two entries counts
    EXPECT_EQ(s.Cfg, 19);
}

TEST_F(ConfigurationFileTest, NumbersReadAsTheirLeadingDecimalNumber) {
    const ConversionSettings s = Load(
        "[General]\nCFG = 19\n[Output]\nJPG Quality = 80abc\nJPG Chroma = abc\n"
        "JPG BPP = +24\nWEBP Quality = -5\nPNG BPP = 99999999999\nTGA BPP = -99999999999\n"
        "BMP BPP = 0x10\nGIF BPP = 1 2\n"
        "[Transform]\nKeep Aspect Ratio = 300\nDo Image Resize = -300\nImage Width Unit = 127\n"
        "[Adjustment]\nImage Gamma = 2.5x\nImage Brightness = \n"
        "[General]\nUpdate Date = 1700000000\n");
    EXPECT_EQ(s.JpgQuality, 80);
    EXPECT_EQ(s.JpgChroma, 0);
    EXPECT_EQ(s.JpgBpp, 24);
    EXPECT_EQ(s.WebpQuality, -5);  // no range check on reading
    EXPECT_EQ(s.PngBpp, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(s.TgaBpp, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(s.BmpBpp, 0);
    EXPECT_EQ(s.GifBpp, 1);
    // One-byte fields are clamped, never wrapped (300 would wrap to 44).
    EXPECT_EQ(s.KeepAspectRatio, 127);
    EXPECT_EQ(s.DoImageResize, -128);
    EXPECT_EQ(s.ImageWidthUnit, 127);
    EXPECT_FLOAT_EQ(s.ImageGamma, 2.5f);
    EXPECT_EQ(s.ImageBrightness, 0);
    EXPECT_EQ(s.UpdateDate, 1700000000);  // a repeated group adds to the first
}

TEST_F(ConfigurationFileTest, GammaIsReadAndWrittenWithADecimalPoint) {
    ConversionSettings s = Load("[General]\nCFG = 19\n[Adjustment]\nImage Gamma = 1.5\n");
    EXPECT_EQ(s.ImageGamma, 1.5f);
    EXPECT_NE(ConfigurationText(s, {}, {}).find("\r\nImage Gamma = 1.500000\r\n"),
              std::string::npos);
    for (const auto& [text, value] : std::vector<std::pair<std::string, float>>{{"0.01", 0.01f},
                                                                                {"9.99", 9.99f},
                                                                                {".5", 0.5f},
                                                                                {"-1", -1.0f},
                                                                                {"3", 3.0f},
                                                                                {"nan", 0.0f},
                                                                                {"inf", 0.0f},
                                                                                {"x1", 0.0f},
                                                                                {"1,5", 1.0f}}) {
        s = Load("[Adjustment]\nImage Gamma = " + text + "\n");
        EXPECT_FLOAT_EQ(s.ImageGamma, value) << text;
    }
    s.ImageGamma = 0.01f;
    EXPECT_NE(ConfigurationText(s, {}, {}).find("Image Gamma = 0.010000\r\n"), std::string::npos);
}

TEST_F(ConfigurationFileTest, GammaIgnoresACommaLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    ConversionSettings s = Load("[Adjustment]\nImage Gamma = 1.25\n");
    const std::string text = ConfigurationText(s, {}, {});
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(s.ImageGamma, 1.25f);
    EXPECT_NE(text.find("Image Gamma = 1.250000\r\n"), std::string::npos);
}

TEST_F(ConfigurationFileTest, MissingKeysTakeDefaultsExceptPositionAndLayout) {
    const ConversionSettings s = Load("[Output]\nJPG Quality = 50\n");
    EXPECT_EQ(s.JpgQuality, 50);
    EXPECT_EQ(s.Cfg, 0);
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.Y, 100);
    EXPECT_EQ(s.Width, 510);
    EXPECT_EQ(s.Height, 260);
    EXPECT_EQ(s.KeepAspectRatio, 1);
    EXPECT_EQ(s.RawToneMapping, 2);
    EXPECT_EQ(s.UiTheme, "handdrawn");
    EXPECT_EQ(s.OutputFormat, "jpg");
    EXPECT_EQ(s.Text, kNoticeLine);
}

// Files written before the tone controls existed map as they always did;
// moved controls are kept.
TEST_F(ConfigurationFileTest, ToneControlsReadAsDefaultsWhenMissingAndKeepTheirValues) {
    const ConversionSettings older = Load("[Adjustment]\nImage Gamma = 1.5\n");
    EXPECT_EQ(older.DragoExposure, 0.0f);
    EXPECT_EQ(older.DragoBias, 0.85f);
    EXPECT_EQ(older.DragoGamma, 1.0f);
    EXPECT_EQ(older.DragoSaturation, 1.0f);
    const ConversionSettings moved = Load(
        "[Tone Mapping]\nDrago Exposure = -2.5\nDrago Bias = 0.62\nDrago Gamma = 2.2\n"
        "Drago Saturation = 1.35\n");
    EXPECT_EQ(moved.DragoExposure, -2.5f);
    EXPECT_EQ(moved.DragoBias, 0.62f);
    EXPECT_EQ(moved.DragoGamma, 2.2f);
    EXPECT_EQ(moved.DragoSaturation, 1.35f);
}

TEST_F(ConfigurationFileTest, ReadingTakesTheKeysOfEveryFormat) {
    const ConversionSettings s = Load(
        "[General]\nCFG = 19\n[Input]\nRAW Tone Mapping = 4\nDDS Load As = 2\n"
        "TIFF Frame Loading = 3\n[Output]\nWEBP Quality = 50\nTIFF Compression = 6\n"
        "PNG Interlaced = 1\nDDS BPP = 32\n");
    EXPECT_EQ(s.RawToneMapping, 4);
    EXPECT_EQ(s.DdsLoadAs, 2);
    EXPECT_EQ(s.TiffFrameLoading, 3);
    EXPECT_EQ(s.WebpQuality, 50);
    EXPECT_EQ(s.TiffCompression, 6);
    EXPECT_EQ(s.PngInterlaced, 1);
    EXPECT_EQ(s.DdsBpp, 32);
}

TEST_F(ConfigurationFileTest, KeysOfUnlistedFormatsAreReadButNotWrittenBack) {
    ConversionSettings s = Load("[General]\nCFG = 19\n[Output]\nPNG Compression = 3\n");
    EXPECT_EQ(s.PngCompression, 3);
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    const std::string text = ReadFileBytes(m_path);
    EXPECT_EQ(text.find("PNG"), std::string::npos);
    EXPECT_EQ(GroupBody(text, "Output"),
              "Format = jpg\r\nJPG BPP = 0\r\nJPG Quality = 95\r\nJPG Chroma = 0\r\n"
              "JPG Save As = 0\r\nJPG Gain Map = 0\r\nJPG Gain Map Headroom = 3.000000\r\n"
              "JPG Gain Map Scale = 1\r\nJPG Gain Map Quality = 70\r\n");
    ASSERT_TRUE(LoadConfiguration(s, m_path, kDesktop));
    EXPECT_EQ(s.PngCompression, 0);
}

TEST_F(ConfigurationFileTest, FormatKeysFollowTheListsInListOrder) {
    ConversionSettings s = Defaults();
    s.RawLoadAs = 5;
    s.WebpQuality = 77;
    const std::string text = ConfigurationText(s, {"raw", "hdr", "dds"}, {"webp", "jpg", "webp"});
    EXPECT_EQ(GroupBody(text, "Input"),
              "Format = hdr\r\nRAW Load As = 5\r\nRAW Header Size = 0\r\nRAW Image Width = 0\r\n"
              "RAW Image Height = 0\r\nRAW Tone Mapping = 2\r\nDDS Load As = 0\r\n");
    EXPECT_EQ(GroupBody(text, "Output"),
              "Format = jpg\r\nWEBP BPP = 0\r\nWEBP Quality = 77\r\nJPG BPP = 0\r\n"
              "JPG Quality = 95\r\nJPG Chroma = 0\r\nJPG Save As = 0\r\nJPG Gain Map = 0\r\n"
              "JPG Gain Map Headroom = 3.000000\r\nJPG Gain Map Scale = 1\r\n"
              "JPG Gain Map Quality = 70\r\n");
    // Depth-only writers and the colour modes have their keys too.
    const std::string more = ConfigurationText(s, {"psd"}, {"psd", "tiff"});
    EXPECT_EQ(GroupBody(more, "Input"), "Format = hdr\r\nPSD Color Mode = 0\r\n");
    EXPECT_EQ(GroupBody(more, "Output"),
              "Format = jpg\r\nPSD BPP = 0\r\nTIFF BPP = 0\r\nTIFF Compression = 0\r\n"
              "TIFF Color Mode = 0\r\n");
}

TEST_F(ConfigurationFileTest, WindowEntriesOnlyWhenThePositionIsSaved) {
    ConversionSettings s = Defaults();
    s.SaveWindowPosition = 0;
    s.X = 3;
    s.Width = 800;
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    const std::string text = ReadFileBytes(m_path);
    EXPECT_NE(text.find("\r\n[Window]\r\n; \r\n[Interface]\r\n"), std::string::npos);
    ASSERT_TRUE(LoadConfiguration(s, m_path, kDesktop));
    EXPECT_EQ(s.SaveWindowPosition, 0);
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.Y, 100);
    EXPECT_EQ(s.Width, 510);
    EXPECT_EQ(s.Height, 260);
}

TEST_F(ConfigurationFileTest, MaskUpgradeBeforeLayoutEleven) {
    EXPECT_EQ(Load("[Advanced]\nFilename Mask = %filename%\n").FilenameMask, "%filename%.%ext%");
    EXPECT_EQ(Load("[General]\nCFG = 19\n[Advanced]\nFilename Mask = %filename%\n").FilenameMask,
              "%filename%");
    EXPECT_EQ(Load("[General]\nCFG = 11\n[Advanced]\nFilename Mask = %filename%\n").FilenameMask,
              "%filename%");
    EXPECT_EQ(Load("[General]\nCFG = 10\n[Advanced]\nFilename Mask = x_%ext%\n").FilenameMask,
              "x_%ext%");
    // The test is case-sensitive: "%EXT%" does not count.
    EXPECT_EQ(Load("[General]\nCFG = 10\n[Advanced]\nFilename Mask = a.%EXT%\n").FilenameMask,
              "a.%EXT%.%ext%");
}

TEST_F(ConfigurationFileTest, RawDepthUpgradeBeforeLayoutFourteen) {
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 1\n").RawLoadAs, 3);
    EXPECT_EQ(Load("[General]\nCFG = 14\n[Input]\nRAW Load As = 1\n").RawLoadAs, 1);
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 0\n").RawLoadAs, 0);
    EXPECT_EQ(Load("[Input]\nRAW Load As = 3\n").RawLoadAs, 5);
    // A clamped huge value stays at the top instead of overflowing.
    EXPECT_EQ(Load("[General]\nCFG = 1\n[Input]\nRAW Load As = 99999999999\n").RawLoadAs,
              std::numeric_limits<int32_t>::max());
}

TEST_F(ConfigurationFileTest, ColourModelUpgradeBeforeLayoutNineteen) {
    ConversionSettings s = Load(
        "[General]\nCFG = 18\n[Input]\nPSD Color Mode = 0\nPSD Color Model = 2\n"
        "[Output]\nTIFF Color Mode = 0\nTIFF Color Model = 1\n");
    EXPECT_EQ(s.PsdColorMode, 2);
    EXPECT_EQ(s.TiffColorMode, 1);
    EXPECT_EQ(s.Cfg, 18);  // kept as read; the next save writes 19
    EXPECT_EQ(GroupBody(ConfigurationText(s, {}, {}), "General").substr(0, 10), "CFG = 19\r\n");

    // An old key of 0 does not overwrite the current one.
    s = Load("[General]\nCFG = 18\n[Input]\nPSD Color Mode = 1\nPSD Color Model = 0\n");
    EXPECT_EQ(s.PsdColorMode, 1);
    // Current layouts ignore the old keys, and each old key counts only in its group.
    s = Load("[General]\nCFG = 19\n[Input]\nPSD Color Model = 2\n[Output]\nTIFF Color Model = 1\n");
    EXPECT_EQ(s.PsdColorMode, 0);
    EXPECT_EQ(s.TiffColorMode, 0);
    s = Load("[General]\nCFG = 5\n[Output]\nPSD Color Model = 2\n[Input]\nTIFF Color Model = 1\n");
    EXPECT_EQ(s.PsdColorMode, 0);
    EXPECT_EQ(s.TiffColorMode, 0);
    // All three upgrades apply to one very old file.
    s = Load("[Input]\nRAW Load As = 2\nPSD Color Model = 1\n[Advanced]\nFilename Mask = n\n");
    EXPECT_EQ(s.RawLoadAs, 4);
    EXPECT_EQ(s.PsdColorMode, 1);
    EXPECT_EQ(s.FilenameMask, "n.%ext%");
}

TEST_F(ConfigurationFileTest, LineBreaksInsideValuesCannotBreakTheFile) {
    ConversionSettings s = Defaults();
    s.Text = "first\nsecond\r\nthird\rfourth";
    s.RecentOutFolders = "/tmp/a\n/b\t/tmp/c";
    s.Font = "Ari\r\nal";
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    const std::string text = ReadFileBytes(m_path);
    EXPECT_NE(text.find("\r\nText = first%eol%second%eol%third%eol%fourth\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nRecent Out Folders = /tmp/a/b\t/tmp/c\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nFont = Arial\r\n"), std::string::npos);
    ConversionSettings back;
    ASSERT_TRUE(LoadConfiguration(back, m_path, kDesktop));
    EXPECT_EQ(back.Text, "first%eol%second%eol%third%eol%fourth");
    EXPECT_EQ(back.Fonts, s.Fonts);  // the entry after the text is intact
    EXPECT_EQ(back.RecentOutFolders, "/tmp/a/b\t/tmp/c");
    EXPECT_EQ(back.RecentFiles, "");
    // Written again, the file is the same: nothing else was disturbed.
    s.Text = back.Text;
    s.RecentOutFolders = back.RecentOutFolders;
    s.Font = back.Font;
    EXPECT_EQ(ConfigurationText(back, InputExtensions(), OutputExtensions()),
              ConfigurationText(s, InputExtensions(), OutputExtensions()));
}

TEST_F(ConfigurationFileTest, TabsAtTheEndsOfAValueSurvive) {
    ConversionSettings s = Defaults();
    s.RecentOutFolders = "\t/tmp/x/\t";
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    ASSERT_TRUE(LoadConfiguration(s, m_path, kDesktop));
    EXPECT_EQ(s.RecentOutFolders, "\t/tmp/x/\t");
}

// Spaces at the ends of a string value were lost on the way through the file.
TEST_F(ConfigurationFileTest, LeadingAndTrailingSpacesOfStringsSurvive) {
    ConversionSettings s = Defaults();
    s.Text = "  indented  ";
    s.Font = " Arial";
    s.FilenameMask = "\"quoted\"";       // plain quotes are no marker
    s.RecentFiles = "\" both ends \"";   // nor quotes around end spaces
    s.RecentOutFolders = "\"\"\"";
    ASSERT_TRUE(SaveConfiguration(s, m_path));
    EXPECT_NE(ReadFileBytes(m_path).find("\r\nText = \"  indented  \"\r\n"), std::string::npos);
    ConversionSettings back;
    ASSERT_TRUE(LoadConfiguration(back, m_path, kDesktop));
    EXPECT_EQ(back.Text, "  indented  ");
    EXPECT_EQ(back.Font, " Arial");
    EXPECT_EQ(back.FilenameMask, "\"quoted\"");
    EXPECT_EQ(back.RecentFiles, "\" both ends \"");
    EXPECT_EQ(back.RecentOutFolders, "\"\"\"");
}

TEST_F(ConfigurationFileTest, FilesWrittenBeforeQuotingReadAsBefore) {
    const ConversionSettings s = Load(
        "[Watermark]\nText =   spaced out   \nFont = \"Arial\"\n[Advanced]\n"
        "Filename Mask = \"\"\n");
    EXPECT_EQ(s.Text, "spaced out");
    EXPECT_EQ(s.Font, "\"Arial\"");
    EXPECT_EQ(s.FilenameMask, "\"\".%ext%");  // old layout: the mask gains its extension
}

TEST_F(ConfigurationFileTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
    Write("old");
    EXPECT_FALSE(SaveConfiguration(Defaults(), (m_folder / "absent" / "config.ini").string()));
    EXPECT_FALSE(fs::exists(m_folder / "absent"));
    if (geteuid() != 0) {
        fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(SaveConfiguration(Defaults(), m_path));
        fs::permissions(m_folder, fs::perms::owner_all);
    }
    EXPECT_EQ(ReadFileBytes(m_path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator{}), 1);
}

TEST_F(ConfigurationFileTest, ConfigFilePathCreatesTheFolders) {
    const std::string xdg = (m_folder / "xdg").string();
    {
        ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
        EXPECT_EQ(ConfigFilePath(), xdg + "/Lumavert/orvex/config.ini");
        EXPECT_TRUE(fs::is_directory(m_folder / "xdg" / "Lumavert" / "orvex"));
    }
    const std::string home = (m_folder / "home").string();
    fs::create_directory(home);
    ScopedEnv homeVar("HOME", home.c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(ConfigFilePath(), home + "/.config/Lumavert/orvex/config.ini");
    EXPECT_TRUE(fs::is_directory(m_folder / "home" / ".config" / "Lumavert" / "orvex"));
    EXPECT_FALSE(fs::exists(m_folder / "home" / ".config" / "Lumavert" / "orvex" / "config.ini"));
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// Dates are 64-bit: a time stamp after January 2038 survives a round trip.
TEST_F(ConfigurationFileTest, DatesPastTwentyThirtyEightRoundTrip) {
    ConversionSettings s;
    ResetSettingsToDefaults(s, false);
    s.CustomTimestamp = 4102444800;  // 2100-01-01
    s.UpdateDate = int64_t{1} << 40;
    const std::string text = ConfigurationText(s, {}, {});
    EXPECT_NE(text.find("Custom Timestamp = 4102444800\r\n"), std::string::npos);
    const ConversionSettings read = Load(text);
    EXPECT_EQ(read.CustomTimestamp, 4102444800);
    EXPECT_EQ(read.UpdateDate, int64_t{1} << 40);
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// Regression (found by the config fuzz target): a number of twenty digits
// overflowed while it was read, before it was clamped.
TEST_F(ConfigurationFileTest, NumbersOfAnyLengthAreClampedWithoutOverflow) {
    const ConversionSettings s = Load(
        "[General]\nUpdate Date = 99999999999999999999999999\n"
        "[Advanced]\nCustom Timestamp = -99999999999999999999999999\n"
        "[Output]\nJPG Quality = 4611686018427387904\n");
    EXPECT_EQ(s.UpdateDate, int64_t{1} << 62);
    EXPECT_EQ(s.CustomTimestamp, -(int64_t{1} << 62));
    EXPECT_EQ(s.JpgQuality, std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace orvex
