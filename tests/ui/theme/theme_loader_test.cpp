// Tests of the theme loader against packages the tests write: listing and
// display names, the size rule of picture names, the fall-back to another
// theme, and packages that are broken or built to exhaust the reader.
#include "ui/theme/theme_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QColor>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/configuration_file.h"
#include "support/temp_folder.h"
#include "text/ini_reader.h"
#include "ui/theme/theme_archive.h"
#include "ui/theme/zip_writer.h"

namespace orvex {
namespace {

using test_support::MakePng;
using test_support::MakeZip;
using test_support::ScopedTempFolder;
using test_support::ZipEntry;

// Colours that tell the pictures apart; the built-in stand-ins are grey.
const QColor kGrey(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255, 200);  // half transparent: alpha must survive

QColor CentreOf(const ThemePicture& picture) {
    const QImage& image = picture.Image;
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Every slot of every set holds a grey picture of its set's size, so a test
// sees exactly which slots a load replaced.
ThemePictures GreyPictures(int toolbarSize) {
    ThemePictures pictures;
    const auto fill = [](PictureSet& set, const auto& names, int edge) {
        for (std::string_view name : names) {
            QImage image(edge, edge, QImage::Format_ARGB32);
            image.fill(kGrey);
            set[std::string(name)].Image = image;
        }
    };
    fill(pictures.ButtonImages, kButtonImageNames, 16);
    fill(pictures.SmallIcons, kIconNames, 16);
    fill(pictures.ToolbarIcons, kIconNames, toolbarSize);
    pictures.ToolbarSize = toolbarSize;
    return pictures;
}

// A package whose "Icons" name "New" and "Help" without extension, drawn red
// at 16, green at 48 and blue at 96 pixels, and whose button "Convert" names
// a file with ".png".
std::vector<ZipEntry> SizedPackage() {
    return {
        {"theme.cfg",
         "[Theme]\r\nName=Sized\r\n[Buttons]\r\nConvert=Big/Convert.PNG\r\n"
         "[Icons]\r\nNew=icons/new\r\nHelp = icons/help \r\n"},
        {"icons/new_16.png", MakePng(16, kRed)},
        {"icons/new_48.png", MakePng(48, kGreen)},
        {"icons/new_96.png", MakePng(96, kBlue)},
        {"icons/help_16.png", MakePng(16, kRed)},
        {"icons/help_48.png", MakePng(48, kGreen)},
        {"big/convert.png", MakePng(64, kBlue)},
        {"big/convert@2x.png", MakePng(128, kBlue)},
    };
}

class ThemeLoaderTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& id, const std::string& bytes) {
        return folder.WriteFile(id + ".zip", bytes);
    }
    ThemeList List() { return ListThemes({folder.Path()}); }

    ScopedTempFolder folder{"themes"};
    ConversionSettings settings;
};

TEST_F(ThemeLoaderTest, ListsEveryPackageWithItsDisplayName) {
    Write("sized", MakeZip(SizedPackage()));
    Write("nameless", MakeZip({{"theme.cfg", "[Icons]\nNew=icons/new\nName=Not this\n"}}));
    Write("empty", "");
    Write("garbage", "this is not a ZIP archive");
    folder.WriteFile("notes.txt", "not a package");
    std::filesystem::create_directory(folder.File("folder.zip"));

    const ThemeList themes = List();
    std::vector<std::string> ids;
    for (const auto& [id, info] : themes) ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<std::string>{"empty", "garbage", "nameless", "sized"}));
    EXPECT_EQ(themes.at("sized").Name, "Sized");
    EXPECT_EQ(themes.at("sized").Path, folder.File("sized.zip"));
    // No group "Theme", an empty file and a broken one: listed, without a name.
    EXPECT_EQ(themes.at("nameless").Name, "");
    EXPECT_EQ(themes.at("empty").Name, "");
    EXPECT_EQ(themes.at("garbage").Name, "");
    EXPECT_EQ(ReadThemeName(folder.File("missing.zip")), "");
    // A FIFO in a package's place is passed over instead of waited on.
    ASSERT_EQ(mkfifo(folder.File("fifo.zip").c_str(), 0600), 0);
    EXPECT_EQ(ReadThemeName(folder.File("fifo.zip")), "");
    EXPECT_EQ(List().count("fifo"), 0u);
}

TEST_F(ThemeLoaderTest, EarlierFolderWinsForTheSameId) {
    ScopedTempFolder installed("installed");
    Write("same", MakeZip({{"theme.cfg", "[Theme]\nName=Beside the program\n"}}));
    installed.WriteFile("same.zip", MakeZip({{"theme.cfg", "[Theme]\nName=Installed\n"}}));
    installed.WriteFile("other.zip", MakeZip({{"theme.cfg", "[Theme]\nName=Other\n"}}));

    const ThemeList themes =
        ListThemes({folder.Path(), installed.Path(), folder.File("no such folder/")});
    ASSERT_EQ(themes.size(), 2u);
    EXPECT_EQ(themes.at("same").Name, "Beside the program");
    EXPECT_EQ(themes.at("other").Name, "Other");
    EXPECT_EQ(
        ThemeFolders("/opt/orvex/bin/"),
        (std::vector<std::string>{"/opt/orvex/bin/gfx/", "/opt/orvex/bin/../share/orvex/gfx/"}));
}

TEST_F(ThemeLoaderTest, UiSize3TakesToolbarIconsFromThe48PixelEntries) {
    Write("sized", MakeZip(SizedPackage()));
    settings.UiTheme = "sized";
    settings.UiSize = 3;
    ThemePictures pictures = GreyPictures(16);

    const ThemeLoadResult result = LoadTheme(settings, List(), pictures);
    EXPECT_TRUE(result.PackageRead) << result.Problem;
    EXPECT_EQ(pictures.ToolbarSize, 48);

    const ThemePicture& toolbarNew = pictures.ToolbarIcons["New"];
    EXPECT_EQ(toolbarNew.Image.size(), QSize(48, 48));
    EXPECT_EQ(CentreOf(toolbarNew), kGreen);
    // The 96-pixel drawing serves a scale of 2, with its alpha intact.
    EXPECT_EQ(toolbarNew.Image2x.size(), QSize(96, 96));
    EXPECT_EQ(toolbarNew.Image2x.pixelColor(10, 10), kBlue);
    EXPECT_TRUE(pictures.ToolbarIcons["Help"].Image2x.isNull());

    // Small icons keep the 16-pixel entries whatever the toolbar size.
    EXPECT_EQ(pictures.SmallIcons["New"].Image.size(), QSize(16, 16));
    EXPECT_EQ(CentreOf(pictures.SmallIcons["New"]), kRed);
    EXPECT_EQ(CentreOf(pictures.SmallIcons["Help"]), kRed);
    // Names the theme does not map keep their pictures.
    EXPECT_EQ(CentreOf(pictures.ToolbarIcons["Web"]), kGrey);
    EXPECT_EQ(CentreOf(pictures.SmallIcons["Exit"]), kGrey);
    EXPECT_EQ(result.PicturesReplaced, 5);  // button, two small, two toolbar
}

TEST_F(ThemeLoaderTest, ValueNamingAPngIsUsedAsItIsAtEverySize) {
    Write("sized", MakeZip({{"theme.cfg",
                             "[Theme]\nName=Fixed\n[Buttons]\nConvert=big/convert.png\n"
                             "[Icons]\nNew=one.png\nHelp=one.png_48\n"},
                            {"big/convert.png", MakePng(64, kBlue)},
                            {"big/convert@2x.png", MakePng(128, kBlue)},
                            {"one.png", MakePng(20, kGreen)},
                            {"one.png_48", MakePng(48, kRed)}}));
    settings.UiTheme = "sized";
    for (int uiSize : {0, 3, 4}) {
        settings.UiSize = uiSize;
        ThemePictures pictures = GreyPictures(16);
        LoadTheme(settings, List(), pictures);
        SCOPED_TRACE(uiSize);
        EXPECT_EQ(pictures.ButtonImages["Convert"].Image.size(), QSize(64, 64));
        EXPECT_EQ(pictures.ButtonImages["Convert"].Image2x.size(), QSize(128, 128));
        EXPECT_EQ(pictures.ToolbarIcons["New"].Image.size(), QSize(20, 20));
        EXPECT_EQ(pictures.SmallIcons["New"].Image.size(), QSize(20, 20));
        // ".png" anywhere in the value counts, so "one.png_48" is taken as is too.
        EXPECT_EQ(CentreOf(pictures.ToolbarIcons["Help"]), kRed);
    }
}

TEST_F(ThemeLoaderTest, DeletedThemeFallsBackToTheFirstAndIsStored) {
    Write("beta", MakeZip(SizedPackage()));
    Write("alpha", MakeZip(SizedPackage()));
    const ThemeList themes = List();
    std::filesystem::remove(folder.File("beta.zip"));  // gone since the listing
    settings.UiTheme = "beta";
    settings.UiSize = 0;
    ThemePictures pictures = GreyPictures(16);

    EXPECT_TRUE(LoadTheme(settings, themes, pictures).PackageRead);
    EXPECT_EQ(settings.UiTheme, "alpha");
    EXPECT_EQ(CentreOf(pictures.ToolbarIcons["New"]), kRed);
    const std::string config = ConfigurationText(settings, {"hdr"}, {"jpg"});
    EXPECT_EQ(ReadIniValue(config, "Interface", "UI Theme"), "alpha");

    // A theme unknown to the list falls back the same way; with no package
    // at all nothing changes.
    settings.UiTheme = "never-installed";
    LoadTheme(settings, themes, pictures);
    EXPECT_EQ(settings.UiTheme, "alpha");
    settings.UiTheme = "beta";
    EXPECT_FALSE(LoadTheme(settings, {}, pictures).PackageRead);
    EXPECT_EQ(settings.UiTheme, "beta");
}

TEST_F(ThemeLoaderTest, ReloadingOnlyTheToolbarLeavesTheOtherSets) {
    Write("sized", MakeZip(SizedPackage()));
    settings.UiTheme = "sized";
    settings.UiSize = 3;
    ThemePictures pictures = GreyPictures(16);
    LoadTheme(settings, List(), pictures, PictureSets{false, false, true});
    EXPECT_EQ(CentreOf(pictures.ToolbarIcons["New"]), kGreen);
    EXPECT_EQ(CentreOf(pictures.SmallIcons["New"]), kGrey);
    EXPECT_EQ(CentreOf(pictures.ButtonImages["Convert"]), kGrey);
}

// The pictures must stay as they were after each of these packages.
struct HostilePackage {
    const char* what;
    std::string bytes;
};

std::vector<HostilePackage> HostilePackages() {
    const std::string cfg = "[Theme]\nName=Hostile\n[Icons]\nNew=icons/new\n";
    std::vector<HostilePackage> packages;
    // A real picture followed by three megabytes of zeros, which deflate to a
    // few kilobytes; the picture would decode if the entry were unpacked.
    packages.push_back({"zip bomb", MakeZip({{"theme.cfg", cfg},
                                             {"icons/new_16.png",
                                              MakePng(16, kRed) + std::string(3 << 20, '\0')}})});
    // Within the expansion limit but above the size limit of an entry.
    std::string large = MakePng(16, kRed);
    large.resize(5u << 20, '\x01');
    packages.push_back(
        {"oversized entry", MakeZip({{"theme.cfg", cfg}, {"icons/new_16.png", large}},
                                    /*deflate=*/false)});
    const std::string good = MakeZip({{"theme.cfg", cfg}, {"icons/new_16.png", MakePng(16, kRed)}});
    packages.push_back({"truncated archive", good.substr(0, good.size() / 2)});
    packages.push_back({"archive missing its last bytes", good.substr(0, good.size() - 10)});
    std::vector<ZipEntry> crowd = {{"theme.cfg", cfg}, {"icons/new_16.png", MakePng(16, kRed)}};
    for (int i = 0; i < 4100; ++i) crowd.push_back({"filler/" + std::to_string(i), "x"});
    packages.push_back({"too many entries", MakeZip(crowd)});
    packages.push_back({"picture that is no picture",
                        MakeZip({{"theme.cfg", cfg}, {"icons/new_16.png", "not a PNG"}})});
    packages.push_back({"no theme.cfg", MakeZip({{"icons/new_16.png", MakePng(16, kRed)}})});
    // A PNG header declaring a picture far larger than any interface picture.
    QImage huge(2000, 1, QImage::Format_ARGB32);
    huge.fill(kRed);
    const std::string hugePng = test_support::EncodePng(huge);
    packages.push_back(
        {"oversized picture", MakeZip({{"theme.cfg", cfg}, {"icons/new_16.png", hugePng}})});
    return packages;
}

TEST_F(ThemeLoaderTest, HostilePackagesLeaveThePicturesAsTheyWere) {
    settings.UiTheme = "hostile";
    settings.UiSize = 0;
    for (const HostilePackage& package : HostilePackages()) {
        SCOPED_TRACE(package.what);
        Write("hostile", package.bytes);
        ThemePictures pictures = GreyPictures(16);
        const ThemeLoadResult result = LoadTheme(settings, List(), pictures);
        EXPECT_EQ(result.PicturesReplaced, 0);
        EXPECT_EQ(CentreOf(pictures.SmallIcons["New"]), kGrey);
        EXPECT_EQ(CentreOf(pictures.ToolbarIcons["New"]), kGrey);
        EXPECT_EQ(settings.UiTheme, "hostile");
    }
}

TEST(ThemeArchiveTest, RefusesTheBombButStillReadsTheRestOfThePackage) {
    ScopedTempFolder folder("archive");
    const std::string path = folder.WriteFile(
        "p.zip", MakeZip({{"bomb", std::string(1 << 20, 'a')},
                          {"Text.cfg", std::string(2000, 'b')},  // small texts may compress well
                          {"ok.png", MakePng(16, kRed)}}));
    ThemeArchive archive;
    ASSERT_TRUE(archive.Open(path)) << archive.Problem();
    EXPECT_TRUE(archive.Contains("BOMB"));
    std::map<std::string, std::string> found;
    ASSERT_TRUE(archive.Unpack({"bomb", "text.CFG", "ok.png", "missing"}, found));
    EXPECT_EQ(found.count("bomb"), 0u);
    EXPECT_EQ(found.count("missing"), 0u);
    EXPECT_EQ(found["text.CFG"], std::string(2000, 'b'));
    EXPECT_EQ(found["ok.png"], MakePng(16, kRed));
}

}  // namespace
}  // namespace orvex
