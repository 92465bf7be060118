// flock() on a lock file: the kernel drops the lock when the process ends,
// so a crashed instance never leaves a stale lock behind.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace orvex {

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::DefaultPath(const std::string& title) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        struct stat info {};
        if (::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
            std::string folder = runtime;
            if (folder.back() != '/') folder += '/';
            return folder + title + ".lock";
        }
    }
    return "/tmp/" + title + "-" + std::to_string(::getuid()) + ".lock";
}

InstanceLock::Result InstanceLock::Acquire(const std::string& path) {
    Release();
    // O_NOFOLLOW: in a shared folder such as /tmp a planted symbolic link
    // must not make the program create or lock some other file.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Unavailable;
    // A lock file that another user made (possible in /tmp) could be held by
    // that user to keep this program from starting; it is not ours to trust.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return Result::Unavailable;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

void InstanceLock::Release() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace orvex
