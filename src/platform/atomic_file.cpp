// Whole-file replacement through a temporary file and rename().
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace orvex {
namespace {

uint32_t RandomSuffix() {
    uint32_t value = 0;
    if (getrandom(&value, sizeof value, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof value)) {
        return value;
    }
    // No entropy yet (very early boot): the clock and a counter still keep
    // the names of concurrent writers apart, and O_EXCL catches the rest.
    static uint32_t counter = 0;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_nsec) ^ (++counter * 2654435761u);
}

// The file a write to `path` should replace: the target of a symbolic link,
// so a linked configuration stays linked; `path` itself otherwise.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;  // a dangling link is replaced by the file
    std::string target = resolved;
    std::free(resolved);
    return target;
}

bool WriteAll(int fd, std::string_view contents) {
    const char* data = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

void SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // makes the rename itself durable; best effort
    close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    if (path.empty()) return false;
    const std::string target = ResolveTarget(path);

    mode_t mode = 0666;  // narrowed by the umask for a new file
    struct stat existing {};
    const bool hadFile = stat(target.c_str(), &existing) == 0;
    if (hadFile) {
        if (S_ISDIR(existing.st_mode)) return false;
        mode = existing.st_mode & 07777;
    }

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporary =
            target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(RandomSuffix());
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = WriteAll(fd, contents);
    // open() applied the umask; an existing file's bits are restored exactly.
    if (ok && hadFile) ok = fchmod(fd, mode) == 0;
    if (ok) ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(target);
    return true;
}

}  // namespace orvex
