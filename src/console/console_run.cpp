// The steps of a console run, from the input check to the outcome lines. The
// checks, the queue and the conversion are the engine's; this file decides
// their order and prints what the console shows.
#include "console/console_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "console/batch_options.h"
#include "console/failure_causes.h"
#include "console/file_report.h"
#include "console/progress_line.h"
#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "run/run_preparation.h"
#include "platform/console_output.h"
#include "settings/program_identity.h"
#include "settings/setting_ranges.h"
#include "text/text_table.h"

namespace orvex {

namespace {

// Passes the worker's file events on to the debug lines (when printed) and
// the progress line (when shown), says on standard error why each failed
// file failed, and keeps the files of a batch that failed, for the report at
// its end. The events come one at a time, in queue order.
struct FileEvents : ConversionObserver {
    void FileStarted(int32_t index, const std::string& path) override {
        if (report) report->FileStarted(index, path);
        if (progress) progress->FileStarted(path);
    }
    void FileFinished(const FileResult& result) override {
        if (report) report->FileFinished(result);
        if (json) json->Write(FileReportLine(result, OutputBytes(result)));
        if (result.skipped) ++skipped;
        ++finished;
        // A file the user stopped did not fail; the run ends by the signal.
        if (!result.converted && !result.stopped && !result.skipped) {
            const std::string line = CauseLine(
                programName, result.inputPath,
                result.reason.empty() ? std::string("not converted") : result.reason);
            if (progress)
                progress->PrintAbove([&] { out->PrintErrorText(line); });
            else
                out->PrintErrorText(line);
        }
        if (collect && !result.converted && !result.skipped) results.push_back(result);
        if (progress) progress->FileFinished();
    }
    ConsoleOutput* out = nullptr;
    std::string programName;
    FileReport* report = nullptr;
    ProgressLine* progress = nullptr;
    bool collect = false;
    std::vector<FileResult> results;
    JsonLinesFile* json = nullptr;  // the --report file
    int32_t skipped = 0;            // outputs found current (--skip-existing)
    int32_t finished = 0;
};

class ConsoleRun {
  public:
    ConsoleRun(const ConversionSettings& settings, ProjectState& project, const TextTable& texts,
               ConsoleOutput& out, bool quiet, const std::string& programName)
        : m_settings(settings),
          m_project(project),
          m_texts(texts),
          m_out(out),
          m_quiet(quiet),
          m_programName(programName),
          m_report([&out](const std::string& line) { out.PrintLine(line); },
                   project.RunMode == "DEBUG", PrintablePath),
          m_batchOptions(project) {}

    ConsoleRunOutcome Run() {
        Status("General", "Preparing");
        RunRequest request;
        request.inputs.push_back(m_project.InputArgument);
        request.inputs.insert(request.inputs.end(), m_project.MoreInputArguments.begin(),
                              m_project.MoreInputArguments.end());
        request.outputFolder = m_project.OutputFolder;
        request.inputExtension = m_project.InputExtension;
        request.outputExtension = m_project.OutputExtension;
        request.firstFileNumber = m_project.FileCounter;
        request.randomNumber = m_project.RandomNumber;
        request.jobs = m_project.FilesAtOnce;
        m_project.InputPath = m_project.InputArgument;
        m_project.InputArgument.clear();
        Result<PreparedRun> prepared = PrepareRun(m_settings, request, m_report);
        if (!prepared.ok()) {
            Stop(prepared.fault());
            return ConsoleRunOutcome::Refused;
        }
        PreparedRun& run = prepared.value();
        m_project.OutputFolder = run.outputFolder;
        m_project.InputExtension = run.inputExtension;
        m_project.OutputExtension = run.outputExtension;
        m_batch = run.batch;
        if (const std::string refusal = m_batchOptions.Apply(run.job, m_report); !refusal.empty()) {
            m_out.PrintLine(std::string(kErrorPrefix) + refusal);
            return ConsoleRunOutcome::Refused;
        }

        Status("General", "Importing");
        int32_t imported = static_cast<int32_t>(run.job.queue.size());
        Status(FillPlaceholders(m_texts.Text("Msg", "Import complete"), std::to_string(imported)));
        ReportSkipped(run.skipped);
        // A share of a list shorter than the number of shares may hold
        // nothing: that share's work is done.
        if (imported == 0 && m_batchOptions.sharded() && m_batchOptions.listSize() > 0) {
            WriteSummary(RunTally{});
            return m_reportWritten ? ConsoleRunOutcome::Converted : ConsoleRunOutcome::NotComplete;
        }
        if (imported == 0) {
            m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
            m_out.PrintLine(m_texts.Text("Msg", "Empty input files"));
            return ConsoleRunOutcome::NotComplete;
        }

        if (m_batchOptions.measuring()) return Measure(run.job);
        Status("General", "Converting");
        int32_t converted = Convert(std::move(run.job));
        const int32_t skipped = m_events.skipped;
        // A batch names every file that failed, in quiet mode too.
        for (const FileResult& failed : m_events.results)
            m_out.PrintLine("Not converted: " + PrintablePath(failed.inputPath));
        if (converted > 0) {
            Status("Msg", "Conversion complete");
            Status(FillPlaceholders(m_texts.Text("Msg", "Files converted"),
                                    std::to_string(converted), std::to_string(imported)));
            if (skipped > 0) Status(SkippedLine(skipped, imported));
            return converted + skipped == imported && m_reportWritten
                       ? ConsoleRunOutcome::Converted
                       : ConsoleRunOutcome::NotComplete;
        }
        // A rerun that finds every output in place has nothing to do.
        if (skipped > 0) {
            Status(SkippedLine(skipped, imported));
            if (skipped == imported && m_reportWritten) return ConsoleRunOutcome::Converted;
        }
        m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
        return ConsoleRunOutcome::NotComplete;
    }

  private:
    static std::string SkippedLine(int32_t skipped, int32_t imported) {
        return "Files skipped, their outputs are current: " + std::to_string(skipped) + " of " +
               std::to_string(imported);
    }

    // The measuring run: statistics instead of outputs.
    ConsoleRunOutcome Measure(const ConversionJob& job) {
        Status("Measuring...");
        const FileQueue& queue = job.queue;
        const int32_t measured =
            m_batchOptions.Measure(job, [this](const std::string& path, const std::string& why) {
                m_out.PrintErrorText(CauseLine(m_programName, path, why));
            });
        if (measured < 0) {
            m_out.PrintErrorText(CauseLine(m_programName, m_project.MeasureSequenceFile,
                                           std::strerror(errno)));
            m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
            return ConsoleRunOutcome::NotComplete;
        }
        Status("Files measured: " + std::to_string(measured) + " of " +
               std::to_string(queue.size()));
        return measured == static_cast<int32_t>(queue.size()) ? ConsoleRunOutcome::Converted
                                                               : ConsoleRunOutcome::NotComplete;
    }

    // The --report file's last line; a report that could not be written
    // whole is said on standard error and fails the run.
    void WriteSummary(const RunTally& tally) {
        JsonLinesFile* json = m_batchOptions.report();
        if (json == nullptr) return;
        json->Write(SummaryReportLine(tally));
        if (json->error() != 0) {
            m_reportWritten = false;
            m_out.PrintErrorText(CauseLine(m_programName, m_batchOptions.reportPath(),
                                           std::strerror(json->error())));
        }
    }

    void Status(const std::string& line) {
        if (!m_quiet) m_out.PrintLine(line);
    }
    void Status(const char* group, const char* key) { Status(m_texts.Text(group, key)); }

    // Each folder entry the walk passed over: one line on standard error,
    // one in the debug output, and their count.
    void ReportSkipped(const std::vector<SkippedInput>& skipped) {
        if (skipped.empty()) return;
        for (const SkippedInput& entry : skipped) {
            m_out.PrintErrorText(CauseLine(m_programName, entry.path, "skipped: " + entry.reason));
            m_report.Debug("Skipped: " + PrintablePath(entry.path) + " (" + entry.reason + ")");
        }
        Status(FillPlaceholders(m_texts.Text("Msg", "Files skipped"),
                                std::to_string(skipped.size())));
    }

    // The error line, and for a refused input or output folder a second
    // line that names the path and what is wrong with it.
    void Stop(const RunCheck& check) {
        m_out.PrintLine(ConsoleErrorLine(check));
        switch (check.fault) {
            case RunFault::InvalidInputFile:
            case RunFault::EmptyInputFiles:
                m_out.PrintErrorText(
                    CauseLine(m_programName, check.path, InputFileCause(check.path)));
                break;
            case RunFault::EmptyOutputFolder:
            case RunFault::InvalidOutputFolder:
                m_out.PrintErrorText(
                    CauseLine(m_programName, check.path, OutputFolderCause(check.path)));
                break;
            case RunFault::IncorrectOutputFolder:
                m_out.PrintErrorText(
                    CauseLine(m_programName, check.path, "leads out of the working folder"));
                break;
            case RunFault::DuplicateOutput:
                m_out.PrintErrorText(CauseLine(m_programName, check.detail,
                                               "would be written from both " +
                                                   PrintablePath(check.path) + " and " +
                                                   PrintablePath(check.otherPath)));
                break;
            case RunFault::OutputOverInput:
                m_out.PrintErrorText(CauseLine(m_programName, check.detail,
                                               "is the input " + PrintablePath(check.path) +
                                                   " and would be written from " +
                                                   PrintablePath(check.otherPath)));
                break;
            default:
                break;
        }
    }

    int32_t Convert(ConversionJob job) {

        // The per-file lines belong to a command-line job in debug mode. The
        // main thread only waits, so the worker's lines and ours never overlap.
        FileReport fileReport([this](const std::string& line) { m_out.PrintLine(line); });
        const bool debug = m_project.CommandLineInput != 0 && m_project.RunMode == "DEBUG";
        // The status line is for a person watching a batch: only on a
        // terminal, never in quiet or debug runs, so scripts and logs see the
        // same bytes as ever.
        const int errFd = m_out.ErrorFd();
        ProgressLine progress(
            static_cast<int32_t>(job.queue.size()),
            [this](std::string_view bytes) { m_out.WriteErrorBytes(bytes); },
            [errFd] { return TerminalColumns(errFd); });
        const bool showProgress =
            !m_quiet && !debug && job.queue.size() > 1 && IsTerminal(errFd);
        m_events.out = &m_out;
        m_events.programName = m_programName;
        m_events.report = debug ? &fileReport : nullptr;
        m_events.progress = showProgress ? &progress : nullptr;
        m_events.collect = m_batch;
        m_events.json = m_batchOptions.report();
        const auto begin = std::chrono::steady_clock::now();
        const int32_t files = static_cast<int32_t>(job.queue.size());
        ConversionRun run(std::move(job), &m_events);
        run.Start();
        run.Wait();
        if (showProgress) progress.Finish();
        RunTally tally;
        tally.files = files;
        tally.converted = run.outcome().filesConverted;
        tally.skipped = m_events.skipped;
        tally.failed = m_events.finished - tally.converted - tally.skipped;
        tally.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        WriteSummary(tally);
        m_project.FileCounter = run.outcome().nextFileNumber;
        m_project.RandomNumber = run.outcome().nextRandomNumber;
        return run.outcome().filesConverted;
    }

    const ConversionSettings& m_settings;
    ProjectState& m_project;
    const TextTable& m_texts;
    ConsoleOutput& m_out;
    bool m_quiet;
    std::string m_programName;
    RunReport m_report;
    BatchOptions m_batchOptions;
    bool m_reportWritten = true;
    bool m_batch = false;
    FileEvents m_events;
};

}  // namespace

ConsoleRunOutcome RunConsoleBatch(const ConversionSettings& settings, ProjectState& project,
                                  const TextTable& texts, ConsoleOutput& out, bool quiet,
                                  const std::string& programName) {
    return ConsoleRun(settings, project, texts, out, quiet, programName).Run();
}

}  // namespace orvex
