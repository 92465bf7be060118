// Profile files: the long options of the console kept in the group "CLI"
// of an INI file and applied where "--profile" stands on the command line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"

namespace orvex {

// Larger files are refused: a profile holds about a hundred short lines, and
// the cap keeps a mistaken path (a picture, a disk image) from being read
// into memory.
inline constexpr size_t kMaxProfileBytes = 16 * 1024 * 1024;

// Applies the keys of every "[CLI]" group of `text` in file order. The text
// may start with a UTF-8 or UTF-16 byte-order mark and use LF or CR LF.
void ApplyProfileText(std::string_view text, ConversionSettings& settings);

// Reads the profile at `path` and applies it. False when the path is empty,
// is not a regular file, cannot be read or is larger than kMaxProfileBytes;
// the settings are then unchanged.
bool ReadProfile(const std::string& path, ConversionSettings& settings);

}  // namespace orvex
