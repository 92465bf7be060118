// The steps of a console run, from the input check to the outcome lines. The
// checks, the queue and the conversion are the engine's; this file decides
// their order and prints what the console shows.
#include "console/console_run.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "console/file_report.h"
#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "run/run_preparation.h"
#include "platform/console_output.h"
#include "settings/program_identity.h"
#include "text/text_table.h"

namespace orvex {

namespace {

// Passes the worker's file events on to the debug lines (when printed) and
// keeps the files of a batch that failed, for the report at its end.
struct FailureList : ConversionObserver {
    void FileStarted(int32_t index, const std::string& path) override {
        if (report) report->FileStarted(index, path);
    }
    void FileFinished(const FileResult& result) override {
        if (report) report->FileFinished(result);
        if (collect && !result.converted) results.push_back(result);
    }
    FileReport* report = nullptr;
    bool collect = false;
    std::vector<FileResult> results;
};

class ConsoleRun {
  public:
    ConsoleRun(const ConversionSettings& settings, ProjectState& project, const TextTable& texts,
               ConsoleOutput& out, bool quiet)
        : m_settings(settings),
          m_project(project),
          m_texts(texts),
          m_out(out),
          m_quiet(quiet),
          m_report([&out](const std::string& line) { out.PrintLine(line); },
                   project.RunMode == "DEBUG", PrintablePath) {}

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
            m_out.PrintLine(ConsoleErrorLine(prepared.fault()));
            return ConsoleRunOutcome::Refused;
        }
        PreparedRun& run = prepared.value();
        m_project.OutputFolder = run.outputFolder;
        m_project.InputExtension = run.inputExtension;
        m_project.OutputExtension = run.outputExtension;
        m_batch = run.batch;

        Status("General", "Importing");
        int32_t imported = static_cast<int32_t>(run.job.queue.size());
        Status(FillPlaceholders(m_texts.Text("Msg", "Import complete"), std::to_string(imported)));
        if (imported == 0) {
            m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
            m_out.PrintLine(m_texts.Text("Msg", "Empty input files"));
            return ConsoleRunOutcome::NotComplete;
        }

        Status("General", "Converting");
        int32_t converted = Convert(std::move(run.job));
        // A batch names every file that failed, in quiet mode too.
        for (const FileResult& failed : m_failures.results)
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

    int32_t Convert(ConversionJob job) {

        // The per-file lines belong to a command-line job in debug mode. The
        // main thread only waits, so the worker's lines and ours never overlap.
        FileReport fileReport([this](const std::string& line) { m_out.PrintLine(line); });
        const bool debug = m_project.CommandLineInput != 0 && m_project.RunMode == "DEBUG";
        m_failures.report = debug ? &fileReport : nullptr;
        m_failures.collect = m_batch;
        ConversionRun run(std::move(job), &m_failures);
        run.Start();
        run.Wait();
        m_project.FileCounter = run.outcome().nextFileNumber;
        m_project.RandomNumber = run.outcome().nextRandomNumber;
        return run.outcome().filesConverted;
    }

    const ConversionSettings& m_settings;
    ProjectState& m_project;
    const TextTable& m_texts;
    ConsoleOutput& m_out;
    bool m_quiet;
    RunReport m_report;
    bool m_batch = false;
    FailureList m_failures;
};

}  // namespace

ConsoleRunOutcome RunConsoleBatch(const ConversionSettings& settings, ProjectState& project,
                                  const TextTable& texts, ConsoleOutput& out, bool quiet) {
    return ConsoleRun(settings, project, texts, out, quiet).Run();
}

}  // namespace orvex
