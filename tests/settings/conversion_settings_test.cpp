#include "settings/conversion_settings.h"

#include <gtest/gtest.h>

#include "settings/program_identity.h"
#include "settings/project_state.h"

namespace orvex {
namespace {

TEST(ResetSettingsToDefaults, FirstDesktopStartHasDesktopDefaults) {
    ConversionSettings s;
    s.JpgQuality = 3;
    s.Text = "changed";
    ResetSettingsToDefaults(s, false);
    EXPECT_EQ(s.KeepAspectRatio, 1);
    EXPECT_EQ(s.JpgQuality, 95);
    EXPECT_EQ(s.WebpQuality, 100);
    EXPECT_EQ(s.ImageResizeAlgorithm, 3);
    EXPECT_EQ(s.TextPosition, 8);
    EXPECT_EQ(s.ImagePosition, 8);
    EXPECT_EQ(s.BackOpacity, 1);
    EXPECT_EQ(s.RawToneMapping, 2);
    EXPECT_EQ(s.Cfg, 19);
    EXPECT_EQ(s.InputFormat, "hdr");
    EXPECT_EQ(s.OutputFormat, "jpg");
    EXPECT_EQ(s.Text, kNoticeLine);
    EXPECT_EQ(s.FilenameMask, "%filename%.%ext%");
}

TEST(ResetSettingsToDefaults, ConsoleDiffersOnlyInKeepAspectRatio) {
    ConversionSettings desktop, console;
    ResetSettingsToDefaults(desktop, false);
    ResetSettingsToDefaults(console, true);
    EXPECT_EQ(console.KeepAspectRatio, 0);
    console.KeepAspectRatio = desktop.KeepAspectRatio;
    console.UpdateDate = desktop.UpdateDate;
    console.CustomTimestamp = desktop.CustomTimestamp;
    EXPECT_EQ(console.JpgQuality, desktop.JpgQuality);
    EXPECT_EQ(console.X, desktop.X);
    EXPECT_EQ(console.Text, desktop.Text);
}

TEST(ResetSettingsToDefaults, CentresTheDefaultWindowOnTheDesktop) {
    ConversionSettings s;
    s.Width = 900;  // the centring uses the default size, not the current one
    ResetSettingsToDefaults(s, false, DesktopSize{1920, 1080});
    EXPECT_EQ(s.X, 705);
    EXPECT_EQ(s.Y, 410);
    ResetSettingsToDefaults(s, false, DesktopSize{500, 1080});
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.Y, 410);
    ResetSettingsToDefaults(s, false, DesktopSize{510, 260});
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.Y, 100);
    ResetSettingsToDefaults(s, true);
    EXPECT_EQ(s.X, 100);
    EXPECT_EQ(s.Y, 100);
}

TEST(ResetSettingsToDefaults, DepthsDefaultToAutomatic) {
    ConversionSettings s;
    s.JpgBpp = 24;
    s.TiffBpp = 8;
    ResetSettingsToDefaults(s, false);
    for (int32_t bpp : {s.BmpBpp, s.DdsBpp, s.ExrBpp, s.GifBpp, s.HdrBpp, s.IcoBpp, s.J2kBpp,
                        s.JngBpp, s.Jp2Bpp, s.JpgBpp, s.JxrBpp, s.PbmBpp, s.PcxBpp, s.PfmBpp,
                        s.PgmBpp, s.PngBpp, s.PpmBpp, s.PsdBpp, s.TgaBpp, s.TiffBpp, s.WbmpBpp,
                        s.WebpBpp, s.XpmBpp})
        EXPECT_EQ(bpp, 0);
}

TEST(ResetSettingsToDefaults, DatesAreTheCurrentLocalMoment) {
    ConversionSettings s;
    const Date before = CurrentLocalDate();
    ResetSettingsToDefaults(s, true);
    const Date after = CurrentLocalDate();
    EXPECT_GE(s.UpdateDate, before);
    EXPECT_LE(s.UpdateDate, after);
    EXPECT_EQ(s.CustomTimestamp, s.UpdateDate);
}

TEST(ProgramIdentity, VersionTextAndTitle) {
    EXPECT_EQ(VersionText(310), "3.1");
    EXPECT_EQ(VersionText(311), "3.1.1");
    EXPECT_EQ(VersionText(300), "3.0");
    EXPECT_EQ(WindowTitleText(), "Lumavert Orvex 3.1");
    EXPECT_EQ(MakerName(), "Lumavert");
    EXPECT_EQ(std::string(kInternalName), "orvex");
    EXPECT_EQ(InputExtensions(), std::vector<std::string>{"hdr"});
    EXPECT_EQ(OutputExtensions(), std::vector<std::string>{"jpg"});
}

TEST(ProjectState, ResetClearsTheJob) {
    ProjectState p;
    p.InputPath = "/x.hdr";
    p.FileCounter = 7;
    p.FilesAtOnce = 2;
    ResetProjectState(p, "/opt/orvex/");
    EXPECT_EQ(p.AppFolder, "/opt/orvex/");
    EXPECT_EQ(p.ProjectFile, "untitled.lmv");
    EXPECT_EQ(p.FileCounter, 1);
    EXPECT_GE(p.RandomNumber, 1);
    EXPECT_LE(p.RandomNumber, 99999);
    EXPECT_TRUE(p.InputPath.empty());
    EXPECT_EQ(p.FilesAtOnce, 0);
}

}  // namespace
}  // namespace orvex
