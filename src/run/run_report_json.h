// The report a program reads: JSON Lines, one object per file as it finishes
// and one summary object at the end. Each line reaches the file in one write
// as soon as it is made, so a run that is killed leaves whole lines only.
#pragma once

#include <cstdint>
#include <string>

#include "run/conversion_worker.h"

namespace orvex {

struct RunTally {
    int32_t files = 0;  // in the run's queue
    int32_t converted = 0;
    int32_t skipped = 0;
    int32_t failed = 0;
    double seconds = 0;
};

// One file's object: "type" "file", "input", "output" (converted or skipped),
// "status" ("converted", "skipped" or "failed"), "cause" (failed), the sizes
// in and out, the bytes written and the seconds it took. Names are stored as
// PutName stores them.
std::string FileReportLine(const FileResult& result, int64_t bytesWritten);

// "type" "summary" with the counts and the run's seconds.
std::string SummaryReportLine(const RunTally& tally);

class JsonLinesFile {
  public:
    JsonLinesFile() = default;
    ~JsonLinesFile();
    JsonLinesFile(const JsonLinesFile&) = delete;
    JsonLinesFile& operator=(const JsonLinesFile&) = delete;

    // Creates `path`, or empties the file there. False with errno set.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends `line` and a line break in one write. The first failure is
    // kept (errno value) and later lines are dropped.
    void Write(const std::string& line);
    int error() const { return m_error; }

  private:
    int m_fd = -1;
    int m_error = 0;
};

}  // namespace orvex
