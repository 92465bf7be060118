// The steps of a console run, from the input check to the outcome lines.
#include "console/console_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/program_identity.h"
#include "console/debug_report.h"
#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "imaging/conversion_worker.h"
#include "imaging/watermark_font.h"
#include "platform/console_output.h"
#include "text/text_table.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

// An extension is a "." after the last folder separator and the last space.
bool HasExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    size_t boundary = path.find_last_of("/ ");
    return boundary == std::string::npos || dot > boundary;
}

std::string LowerExtensionOf(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : ToLowerUtf8(name.substr(dot + 1));
}

bool IsNonEmptyRegularFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    auto size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::string WorkingFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
    std::string folder = buffer.data();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

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
                   project.RunMode == "DEBUG") {}

    ConsoleRunOutcome Run() {
        if (!CheckInputAndOutput() || !CheckSettings()) return ConsoleRunOutcome::Refused;
        PrepareSaveTarget(m_project.OutputExtension, m_settings, m_project);

        Status("General", "Importing");
        FileQueue queue = Import();
        int32_t imported = static_cast<int32_t>(queue.size());
        Status(FillPlaceholders(m_texts.Text("Msg", "Import complete"), std::to_string(imported)));
        if (imported == 0) {
            m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
            m_out.PrintLine(m_texts.Text("Msg", "Empty input files"));
            return ConsoleRunOutcome::NotComplete;
        }

        Status("General", "Converting");
        int32_t converted = Convert(queue);
        if (converted > 0) {
            Status("Msg", "Conversion complete");
            Status(FillPlaceholders(m_texts.Text("Msg", "Files converted"),
                                    std::to_string(converted), std::to_string(imported)));
            return ConsoleRunOutcome::Converted;
        }
        m_out.PrintLine(m_texts.Text("Msg", "Conversion is not complete"));
        return ConsoleRunOutcome::NotComplete;
    }

  private:
    void Status(const std::string& line) {
        if (!m_quiet) m_out.PrintLine(line);
    }
    void Status(const char* group, const char* key) { Status(m_texts.Text(group, key)); }

    bool Stop(const std::string& errorLine) {
        m_out.PrintLine(errorLine);
        return false;
    }

    bool CheckInputAndOutput() {
        Status("General", "Preparing");
        m_report.Debug("Input: " + m_project.InputArgument);
        if (!HasExtension(m_project.InputArgument)) {
            m_project.InputArgument.clear();
            return Stop("Error: Invalid input file");
        }
        m_project.InputPath = m_project.InputArgument;
        m_project.InputArgument.clear();
        if (!IsNonEmptyRegularFile(m_project.InputPath)) return Stop("Error: Invalid input file");

        if (m_project.OutputFolder.empty()) m_project.OutputFolder = FolderOf(m_project.InputPath);
        m_report.Debug("Output: " + m_project.OutputFolder);
        if (m_project.OutputFolder.rfind("..", 0) == 0)
            return Stop("Error: Incorrect output folder");
        // A relative folder is taken from the working folder, like the input.
        m_project.OutputFolder = ResolveOutputFolder(m_project.OutputFolder, WorkingFolder());
        if (!IsFolder(m_project.OutputFolder)) return Stop("Error: Invalid output folder");

        if (m_project.InputExtension.empty()) m_project.InputExtension = InputExtensions().front();
        if (m_project.OutputExtension.empty())
            m_project.OutputExtension = OutputExtensions().front();
        m_report.Debug("Conversion: " + m_project.OutputExtension);
        const auto& outputs = OutputExtensions();
        if (std::find(outputs.begin(), outputs.end(), m_project.OutputExtension) == outputs.end())
            return Stop("Error: Invalid conversion type");
        return true;
    }

    bool CheckSettings() {
        ReportInputOptions(m_project.InputExtension, m_settings, m_report);
        std::string error = CheckOutputOptions(m_project.OutputExtension, m_settings, m_report);
        if (error.empty()) error = CheckChainOptions(m_settings, m_report, m_font);
        if (!error.empty()) return Stop(error);
        ReportFileOptions(m_settings, m_report);
        return true;
    }

    // List files ("txt", "lst") are never imported in a command-line job;
    // any other file is imported when it is an accepted input type.
    FileQueue Import() {
        FileQueue queue;
        std::string extension = LowerExtensionOf(m_project.InputPath);
        if (extension == "txt" || extension == "lst") return queue;
        if (IsAcceptedInputFile(m_project.InputPath,
                                BuildAcceptedInputExtensions(InputExtensions())))
            queue[m_project.InputPath] = FileQueueEntry{1, ""};
        return queue;
    }

    int32_t Convert(const FileQueue& queue) {
        ProgressState progress;
        progress.FilesStarted = 0;
        progress.CurrentFile.clear();
        progress.LastFileMillis = 0;
        progress.FilesConverted = 0;
        progress.KeepRunning = 1;
        std::mutex progressLock;
        ConversionJob job{m_settings,   m_project,
                          queue,        progress,
                          progressLock, m_font.get(),
                          nullptr,      [this](const std::string& line) { m_out.PrintLine(line); }};
        // The main thread only waits: nothing else touches the job while the
        // worker runs, and the worker's lines and ours never overlap.
        std::thread worker([&job] { ConversionWorker(job); });
        worker.join();
        std::lock_guard<std::mutex> guard(progressLock);
        return progress.FilesConverted;
    }

    const ConversionSettings& m_settings;
    ProjectState& m_project;
    const TextTable& m_texts;
    ConsoleOutput& m_out;
    bool m_quiet;
    RunReport m_report;
    std::unique_ptr<WatermarkFont> m_font;  // freed when the run ends
};

}  // namespace

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ResolveOutputFolder(std::string folder, const std::string& workingFolder) {
    if (folder.empty() || folder.front() != '/') {
        if (folder == ".")
            folder.clear();
        else if (folder.rfind("./", 0) == 0)
            folder.erase(0, 2);
        folder = workingFolder + folder;
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

ConsoleRunOutcome RunConsoleBatch(const ConversionSettings& settings, ProjectState& project,
                                  const TextTable& texts, ConsoleOutput& out, bool quiet) {
    return ConsoleRun(settings, project, texts, out, quiet).Run();
}

}  // namespace orvex
