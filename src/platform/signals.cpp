// Signal handling with a clean-up list the handler can walk without locks or
// allocation: fixed slots, each armed only once its path is complete.
#include "platform/signals.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace orvex {
namespace {

constexpr int kSlots = 32;
enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };

struct FileSlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

FileSlot g_files[kSlots];

std::atomic<bool> g_terminalArmed{false};
int g_terminalFd = -1;
termios g_terminalState{};

[[noreturn]] void EndBySignal(int signal) {
    if (g_terminalArmed.load()) tcsetattr(g_terminalFd, TCSANOW, &g_terminalState);
    for (FileSlot& slot : g_files) {
        if (slot.state.load() == kArmed) unlink(slot.path);
    }
    _exit(128 + signal);
}

void Handle(int signal) { EndBySignal(signal); }

void HandleUnlessIgnored(int signal) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = Handle;
    sigemptyset(&action.sa_mask);
    // The other ending signals wait while one is being handled.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGHUP);
    sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallSignalHandling() {
    signal(SIGPIPE, SIG_IGN);
    HandleUnlessIgnored(SIGINT);
    HandleUnlessIgnored(SIGTERM);
    HandleUnlessIgnored(SIGHUP);
}

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_files[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(g_files[i].path, path.c_str(), path.size() + 1);
        g_files[i].state.store(kArmed);
        m_slot = i;
        return;
    }
}

RemoveOnSignal::~RemoveOnSignal() {
    if (m_slot >= 0) g_files[m_slot].state.store(kFree);
}

RestoreTerminalOnSignal::RestoreTerminalOnSignal(int fd, const termios& saved) {
    g_terminalFd = fd;
    g_terminalState = saved;
    g_terminalArmed.store(true);
}

RestoreTerminalOnSignal::~RestoreTerminalOnSignal() { g_terminalArmed.store(false); }

}  // namespace orvex
