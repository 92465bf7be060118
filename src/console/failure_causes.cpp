// Plain-word causes of refused inputs and output folders.
#include "console/failure_causes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "console/file_report.h"
#include "run/conversion_run.h"

namespace orvex {

namespace {

// An extension is a "." after the last "/" or space, as the input check has it.
bool HasFileExtension(const std::string& path) {
    const size_t start = path.find_last_of("/ ");
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (start == std::string::npos || dot > start);
}

std::string SystemMessage(int error) { return std::strerror(error); }

}  // namespace

std::string InputFileCause(const std::string& path) {
    // The extension is looked at first, as the input check does.
    if (!HasFileExtension(path)) return "has no file extension";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return SystemMessage(errno);
    if (S_ISDIR(info.st_mode)) return "is a folder";
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    if (info.st_size == 0) return "is empty";
    return "is not a file the program can read";
}

std::string OutputFolderCause(const std::string& folder) {
    const bool relative = folder.empty() || folder.front() != '/';
    if (relative && WorkingFolder().empty())
        return "the working folder it is taken from no longer exists";
    struct stat info {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) return SystemMessage(errno);
    if (!S_ISDIR(info.st_mode)) return "is not a folder";
    return "cannot be used as a folder";
}

std::string CauseLine(const std::string& program, const std::string& path,
                      const std::string& cause) {
    return program + ": " + PrintablePath(path) + ": " + PrintableText(cause);
}

}  // namespace orvex
