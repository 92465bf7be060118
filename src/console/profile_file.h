// Profile files: the long options of the console kept in the group "CLI"
// of an INI file and applied where "--profile" stands on the command line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "settings/conversion_settings.h"

namespace orvex {

// Larger files are refused: a profile holds about a hundred short lines, and
// the cap keeps a mistaken path (a picture, a disk image) from being read
// into memory.
inline constexpr size_t kMaxProfileBytes = 16 * 1024 * 1024;

// What a profile held besides the settings it applied.
struct ProfileFindings {
    // Keys of a "[CLI]" group that name no option, as written; a profile
    // written for another version may hold them, so they are only reported.
    std::vector<std::string> unknownKeys;
    // The message for the first value its option cannot read ("Invalid value
    // for --DITHER: FOO (accepted: ...)"); the keys after it are not applied.
    std::string refusal;
};

// Applies the keys of every "[CLI]" group of `text` in file order. The text
// may start with a UTF-8 or UTF-16 byte-order mark and use LF or CR LF. An
// empty value is taken as it is (0 or empty text); any other value must be
// readable by its option.
void ApplyProfileText(std::string_view text, ConversionSettings& settings,
                      ProfileFindings* findings = nullptr);

// Reads the profile at `path` and applies it. False when the path is empty,
// is not a regular file, cannot be read or is larger than kMaxProfileBytes;
// the settings are then unchanged.
bool ReadProfile(const std::string& path, ConversionSettings& settings,
                 ProfileFindings* findings = nullptr);

}  // namespace orvex
