// Locating and creating the per-user configuration folder.
#include "platform/config_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace orvex {
namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    // No HOME (a service or a stripped environment): ask the account database.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && *found->pw_dir != '\0') {
        return found->pw_dir;
    }
    return "/tmp";
}

// Creates `folder` and any missing parents with mode 0700; an existing
// folder is left as it is.
void MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string prefix = folder.substr(0, slash);
        struct stat info {};
        if (stat(prefix.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

}  // namespace

std::string UserConfigBase() {
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG base
    // directory rules ask.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return WithSlash(xdg);
    }
    return WithSlash(HomeFolder()) + ".config/";
}

std::string ConfigFolder(const std::string& makerFolder, const std::string& programFolder) {
    const std::string folder = UserConfigBase() + makerFolder + "/" + programFolder + "/";
    MakeFolders(folder);
    return folder;
}

}  // namespace orvex
