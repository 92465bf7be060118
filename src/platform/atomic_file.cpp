// Whole-file replacement through a pending file: an unnamed file linked into
// place, or a hidden temporary file renamed over the target.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/signals.h"

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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

// A hidden name beside the target; unrelated to the target's own name, so a
// long target name cannot make it too long.
std::string TemporaryName(const std::string& target) {
    return FolderOf(target) + ".orvex-" + std::to_string(getpid()) + "-" +
           std::to_string(RandomSuffix()) + ".tmp";
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
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // makes the rename itself durable; best effort
    close(fd);
}

}  // namespace

struct BackgroundSync::State {
    int fd = -1;
    size_t step = 0;
    std::mutex mutex;
    std::condition_variable wake;
    size_t unflushed = 0;  // written since the last flush began
    bool wanted = false;   // a flush is asked for
    bool finishing = false;
    int error = 0;
    std::thread thread;  // started with the first flush
};

BackgroundSync::BackgroundSync(int fd, size_t stepBytes) : m_state(std::make_unique<State>()) {
    m_state->fd = fd;
    m_state->step = stepBytes == 0 ? 1 : stepBytes;
}

BackgroundSync::~BackgroundSync() { Finish(); }

void BackgroundSync::Written(size_t bytes) {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.unflushed += bytes;
    if (s.unflushed < s.step || s.finishing) return;
    s.unflushed = 0;
    s.wanted = true;
    if (s.thread.joinable()) {
        lock.unlock();
        s.wake.notify_one();
        return;
    }
    try {
        s.thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the final flush does all the work, as it
        // would for a small file.
        s.wanted = false;
    }
}

void BackgroundSync::Run() {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        s.wake.wait(lock, [&s] { return s.wanted || s.finishing; });
        if (!s.wanted) return;
        s.wanted = false;
        lock.unlock();
        const int result = fdatasync(s.fd);
        const int error = result == 0 ? 0 : errno;
        lock.lock();
        if (error != 0 && s.error == 0) s.error = error;
    }
}

int BackgroundSync::Finish() {
    State& s = *m_state;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.finishing = true;
    }
    s.wake.notify_one();
    if (s.thread.joinable()) s.thread.join();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.error;
}

mode_t DefaultFileMode() {
    // The umask is read from the process status: setting it to read it back
    // would race with other threads creating files.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 0644;
}

PendingFile::PendingFile() = default;

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Open(const std::string& target, bool allowUnnamed) {
    Discard();
    m_target = target;
    // An unnamed file is linked into place through /proc; without /proc it
    // could never be, so a named one is used from the start.
    if (allowUnnamed && access("/proc/self/fd", X_OK) == 0) {
        m_fd = open(FolderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_fd >= 0) return true;
        // No unnamed files on this filesystem (or an old kernel): a named
        // one, registered for removal before a byte is written to it.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            return false;
        }
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_tempPath = TemporaryName(target);
        m_removeOnSignal = std::make_unique<RemoveOnSignal>(m_tempPath);
        m_fd = open(m_tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (m_fd >= 0) return true;
        const int error = errno;
        m_removeOnSignal.reset();
        m_tempPath.clear();
        if (error != EEXIST) {
            errno = error;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

bool PendingFile::Commit(mode_t mode) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    bool ok = fchmod(m_fd, mode) == 0 && fsync(m_fd) == 0;
    if (ok && !IsNamed()) {
        // An unnamed file cannot be linked over an existing name: it gets a
        // hidden name first and is renamed from there, so the target is
        // replaced in one step. Only a complete file ever has a name.
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; attempt < 16; ++attempt) {
            m_tempPath = TemporaryName(m_target);
            m_removeOnSignal = std::make_unique<RemoveOnSignal>(m_tempPath);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_tempPath.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                break;
            }
            const int error = errno;
            m_removeOnSignal.reset();
            m_tempPath.clear();
            errno = error;
            if (error != EEXIST) break;
        }
        ok = IsNamed();
    }
    if (ok) ok = rename(m_tempPath.c_str(), m_target.c_str()) == 0;
    const int error = errno;
    if (!ok) {
        Discard();
        errno = error;
        return false;
    }
    m_tempPath.clear();  // it is the target now
    m_removeOnSignal.reset();
    close(m_fd);
    m_fd = -1;
    SyncFolderOf(m_target);
    return true;
}

void PendingFile::Discard() {
    if (!m_tempPath.empty()) unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_removeOnSignal.reset();
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    if (path.empty()) return false;
    const std::string target = ResolveTarget(path);

    mode_t mode = DefaultFileMode();
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return false;
        mode = existing.st_mode & 07777;
    }
    PendingFile file;
    if (!file.Open(target)) return false;
    return WriteAll(file.Fd(), contents) && file.Commit(mode);
}

}  // namespace orvex
