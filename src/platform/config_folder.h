// The per-user configuration folder below $XDG_CONFIG_HOME (or ~/.config).
#pragma once

#include <string>

namespace orvex {

// The base of per-user configuration: $XDG_CONFIG_HOME when it is set to an
// absolute path, otherwise $HOME/.config (the home folder of the account when
// HOME is unset). Ends with "/".
std::string UserConfigBase();

// UserConfigBase() + makerFolder + "/" + programFolder + "/", creating the
// missing folders (private to the user) on the way. The path is returned even
// when a folder could not be created; reading and writing there then fail
// quietly and the caller falls back to its defaults.
std::string ConfigFolder(const std::string& makerFolder, const std::string& programFolder);

}  // namespace orvex
