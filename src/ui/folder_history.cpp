// Output-folder history kept as one TAB-separated text in the settings.
#include "ui/folder_history.h"

#include <zlib.h>

#include "settings/conversion_settings.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {

uint32_t FolderKey(const std::string& folder) {
    std::string upper = ToUpperUtf8(folder);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(upper.data()), static_cast<uInt>(upper.size()));
    return static_cast<uint32_t>(crc);
}

std::string RecentOutFolder(const std::string& history, int32_t index) {
    if (index < 0 || history.empty()) return {};
    size_t start = 0;
    for (int32_t i = 0; i < index; ++i) {
        size_t tab = history.find('\t', start);
        if (tab == std::string::npos) return {};
        start = tab + 1;
    }
    size_t end = history.find('\t', start);
    const size_t length = end == std::string::npos ? std::string::npos : end - start;
    return std::string(Trim(std::string_view(history).substr(start, length), kSpaces));
}

bool AddRecentOutFolder(ConversionSettings& settings, const std::string& folder) {
    if (folder.empty()) return false;
    const uint32_t key = FolderKey(folder);
    const int32_t limit = settings.OutFoldersNumber > 0 ? settings.OutFoldersNumber : 1;
    std::string history = folder;
    int32_t kept = 1;
    for (int32_t j = 0; j < limit; ++j) {
        std::string entry = RecentOutFolder(settings.RecentOutFolders, j);
        if (entry.empty() || kept >= limit) continue;
        if (FolderKey(entry) == key) continue;
        history += '\t';
        history += entry;
        ++kept;
    }
    settings.RecentOutFolders = history;
    return true;
}

}  // namespace orvex
