// Filling the picture sets from the built-in pictures and the active theme.
#include "ui/icon_sets.h"

#include "settings/conversion_settings.h"
#include "ui/theme/theme_loader.h"

namespace orvex {

namespace {

IconMap ToIcons(const PictureSet& set) {
    IconMap icons;
    for (const auto& [name, picture] : set) {
        if (!picture.IsNull()) icons[name] = picture.Icon();
    }
    return icons;
}

}  // namespace

void LoadIconSets(IconSets& sets, ConversionSettings& settings, const std::string& appFolder,
                  bool withButtons, bool withSmall, bool withToolbar) {
    const PictureSets chosen{withButtons, withSmall, withToolbar};
    // The built-in artwork first, so a theme that lacks a picture still
    // leaves one in its place.
    FillBuiltinPictures(sets.pictures, settings.UiSize, chosen);
    LoadTheme(settings, ListThemes(ThemeFolders(appFolder)), sets.pictures, chosen);
    if (withButtons) sets.buttons = ToIcons(sets.pictures.ButtonImages);
    if (withSmall) sets.small = ToIcons(sets.pictures.SmallIcons);
    if (withToolbar) sets.toolbar = ToIcons(sets.pictures.ToolbarIcons);
}

QIcon IconFor(const IconMap& set, const std::string& name) {
    auto found = set.find(name);
    return found == set.end() ? QIcon() : found->second;
}

}  // namespace orvex
