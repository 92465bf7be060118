// The batch options of a console run applied to its prepared job: one share
// of the list (--shard), files numbered by their place in the whole list,
// outputs that are current skipped (--skip-existing), a frame sequence's
// shared statistics (--sequence-statistics, --sequence-window) and the JSON
// report file (--report); and the measuring run (--measure-sequence).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "run/conversion_worker.h"
#include "run/run_checks.h"
#include "run/run_report_json.h"
#include "settings/project_state.h"

namespace orvex {

class BatchOptions {
  public:
    explicit BatchOptions(const ProjectState& project) : m_project(project) {}

    // Prints the debug lines of the options given and applies them to `job`.
    // Returns the refusal (the text after "Error: "), or "" when the job is
    // ready.
    std::string Apply(ConversionJob& job, const RunReport& report);

    // How many files the whole list held before the shard took its share.
    size_t listSize() const { return m_listSize; }
    bool sharded() const { return m_project.ShardCount > 0; }
    bool measuring() const { return !m_project.MeasureSequenceFile.empty(); }
    // The report file, or null without --report.
    JsonLinesFile* report() { return m_report.IsOpen() ? &m_report : nullptr; }
    const std::string& reportPath() const { return m_project.ReportFile; }

    // The measuring run: the statistics of every file of the job's queue
    // into the --measure-sequence file, in queue order, several files at once
    // as the job allows; `failed` hears of each file that could not be
    // measured. Returns the number of files measured, or -1 when the
    // statistics file cannot be written (errno set).
    int32_t Measure(
        const ConversionJob& job,
        const std::function<void(const std::string& path, const std::string& reason)>& failed);

  private:
    const ProjectState& m_project;
    size_t m_listSize = 0;
    JsonLinesFile m_report;
};

// The bytes of a converted file's output, for the report (0 otherwise).
int64_t OutputBytes(const FileResult& result);

}  // namespace orvex
