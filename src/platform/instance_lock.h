// The single-instance lock of the desktop: an advisory lock on a file named
// after the window title, held for the life of the process.
#pragma once

#include <string>

namespace orvex {

class InstanceLock {
  public:
    enum class Result {
        Acquired,       // this process is the only instance
        HeldElsewhere,  // another process of the same version holds it
        Unavailable,    // the lock file could not be opened; run without a lock
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // "$XDG_RUNTIME_DIR/<title>.lock" when that folder exists, otherwise
    // "/tmp/<title>-<uid>.lock", so users never share the lock.
    static std::string DefaultPath(const std::string& title);

    // Takes the lock on `path` without waiting. A lock already held by this
    // object is released first.
    Result Acquire(const std::string& path);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

}  // namespace orvex
