#include "settings/file_name_mask.h"

#include <gtest/gtest.h>

#include <ctime>

#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

class FileNameMaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        project.InputPath = "/in/Sunset.HDR";
        project.OutputFolder = "/out/";
        project.OutputExtension = "jpg";
        project.FileCounter = 1;
        project.RandomNumber = 42;
        project.OutputBitDepth = 24;
        project.CurrentWidth = 640;
        project.CurrentHeight = 480;
        project.CurrentFrame = 1;
    }

    std::string Name(const std::string& mask) {
        settings.FilenameMask = mask;
        return ExpandFileNameMask(settings, project);
    }

    ConversionSettings settings;
    FileContext project;
};

TEST_F(FileNameMaskTest, PlaceholdersAreTheNineteenInProcessingOrder) {
    const auto& p = FileNamePlaceholders();
    ASSERT_EQ(p.size(), 19u);
    EXPECT_EQ(p.front(), "%filename%");
    EXPECT_EQ(p[4], "%ext%");
    EXPECT_EQ(p[13], "%bpp%");
    EXPECT_EQ(p.back(), "%n%");
}

TEST_F(FileNameMaskTest, DefaultAndEmptyMaskKeepTheNameAndUseTheOutputExtension) {
    EXPECT_EQ(Name("%filename%.%ext%"), "Sunset.jpg");
    EXPECT_EQ(Name(""), "Sunset.jpg");
}

TEST_F(FileNameMaskTest, MaskIsLowerCasedButTheInsertedNameKeepsItsCase) {
    EXPECT_EQ(Name("Photo_%FILENAME%_%n%.%EXT%"), "photo_Sunset_00001.jpg");
    // Unicode letters of the literal text are lower-cased as well.
    EXPECT_EQ(Name("ÄRGER_%filename%"), "ärger_Sunset");
}

TEST_F(FileNameMaskTest, CaseVariantsOfNameAndExtension) {
    EXPECT_EQ(Name("%filename[u]%.%ext[u]%"), "SUNSET.JPG");
    project.InputPath = "/in/sUNSET.hdr";
    EXPECT_EQ(Name("%filename[t]%.%ext[t]%"), "Sunset.Jpg");
    EXPECT_EQ(Name("%filename[l]%"), "sunset");
    project.InputPath = "/in/éCLAIR.hdr";
    EXPECT_EQ(Name("%filename[t]%"), "Éclair");
    EXPECT_EQ(Name("%filename[u]%"), "ÉCLAIR");
}

TEST_F(FileNameMaskTest, OnlyTheLastExtensionIsRemoved) {
    project.InputPath = "/in/README";
    EXPECT_EQ(Name("%filename%.%ext%"), "README.jpg");
    project.InputPath = "/in/archive.tar.hdr";
    EXPECT_EQ(Name("%filename%"), "archive.tar");
    project.InputPath = "/in.d/plain";  // a dot in the folder is not an extension
    EXPECT_EQ(Name("%filename%"), "plain");
}

TEST_F(FileNameMaskTest, PlaceholderTextInTheInputNameIsKept) {
    project.InputPath = "/in/shot_%ext%_%n%.hdr";
    EXPECT_EQ(Name("%filename%"), "shot_%ext%_%n%");
    project.InputPath = "/in/x%EXT%.hdr";
    EXPECT_EQ(Name("%filename%"), "x%EXT%");
}

TEST_F(FileNameMaskTest, NumbersArePaddedToFiveDigitsAndNeverCut) {
    EXPECT_EQ(Name("%rnd%-%n%"), "00042-00001");
    project.FileCounter = 99999;
    EXPECT_EQ(Name("%n%"), "99999");
    project.FileCounter = 123456;
    project.RandomNumber = 7;
    EXPECT_EQ(Name("%n%_%rnd%"), "123456_00007");
}

TEST_F(FileNameMaskTest, DepthSizeAndFrameComeFromTheJob) {
    EXPECT_EQ(Name("%width%x%height%_%bpp%_%frame%"), "640x480_24_1");
}

TEST_F(FileNameMaskTest, DateAndTimeComeFromTheLocalClock) {
    const std::time_t before = std::time(nullptr);
    const std::string stamp = Name("%yyyy%-%mm%-%dd% %hh%:%ii%:%ss%");
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(stamp.size(), 19u);
    auto format = [](std::time_t t) {
        std::tm local{};
        localtime_r(&t, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return std::string(text);
    };
    EXPECT_TRUE(stamp == format(before) || stamp == format(after)) << stamp;
}

TEST_F(FileNameMaskTest, ExpandPlaceholderReplacesEveryExactOccurrence) {
    EXPECT_EQ(ExpandPlaceholder("%ext%-%ext%-%EXT%", "%ext%", settings, project), "jpg-jpg-%EXT%");
    EXPECT_EQ(ExpandPlaceholder("a%unknown%b", "%unknown%", settings, project), "a%unknown%b");
}

TEST_F(FileNameMaskTest, WatermarkTextReplacesOnlyLowerCasePlaceholders) {
    settings.Text = "Shot %filename% / %FILENAME% (%Width%x%height%)";
    EXPECT_EQ(ExpandWatermarkText(settings, project), "Shot Sunset / %FILENAME% (%Width%x480)");
}

TEST_F(FileNameMaskTest, WatermarkTextWithFewerThanTwoPercentSignsIsUnchanged) {
    settings.Text = "100% Sunset";
    EXPECT_EQ(ExpandWatermarkText(settings, project), "100% Sunset");
    settings.Text = "No Placeholders Here";
    EXPECT_EQ(ExpandWatermarkText(settings, project), "No Placeholders Here");
}

TEST_F(FileNameMaskTest, OutputPathAddsTheSubfolderOnlyWhenKept) {
    project.InputSubfolder = "trip/day1/";
    settings.KeepSubfolders = 1;
    EXPECT_EQ(BuildOutputPath(settings, project), "/out/trip/day1/Sunset.jpg");
    settings.KeepSubfolders = 0;
    EXPECT_EQ(BuildOutputPath(settings, project), "/out/Sunset.jpg");
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// Regression: a value once inserted was searched again by later placeholders.
TEST(FileNameMaskOnePass, InsertedValuesAreNeverExpandedAgain) {
    ConversionSettings settings;
    FileContext file;
    file.OutputExtension = "jpg";
    file.FileCounter = 1;
    file.InputPath = "/in/rep%n%.hdr";
    EXPECT_EQ(ExpandFileNameMask(settings, file), "rep%n%.jpg");
    file.InputPath = "/in/x%ext%.hdr";
    EXPECT_EQ(ExpandFileNameMask(settings, file), "x%ext%.jpg");
    settings.Text = "%filename% %n%";
    EXPECT_EQ(ExpandWatermarkText(settings, file), "x%ext% 00001");
}

TEST(FileNameMaskOnePass, OnlyPlainFileNamesAreOutputs) {
    EXPECT_TRUE(IsPlainFileName("a.jpg"));
    EXPECT_TRUE(IsPlainFileName("..a.jpg"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName("."));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName("../../x_a.jpg"));
    EXPECT_FALSE(IsPlainFileName("sub/a.jpg"));
}

}  // namespace
}  // namespace orvex
