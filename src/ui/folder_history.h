// The output-folder history: a most-recent-first list of folders kept in
// RecentOutFolders, TAB separated, each folder present once whatever its
// letter case.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

struct ConversionSettings;

// The key that identifies a folder in the history: the CRC-32 of the UTF-8
// bytes of the upper-cased path.
uint32_t FolderKey(const std::string& folder);

// Entry `index` (0-based) of a TAB-separated history with surrounding spaces
// trimmed; "" when there is no such entry.
std::string RecentOutFolder(const std::string& history, int32_t index);

// Puts `folder` at the head of settings.RecentOutFolders, drops an older
// entry with the same key and keeps at most OutFoldersNumber entries.
// False (and nothing changed) for an empty folder.
bool AddRecentOutFolder(ConversionSettings& settings, const std::string& folder);

}  // namespace orvex
