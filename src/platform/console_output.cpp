// Console lines written straight to the descriptors, and the terminal pause.
#include "platform/console_output.h"

#include <sys/ioctl.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/signals.h"

namespace orvex {

namespace {

// Writes the whole buffer, retrying after signals and short writes. A closed
// reader (EPIPE) or any other failure drops the rest of the line; the errno
// of the failure is returned (0 when all was written).
int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

}  // namespace

void ConsoleOutput::NoteFailure(int fd, int error) {
    if (fd == m_outFd && error != 0 && error != EPIPE && m_outputError == 0)
        m_outputError = error;
}

int ConsoleOutput::OutputWriteError() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_outputError;
}

void ConsoleOutput::WriteLine(int fd, std::string_view line) {
    if (line.empty()) line = " ";
    std::lock_guard<std::mutex> guard(m_lock);
    // One writev for text and line end keeps a line whole on a pipe; a
    // short write finishes the rest piece by piece.
    iovec parts[2] = {{const_cast<char*>(line.data()), line.size()}, {const_cast<char*>("\n"), 1}};
    ssize_t written;
    do {
        written = ::writev(fd, parts, 2);
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        NoteFailure(fd, errno);
        return;
    }
    size_t done = static_cast<size_t>(written);
    int error = 0;
    if (done < line.size()) {
        error = WriteAll(fd, line.data() + done, line.size() - done);
        if (error == 0) error = WriteAll(fd, "\n", 1);
    } else if (done == line.size()) {
        error = WriteAll(fd, "\n", 1);
    }
    NoteFailure(fd, error);
}

void ConsoleOutput::WriteErrorBytes(std::string_view bytes) {
    std::lock_guard<std::mutex> guard(m_lock);
    WriteAll(m_errFd, bytes.data(), bytes.size());
}

void ConsoleOutput::PrintLine(std::string_view line) {
    bool isError = line.substr(0, kErrorPrefix.size()) == kErrorPrefix;
    WriteLine(isError ? m_errFd : m_outFd, line);
}

void ConsoleOutput::PrintErrorText(std::string_view line) { WriteLine(m_errFd, line); }

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

int TerminalColumns(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

bool WaitForKeyPress(int fd) {
    if (!IsTerminal(fd)) return false;
    termios saved{};
    if (::tcgetattr(fd, &saved) != 0) return false;
    termios raw = saved;
    // ISIG off as well: Ctrl+C or Ctrl+Z would otherwise end or stop the
    // process while echo is off and leave the user's terminal that way; here
    // they are keys like any other and end the wait.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // A signal from elsewhere (kill, a closed terminal) ends the process
    // while it waits; the terminal is put back from the handler too.
    RestoreTerminalOnSignal restore(fd, saved);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) return false;
    // Any byte is a character: keys without one (Shift, Ctrl) send nothing
    // to a terminal. End of input or an error ends the wait as well.
    char key = 0;
    while (true) {
        ssize_t got = ::read(fd, &key, 1);
        if (got >= 0 || errno != EINTR) break;
    }
    ::tcsetattr(fd, TCSANOW, &saved);
    return true;
}

}  // namespace orvex
