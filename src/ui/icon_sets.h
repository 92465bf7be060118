// The three picture sets of the desktop: large buttons, menu icons and main
// toolbar icons, each a map from picture name to icon.
#pragma once

#include <string>

#include "ui/commands.h"
#include "ui/theme/theme_pictures.h"

namespace orvex {

struct ConversionSettings;

struct IconSets {
    IconMap buttons;  // the Convert button's large pictures
    IconMap small;    // menu items, drop-down entries, mini toolbars
    IconMap toolbar;  // the main toolbar, at the UiSize size
    ThemePictures pictures;  // the pictures the icons are made from
};

// The built-in pictures overlaid by the theme named in UiTheme (which falls
// back to the first theme found, and is stored so, when its package is gone).
// `withButtons` etc. choose which sets are (re)loaded into `sets`.
void LoadIconSets(IconSets& sets, ConversionSettings& settings, const std::string& appFolder,
                  bool withButtons, bool withSmall, bool withToolbar);

// An icon from a set, or a null icon when the set lacks the name.
QIcon IconFor(const IconMap& set, const std::string& name);

}  // namespace orvex
