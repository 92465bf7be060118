// Console line output (UTF-8, "\n", error lines on standard error) and the
// key press that ends a paused run.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace orvex {

// Writes whole lines to two file descriptors. A line that begins with
// "Error: " goes to the error descriptor, every other line to the output
// descriptor; an empty line is written as one space. Each line is written
// with one unbuffered write, under a lock, so the lines of the worker thread
// and of the main thread never interleave and keep their order across both
// streams.
class ConsoleOutput {
  public:
    ConsoleOutput(int outFd, int errFd) : m_outFd(outFd), m_errFd(errFd) {}

    void PrintLine(std::string_view line);
    // Writes to the error descriptor whatever the line begins with.
    void PrintErrorText(std::string_view line);
    // Writes `bytes` to the error descriptor as they are, without a line end
    // (a status line that redraws itself in place).
    void WriteErrorBytes(std::string_view bytes);

    int OutputFd() const { return m_outFd; }
    int ErrorFd() const { return m_errFd; }

    // The errno of the first write to the output descriptor that failed, or
    // 0. A reader that went away (EPIPE) is not counted: a pipe into "head"
    // is a normal end for the reader, not a lost report.
    int OutputWriteError() const;

  private:
    void WriteLine(int fd, std::string_view line);
    void NoteFailure(int fd, int error);

    int m_outFd;
    int m_errFd;
    int m_outputError = 0;
    mutable std::mutex m_lock;
};

inline constexpr std::string_view kErrorPrefix = "Error: ";

// Whether `fd` is a terminal.
bool IsTerminal(int fd);

// The width in characters of the terminal at `fd`, or 0 when it is none or
// does not say.
int TerminalColumns(int fd);

// When `fd` is a terminal: switches off echo and line buffering, waits for
// one key press that yields a character, and restores the terminal. Returns
// at once (false) when `fd` is not a terminal or cannot be switched.
bool WaitForKeyPress(int fd);

}  // namespace orvex
