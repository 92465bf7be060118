// The pictures of the desktop interface: three sets of named pictures, filled
// from the built-in artwork and then overlaid by the chosen theme.
#pragma once

#include <QIcon>
#include <QImage>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvex {

// Names of the large button pictures (the Convert button and its kin).
inline constexpr std::array<std::string_view, 3> kButtonImageNames = {"Convert", "InFiles",
                                                                      "InFolder"};

// Names of the menu icons; the toolbar icons use the same names.
// clang-format off
inline constexpr std::array<std::string_view, 23> kIconNames = {
    "New", "Add", "InFiles", "InFolder", "OutFolder", "OutFormat", "FavFolder",
    "ImportFiles", "ExportFiles", "Exit", "Copy", "Delete", "SelectAll", "Convert",
    "Error", "Preferences", "CustomConverter", "Help", "Email", "Web", "Updates", "About",
    "Preview"};
// clang-format on

using IconTable = std::vector<std::pair<std::string, int>>;
// Tables 1 to 3 of icon names and image numbers, in their fixed order: the
// buttons, the menu icons and the toolbar icons (the menu's numbers moved up
// by 24). The name lists above follow tables 1 and 2.
const IconTable& IconIdentifierTable(int table);

// The edge in pixels of the toolbar icons for the `UiSize` setting:
// 0 -> 16, 1 -> 24, 2 -> 32, 3 -> 48, 4 -> 64, anything else -> 16.
int ToolbarIconPixels(int32_t uiSize);

// One picture slot: the picture at its set's size and, when there is one, the
// same picture drawn at twice that size for screens with a scale of 2.
struct ThemePicture {
    QImage Image;
    QImage Image2x;

    bool IsNull() const { return Image.isNull(); }
    // An icon holding both pictures, so a scale of 2 takes the larger
    // drawing instead of enlarging the smaller one. Needs a GUI application.
    QIcon Icon() const;
};

using PictureSet = std::map<std::string, ThemePicture>;

// The three sets of the interface.
struct ThemePictures {
    PictureSet ButtonImages;  // group "Buttons", 16 px entries (or named files)
    PictureSet SmallIcons;    // group "Icons", 16 px
    PictureSet ToolbarIcons;  // group "Icons", ToolbarSize px
    int ToolbarSize = 16;

    // The picture of that name, or an empty one when the set has none.
    static const ThemePicture& Find(const PictureSet& set, std::string_view name);
};

// Which sets a load touches.
struct PictureSets {
    bool Buttons = true;
    bool SmallIcons = true;
    bool ToolbarIcons = true;
};

// Fills the chosen sets from the artwork compiled into the program, the
// toolbar icons at the size of `uiSize` (which also sets ToolbarSize). Every
// name of the sets gets a picture.
void FillBuiltinPictures(ThemePictures& pictures, int32_t uiSize, PictureSets sets = {});

// Decodes a PNG (or other image Qt reads) from memory, keeping its alpha
// channel. A null image when the data is not a picture or is larger than any
// interface picture could be.
QImage DecodePicture(const std::string& bytes);

}  // namespace orvex
