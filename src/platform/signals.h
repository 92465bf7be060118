// What the process does when it is ended by a signal: files half written are
// removed and a terminal switched to raw input is restored, then the process
// exits with 128 + the signal number. A closed output pipe is not a signal
// that ends the run.
#pragma once

#include <termios.h>

#include <string>

namespace orvex {

// Ignores SIGPIPE (a write to a closed pipe then fails with EPIPE instead)
// and handles SIGINT, SIGTERM and SIGHUP: the registered clean-up runs and
// the process exits with 128 + signal. A signal the process was started
// with ignored (nohup, a background job) stays ignored. Call once, early,
// before any thread starts.
void InstallSignalHandling();

// While alive, the file at `path` is removed when a handled signal ends the
// process. Up to a few dozen may be registered at once; beyond that, or for
// a path longer than PATH_MAX, registration silently does nothing.
class RemoveOnSignal {
  public:
    explicit RemoveOnSignal(const std::string& path);
    ~RemoveOnSignal();
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

  private:
    int m_slot = -1;
};

// While alive, the terminal `fd` is set back to `saved` when a handled signal
// ends the process.
class RestoreTerminalOnSignal {
  public:
    RestoreTerminalOnSignal(int fd, const termios& saved);
    ~RestoreTerminalOnSignal();
    RestoreTerminalOnSignal(const RestoreTerminalOnSignal&) = delete;
    RestoreTerminalOnSignal& operator=(const RestoreTerminalOnSignal&) = delete;
};

}  // namespace orvex
