// Filling the picture sets from the built-in pictures and the active theme.
#include "ui/icon_sets.h"

#include "settings/conversion_settings.h"

namespace orvex {

void LoadIconSets(IconSets& sets, ConversionSettings& settings, const std::string& appFolder,
                  bool withButtons, bool withSmall, bool withToolbar) {
    (void)sets;
    (void)settings;
    (void)appFolder;
    (void)withButtons;
    (void)withSmall;
    (void)withToolbar;
}

QIcon IconFor(const IconMap& set, const std::string& name) {
    auto found = set.find(name);
    return found == set.end() ? QIcon() : found->second;
}

}  // namespace orvex
