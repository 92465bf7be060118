// The console's per-file debug lines: an observer of the engine's run.
#pragma once

#include <functional>
#include <string>

#include "run/conversion_worker.h"

namespace orvex {

// `path` as it may be printed on one line: control characters (a line
// break in a file name, say) are shown as "\n", "\r", "\t" or "\xNN", and a
// backslash as "\\" so the escaped form cannot be mistaken for a real one.
std::string PrintablePath(const std::string& path);

// `text` (a reason, a message) with control characters shown as in
// PrintablePath; backslashes stay as they are.
std::string PrintableText(const std::string& text);

// Prints "Processing: ", "File Format: " and the "[OK]" / "[ERROR]" lines of
// each file of a command-line job in debug mode.
class FileReport : public ConversionObserver {
  public:
    explicit FileReport(std::function<void(const std::string&)> print)
        : m_print(std::move(print)) {}

    void FileStarted(int32_t index, const std::string& inputPath) override;
    void FileFinished(const FileResult& result) override;

  private:
    std::function<void(const std::string&)> m_print;
};

}  // namespace orvex
