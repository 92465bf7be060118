// The steps of a console run, from the input check to the outcome lines. The
// checks, the queue and the conversion are the engine's; this file decides
// their order and prints what the console shows.
#include "console/console_run.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "console/failure_causes.h"
#include "console/file_report.h"
#include "console/progress_line.h"
#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "imaging/conversion_run.h"
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
        // A file the user stopped did not fail; the run ends by the signal.
        if (!result.converted && !result.stopped) {
            const std::string line = CauseLine(
                programName, result.inputPath,
                result.reason.empty() ? std::string("not converted") : result.reason);
            if (progress)
                progress->PrintAbove([&] { out->PrintErrorText(line); });
            else
                out->PrintErrorText(line);
        }
        if (collect && !result.converted) results.push_back(result);
        if (progress) progress->FileFinished();
    }
    ConsoleOutput* out = nullptr;
    std::string programName;
    FileReport* report = nullptr;
    ProgressLine* progress = nullptr;
    bool collect = false;
    std::vector<FileResult> results;
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
                   project.RunMode == "DEBUG") {}

    ConsoleRunOutcome Run() {
        // Several inputs, or a folder, make a batch; one file runs as it always has.
        m_batch = !m_project.MoreInputArguments.empty() || IsInputFolder(m_project.InputArgument);
        const bool inputsOk = m_batch ? CheckInputsAndOutput() : CheckInputAndOutput();
        if (!inputsOk || !CheckSettings()) return ConsoleRunOutcome::Refused;
        SaveTarget target =
            MakeSaveTarget(m_project.OutputExtension, m_settings, m_project.OutputFolder);

        Status("General", "Importing");
        FileQueue queue = m_batch ? std::move(m_batchQueue) : QueueInputFile(m_project.InputPath);
        int32_t imported = static_cast<int32_t>(queue.size());
        Status(FillPlaceholders(m_texts.Text("Msg", "Import complete"), std::to_string(imported)));
        if (imported == 0) {
            m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
            m_out.PrintLine(m_texts.Text("Msg", "Empty input files"));
            return ConsoleRunOutcome::NotComplete;
        }

        Status("General", "Converting");
        int32_t converted = Convert(std::move(target), std::move(queue));
        // A batch names every file that failed, in quiet mode too.
        for (const FileResult& failed : m_events.results)
            m_out.PrintLine("Not converted: " + PrintablePath(failed.inputPath));
        if (converted > 0) {
            Status("Msg", "Conversion complete");
            Status(FillPlaceholders(m_texts.Text("Msg", "Files converted"),
                                    std::to_string(converted), std::to_string(imported)));
            return converted == imported ? ConsoleRunOutcome::Converted
                                         : ConsoleRunOutcome::NotComplete;
        }
        m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
        return ConsoleRunOutcome::NotComplete;
    }

  private:
    void Status(const std::string& line) {
        if (!m_quiet) m_out.PrintLine(line);
    }
    void Status(const char* group, const char* key) { Status(m_texts.Text(group, key)); }

    // The error line, and for a refused input or output folder a second
    // line that names the path and what is wrong with it.
    bool Stop(const RunCheck& check, const std::string& path = {}) {
        m_out.PrintLine(ConsoleErrorLine(check));
        switch (check.fault) {
            case RunFault::InvalidInputFile:
            case RunFault::EmptyInputFiles:
                m_out.PrintErrorText(CauseLine(m_programName, path, InputFileCause(path)));
                break;
            case RunFault::EmptyOutputFolder:
            case RunFault::InvalidOutputFolder:
                m_out.PrintErrorText(CauseLine(m_programName, path, OutputFolderCause(path)));
                break;
            case RunFault::IncorrectOutputFolder:
                m_out.PrintErrorText(
                    CauseLine(m_programName, path, "leads out of the working folder"));
                break;
            default:
                break;
        }
        return false;
    }

    bool CheckInputAndOutput() {
        Status("General", "Preparing");
        m_report.Debug("Input: " + PrintablePath(m_project.InputArgument));
        m_project.InputPath = m_project.InputArgument;
        m_project.InputArgument.clear();
        if (RunCheck input = CheckInputFile(m_project.InputPath); !input.ok())
            return Stop(input, m_project.InputPath);

        if (m_project.OutputFolder.empty()) m_project.OutputFolder = FolderOf(m_project.InputPath);
        return CheckOutput();
    }

    bool CheckOutput() {
        m_report.Debug("Output: " + PrintablePath(m_project.OutputFolder));
        // A relative folder is taken from the working folder, like the input.
        std::string resolved;
        RunCheck output = ResolveOutputFolder(m_project.OutputFolder, WorkingFolder(), resolved);
        if (!output.ok()) return Stop(output, m_project.OutputFolder);
        m_project.OutputFolder = resolved;

        if (m_project.InputExtension.empty()) m_project.InputExtension = InputExtensions().front();
        if (m_project.OutputExtension.empty())
            m_project.OutputExtension = OutputExtensions().front();
        m_report.Debug("Conversion: " + m_project.OutputExtension);
        const auto& outputs = OutputExtensions();
        if (std::find(outputs.begin(), outputs.end(), m_project.OutputExtension) == outputs.end())
            return Stop(RunCheck{RunFault::InvalidConversionType, m_project.OutputExtension});
        return true;
    }

    // The inputs of a batch: every "-i" in order, files and folders. A
    // missing output folder is the first input's folder (a folder input is
    // its own).
    bool CheckInputsAndOutput() {
        Status("General", "Preparing");
        std::vector<std::string> inputs{m_project.InputArgument};
        inputs.insert(inputs.end(), m_project.MoreInputArguments.begin(),
                      m_project.MoreInputArguments.end());
        for (const std::string& input : inputs) m_report.Debug("Input: " + PrintablePath(input));
        m_project.InputPath = m_project.InputArgument;
        m_project.InputArgument.clear();
        if (RunCheck check = QueueInputs(inputs, m_settings.KeepSubfolders != 0, m_batchQueue);
            !check.ok())
            return Stop(check, check.detail);

        if (m_project.OutputFolder.empty()) {
            const std::string& first = inputs.front();
            m_project.OutputFolder = !IsInputFolder(first) ? FolderOf(first)
                                     : first.back() == '/' ? first
                                                           : first + "/";
        }
        return CheckOutput();
    }

    bool CheckSettings() {
        ReportInputOptions(m_project.InputExtension, m_settings, m_report);
        RunCheck check = CheckOutputOptions(m_project.OutputExtension, m_settings, m_report);
        if (!check.ok()) return Stop(check);
        // Values outside their option's range, before the chain's checks load
        // anything (a font size of 0 is the size's fault, not the font's).
        if (std::optional<RangeFault> range = CheckSettingRanges(m_settings)) {
            m_out.PrintLine(std::string(kErrorPrefix) + "Invalid value for " +
                            SettingName(*range->row) + ": " +
                            FormatSettingNumber(range->value) +
                            " (accepted: " + AcceptedValuesText(*range->row) + ")");
            return false;
        }
        check = CheckChainOptions(m_settings, m_report, m_font);
        if (!check.ok()) return Stop(check);
        ReportFileOptions(m_settings, m_report);
        return true;
    }

    int32_t Convert(SaveTarget target, FileQueue queue) {
        ConversionJob job;
        job.settings = m_settings;
        job.target = std::move(target);
        job.queue = std::move(queue);
        job.font = m_font;
        job.firstFileNumber = m_project.FileCounter;
        job.randomNumber = m_project.RandomNumber;
        job.filesAtOnce = FilesAtOnceFor(job.queue, m_project.FilesAtOnce);
        job.cores = m_project.FilesAtOnce;

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
        ConversionRun run(std::move(job), &m_events);
        run.Start();
        run.Wait();
        if (showProgress) progress.Finish();
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
    std::shared_ptr<const WatermarkFont> m_font;  // freed when the run ends
    bool m_batch = false;
    FileQueue m_batchQueue;
    FileEvents m_events;
};

}  // namespace

ConsoleRunOutcome RunConsoleBatch(const ConversionSettings& settings, ProjectState& project,
                                  const TextTable& texts, ConsoleOutput& out, bool quiet,
                                  const std::string& programName) {
    return ConsoleRun(settings, project, texts, out, quiet, programName).Run();
}

}  // namespace orvex
