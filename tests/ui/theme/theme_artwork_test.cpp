// Tests of this build's own artwork: the built-in pictures and the theme
// packages placed beside the program hold every picture the interface asks
// for, at the sizes it asks, and give sharp icons at a scale of 2.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <filesystem>
#include <memory>
#include <string>

#include "ui/theme/theme_loader.h"
#include "ui/theme/theme_pictures.h"

namespace orvex {
namespace {

std::string PackageFolder() {
    return std::filesystem::path(ORVEX_EXECUTABLE).parent_path().string() + "/gfx/";
}

void ExpectComplete(const PictureSet& set, const auto& names, int edge, const char* what) {
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(what) + " " + std::string(name));
        const ThemePicture& picture = ThemePictures::Find(set, name);
        ASSERT_FALSE(picture.IsNull());
        EXPECT_EQ(picture.Image.size(), QSize(edge, edge));
        EXPECT_EQ(picture.Image2x.size(), QSize(2 * edge, 2 * edge));
        EXPECT_TRUE(picture.Image.hasAlphaChannel());
    }
}

TEST(ThemeArtwork, BuiltinPicturesCoverEverySetAndSize) {
    for (int uiSize : {0, 1, 2, 3, 4, 7}) {
        SCOPED_TRACE(uiSize);
        ThemePictures pictures;
        FillBuiltinPictures(pictures, uiSize);
        EXPECT_EQ(pictures.ToolbarSize, ToolbarIconPixels(uiSize));
        ExpectComplete(pictures.ButtonImages, kButtonImageNames, 64, "button");
        ExpectComplete(pictures.SmallIcons, kIconNames, 16, "small icon");
        ExpectComplete(pictures.ToolbarIcons, kIconNames, pictures.ToolbarSize, "toolbar icon");
    }
}

TEST(ThemeArtwork, EveryPackageOfTheBuildReplacesEveryPicture) {
    const ThemeList themes = ListThemes({PackageFolder()});
    ASSERT_GE(themes.size(), 2u) << PackageFolder();
    ASSERT_TRUE(themes.count("handdrawn"));
    for (const auto& [id, info] : themes) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(info.Name.empty());
        for (int uiSize : {0, 3, 4}) {
            ConversionSettings settings;
            settings.UiTheme = id;
            settings.UiSize = uiSize;
            ThemePictures pictures;
            const ThemeLoadResult result = LoadTheme(settings, themes, pictures);
            EXPECT_EQ(settings.UiTheme, id);
            EXPECT_EQ(result.PicturesReplaced,
                      static_cast<int>(kButtonImageNames.size() + 2 * kIconNames.size()));
            ExpectComplete(pictures.ButtonImages, kButtonImageNames, 64, "button");
            ExpectComplete(pictures.SmallIcons, kIconNames, 16, "small icon");
            ExpectComplete(pictures.ToolbarIcons, kIconNames, ToolbarIconPixels(uiSize), "toolbar");
        }
    }
}

TEST(ThemeArtwork, IconsAtScaleTwoUseTheLargerDrawingUnscaled) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "theme_test";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    ThemePictures pictures;
    FillBuiltinPictures(pictures, 2);
    const ThemePicture& picture = ThemePictures::Find(pictures.ToolbarIcons, "Help");
    const QIcon icon = picture.Icon();
    const QPixmap sharp = icon.pixmap(QSize(32, 32), 2.0);
    // Pixmaps hold premultiplied pixels, so compare in that form.
    const auto premultiplied = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    EXPECT_EQ(sharp.size(), QSize(64, 64));
    EXPECT_EQ(premultiplied(sharp.toImage()), premultiplied(picture.Image2x));
    const QPixmap plain = icon.pixmap(QSize(32, 32), 1.0);
    EXPECT_EQ(plain.size(), QSize(32, 32));
    EXPECT_EQ(premultiplied(plain.toImage()), premultiplied(picture.Image));
}

}  // namespace
TEST(IconTables, NumbersAndNamesFollowTheFixedOrder) {
    ASSERT_EQ(IconIdentifierTable(1).size(), 3u);
    EXPECT_EQ(IconIdentifierTable(1)[2], (std::pair<std::string, int>{"InFolder", 4}));
    const auto& second = IconIdentifierTable(2);
    const auto& third = IconIdentifierTable(3);
    ASSERT_EQ(second.size(), 23u);
    ASSERT_EQ(third.size(), 23u);
    EXPECT_EQ(second.front().second, 5);
    EXPECT_EQ(second[21], (std::pair<std::string, int>{"About", 28}));
    EXPECT_EQ(third.front(), (std::pair<std::string, int>{"New", 29}));
    EXPECT_EQ(third[21], (std::pair<std::string, int>{"About", 52}));
    // The preview's picture takes a number free in both tables.
    EXPECT_EQ(second.back(), (std::pair<std::string, int>{"Preview", 23}));
    EXPECT_EQ(third.back(), (std::pair<std::string, int>{"Preview", 47}));
    EXPECT_TRUE(IconIdentifierTable(4).empty());
    // The picture-name lists the themes are loaded by are the tables' names.
    for (size_t i = 0; i < kButtonImageNames.size(); ++i)
        EXPECT_EQ(IconIdentifierTable(1)[i].first, kButtonImageNames[i]);
    ASSERT_EQ(kIconNames.size(), second.size());
    for (size_t i = 0; i < kIconNames.size(); ++i) EXPECT_EQ(second[i].first, kIconNames[i]);
}

}  // namespace orvex
