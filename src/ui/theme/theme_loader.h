// Interface themes: finding the theme packages, their display names, and
// loading the chosen theme's pictures over the current ones.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"
#include "ui/theme/theme_pictures.h"

namespace orvex {

// A theme package found on disk.
struct ThemeInfo {
    std::string Name;  // display name from its "theme.cfg", "" when it has none
    std::string Path;  // the package file
};

// Theme id (the package file name without ".zip") -> package, in id order.
using ThemeList = std::map<std::string, ThemeInfo>;

// The folders holding theme packages, in the order they are searched: the
// "gfx/" folder beside the program (build tree, portable use), then the
// installed data folder "../share/orvex/gfx/". `appFolder` ends with "/".
std::vector<std::string> ThemeFolders(const std::string& appFolder);

// Every "*.zip" file in the folders (folders themselves and other entries are
// passed over). An id found in two folders is taken from the earlier one.
ThemeList ListThemes(const std::vector<std::string>& folders);

// The "Name" of group "Theme" in the package's "theme.cfg"; "" when the
// package is missing, empty, unreadable or names no theme.
std::string ReadThemeName(const std::string& packagePath);

// What a load did, for a debug line; the interface reports nothing.
struct ThemeLoadResult {
    bool PackageRead = false;  // the package opened and its "theme.cfg" was found
    int PicturesReplaced = 0;  // slots that received a picture from the package
    std::string Problem;       // why nothing was loaded, when so
};

// Overlays the chosen sets with the pictures of the theme `settings.UiTheme`.
// When that theme's package is gone and `themes` is not empty, the first
// theme of the list is used instead and its id stored in `settings.UiTheme`.
// Each picture name of a set is looked up in group "Buttons" or "Icons" of
// "theme.cfg"; a value without ".png" names the picture drawn for the set's
// size (value + "_" + size + ".png", and the one of twice the size for a
// scale of 2), a value with ".png" is used as it is (with value's "@2x.png"
// twin for a scale of 2). The toolbar set takes the size of `settings.UiSize`.
// A missing or undecodable picture leaves its slot as it was; a broken or
// hostile package leaves every slot as it was.
// Callers fill the sets from the built-in pictures first (FillBuiltinPictures
// with the same `UiSize`), so every slot holds a picture of the right size
// even where the theme has none.
ThemeLoadResult LoadTheme(ConversionSettings& settings, const ThemeList& themes,
                          ThemePictures& pictures, PictureSets sets = {});

}  // namespace orvex
