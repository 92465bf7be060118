// The status line of a batch on a terminal: files done of all, files per
// second, the time left and the current file, redrawn in place on standard
// error and cleared when the run ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvex {

// The text of the line, at most `columns` - 1 characters wide (so that the
// terminal never wraps it): "2 of 5 files, 1.5 files/s, 0:02 left, a.hdr".
// The rate and time left appear once a file is done; the current file is
// shortened from the front ("...ng/name.hdr") to fit, and left out when
// there is no room for it.
std::string ComposeProgressLine(int32_t done, int32_t total, double elapsedSeconds,
                                const std::string& currentFile, int columns);

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    // `write` puts bytes on the terminal as they are; `columns` tells the
    // terminal's width at the moment (0 when unknown).
    ProgressLine(int32_t total, std::function<void(std::string_view)> write,
                 std::function<int()> columns);

    void FileStarted(const std::string& path);
    void FileFinished();
    // Takes the line away so that a whole line can be printed, then puts it back.
    void PrintAbove(const std::function<void()>& print);
    // Clears the line for good.
    void Finish();

  private:
    void Draw(bool force);

    int32_t m_total;
    int32_t m_done = 0;
    std::string m_current;
    std::function<void(std::string_view)> m_write;
    std::function<int()> m_columns;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw{};
    bool m_shown = false;
};

}  // namespace orvex
