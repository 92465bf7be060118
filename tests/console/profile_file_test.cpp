// Profile files: the group "CLI", the profile's own value rules, and files
// that are not profiles at all.
#include "console/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "console/console_test_support.h"

namespace orvex {
namespace {

ConversionSettings Defaults() {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, true);
    return settings;
}

ConversionSettings Applied(const std::string& text) {
    ConversionSettings settings = Defaults();
    ApplyProfileText(text, settings);
    return settings;
}

TEST(ApplyProfileText, ReadsOnlyTheCliGroupWithCaseFreeKeys) {
    ConversionSettings s = Applied(
        "[General]\n--JPG-QUALITY=10\n"
        "[cli]\n--jpg-quality = 80\n  --Width=640\n; --HEIGHT=1\nnot a key line\n"
        "[Output]\n--JPG-QUALITY=20\n");
    EXPECT_EQ(s.JpgQuality, 80);
    EXPECT_EQ(s.ImageWidth, 640);
    EXPECT_EQ(s.DoImageResize, 1);
    EXPECT_EQ(s.ImageHeight, 0);
}

TEST(ApplyProfileText, ToleratesByteOrderMarksAndCrLf) {
    EXPECT_EQ(Applied("\xEF\xBB\xBF\r\n[CLI]\r\n--JPG-QUALITY = 70\r\n").JpgQuality, 70);
    // The same profile saved as UTF-16 by a Windows editor.
    std::string utf8 = "[CLI]\r\n--WM-FONT = Verdan\xC3\xA4\r\n";
    std::string utf16 = "\xFF\xFE";
    for (unsigned char c : std::string("[CLI]\r\n--WM-FONT = Verdan")) {
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    utf16 += std::string("\xE4\0\r\0\n\0", 6);
    EXPECT_EQ(Applied(utf16).Font, "Verdan\xC3\xA4");
    EXPECT_EQ(Applied(utf8).Font, "Verdan\xC3\xA4");
}

TEST(ApplyProfileText, FrameOpacityIsKnownOnlyUnderTheWatermarkKey) {
    EXPECT_EQ(Applied("[CLI]\n--FR-SOLID-OPACITY=128\n").SolidOpacity, 255);
    EXPECT_EQ(Applied("[CLI]\n--WM-SOLID-OPACITY=128\n").SolidOpacity, 128);
}

TEST(ApplyProfileText, RunOptionsAreNotProfileKeys) {
    ConversionSettings s = Applied(
        "[CLI]\n-i=a.hdr\n--INPUT=a.hdr\n-o=x\n-c=png\n--PROFILE=other.ini\n--DEBUG=1\n"
        "--QUIET=1\n--PAUSE=1\n--JPG-QUALITY=50\n");
    EXPECT_EQ(s.JpgQuality, 50);
}

TEST(ApplyProfileText, TextIsTrimmedWithQuotesKeptExceptTheMask) {
    ConversionSettings s = Applied(
        "[CLI]\n--WM-TEXT =   \"quoted text\"  \n--FILENAME-MASK = \" %filename% x.%ext%\"\n");
    EXPECT_EQ(s.Text, "\"quoted text\"");
    EXPECT_EQ(s.DoWatermark, 1);
    EXPECT_EQ(s.FilenameMask, " %filename% x.%ext%");
}

TEST(ApplyProfileText, EmptyValuesStoreZeroOrEmptyText) {
    ConversionSettings s = Applied("[CLI]\n--JPG-QUALITY=\n--WM-FONT=\n--RESIZE-ALGORITHM=\n");
    EXPECT_EQ(s.JpgQuality, 0);
    EXPECT_EQ(s.Font, "");
    EXPECT_EQ(s.ImageResizeAlgorithm, 0);
}

TEST(ApplyProfileText, UnknownKeysAreListedAsWrittenAndTheRestApplies) {
    ConversionSettings s = Defaults();
    ProfileFindings findings;
    ApplyProfileText("[CLI]\n--JPG-QUALTY = 50\n--FR-SOLID-OPACITY = 9\n--JPG-QUALITY = 60\n"
                     "[Other]\n--ALSO-UNKNOWN = 1\n",
                     s, &findings);
    EXPECT_EQ(findings.unknownKeys, (std::vector<std::string>{"--JPG-QUALTY", "--FR-SOLID-OPACITY"}));
    EXPECT_TRUE(findings.refusal.empty());
    EXPECT_EQ(s.JpgQuality, 60);
}

TEST(ApplyProfileText, AValueItsOptionCannotReadStopsTheProfile) {
    ConversionSettings s = Defaults();
    ProfileFindings findings;
    ApplyProfileText("[CLI]\n--Dither = FOO\n--JPG-QUALITY = 60\n", s, &findings);
    EXPECT_EQ(findings.refusal,
              "Invalid value for --Dither: FOO (accepted: one of FS, BAYER4, BAYER8, BAYER16, "
              "CLUSTER6, CLUSTER8, CLUSTER16)");
    EXPECT_EQ(s.JpgQuality, 95);
    // A colour keeps its quotes in a profile, so a quoted one is no colour.
    ProfileFindings quoted;
    ApplyProfileText("[CLI]\n--WM-FONT-COLOR = \"FF0000\"\n", s, &quoted);
    EXPECT_FALSE(quoted.refusal.empty());
}

TEST(ReadProfile, RefusesWhatIsNotARegularReadableFile) {
    test_support::ScopedTempFolder temp{"profile"};
    ConversionSettings s = Defaults();
    EXPECT_FALSE(ReadProfile("", s));
    EXPECT_FALSE(ReadProfile(temp.File("missing.ini"), s));
    EXPECT_FALSE(ReadProfile(temp.Path(), s));
    ASSERT_EQ(::mkfifo(temp.File("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadProfile(temp.File("fifo"), s));  // and does not wait for a writer
    std::string big = temp.File("big.ini");
    test_support::WriteFileBytes(big,
                                 "[CLI]\n--JPG-QUALITY=1\n" + std::string(kMaxProfileBytes, '#'));
    EXPECT_FALSE(ReadProfile(big, s));
    EXPECT_EQ(s.JpgQuality, 95);
}

}  // namespace
}  // namespace orvex
