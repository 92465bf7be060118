// The desktop's "config.ini": location, lenient reading with the upgrades of
// older layouts, and atomic writing in the exact layout.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"

namespace orvex {

// $XDG_CONFIG_HOME (or $HOME/.config) + "/Lumavert/orvex/config.ini",
// creating the two folders when missing.
std::string ConfigFilePath();

// Fills `settings` from the file, or from the desktop defaults when it cannot
// be opened, then applies the upgrades. Returns whether the file was read.
bool LoadConfiguration(ConversionSettings& settings, const std::string& path,
                       std::optional<DesktopSize> desktop = std::nullopt);

// Writes the file through a temporary file renamed into place; a failure is
// silent and leaves the old file intact. Returns whether it was written.
bool SaveConfiguration(const ConversionSettings& settings, const std::string& path);

// The complete file as SaveConfiguration writes it, with the format-specific
// keys of the given reader groups and writer extensions (SaveConfiguration
// passes the lists of this build).
std::string ConfigurationText(const ConversionSettings& settings,
                              const std::vector<std::string>& inputExtensions,
                              const std::vector<std::string>& outputExtensions);

}  // namespace orvex
