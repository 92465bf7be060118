// The in-place status line of a console batch.
#include "console/progress_line.h"

#include <cmath>
#include <cstdio>

#include "console/file_report.h"

namespace orvex {

namespace {

constexpr const char* kClear = "\r\x1b[K";  // back to the line's start, erase to its end
constexpr int kDefaultColumns = 80;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

// Characters on screen: UTF-8 continuation bytes take no column of their own.
size_t Columns(std::string_view text) {
    size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

// The last `keep` characters of `text`, cut at a character boundary.
std::string_view LastColumns(std::string_view text, size_t keep) {
    size_t seen = 0;
    size_t at = text.size();
    while (at > 0) {
        --at;
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && ++seen == keep) break;
    }
    return text.substr(at);
}

// The first `keep` characters of `text`.
std::string_view FirstColumns(std::string_view text, size_t keep) {
    size_t seen = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == keep)
            return text.substr(0, at);
    }
    return text;
}

std::string Duration(double seconds) {
    const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

}  // namespace

std::string ComposeProgressLine(int32_t done, int32_t total, double elapsedSeconds,
                                const std::string& currentFile, int columns) {
    std::string line = std::to_string(done) + " of " + std::to_string(total) + " files";
    if (done > 0 && elapsedSeconds > 0) {
        const double rate = done / elapsedSeconds;
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", rate);
        line += std::string(", ") + text + " files/s, " +
                Duration((total - done) / rate) + " left";
    }
    const size_t width = static_cast<size_t>(columns > 1 ? columns - 1 : kDefaultColumns - 1);
    const std::string file = PrintablePath(currentFile);
    constexpr size_t kShortestName = 8;
    const size_t used = Columns(line) + 2;
    if (!file.empty() && used + kShortestName <= width) {
        const size_t room = width - used;
        line += ", ";
        if (Columns(file) <= room)
            line += file;
        else
            line += "..." + std::string(LastColumns(file, room - 3));
    }
    if (Columns(line) > width) line = std::string(FirstColumns(line, width));
    return line;
}

ProgressLine::ProgressLine(int32_t total, std::function<void(std::string_view)> write,
                           std::function<int()> columns)
    : m_total(total), m_write(std::move(write)), m_columns(std::move(columns)) {}

void ProgressLine::FileStarted(const std::string& path) {
    m_current = path;
    Draw(false);
}

void ProgressLine::FileFinished() {
    ++m_done;
    Draw(m_done == m_total);
}

void ProgressLine::PrintAbove(const std::function<void()>& print) {
    if (m_shown) m_write(kClear);
    print();
    if (m_shown) Draw(true);
}

void ProgressLine::Finish() {
    if (m_shown) m_write(kClear);
    m_shown = false;
}

void ProgressLine::Draw(bool force) {
    // Many small files would otherwise redraw faster than anyone can read.
    const Clock::time_point now = Clock::now();
    if (!force && m_shown && now - m_lastDraw < kRedrawEvery) return;
    m_lastDraw = now;
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    m_write(kClear + ComposeProgressLine(m_done, m_total, elapsed, m_current, m_columns()));
    m_shown = true;
}

}  // namespace orvex
