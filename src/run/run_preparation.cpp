// The checks of a run in the order the console reports them, shared by both
// faces: what one refuses, the other refuses too.
#include "run/run_preparation.h"

#include <algorithm>

#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "run/output_names.h"
#include "run/gain_map_steps.h"
#include "settings/program_identity.h"
#include "settings/setting_ranges.h"

namespace orvex {
namespace {

// An input or output fault names its path, for the console's cause line.
RunCheck About(RunCheck check, const std::string& path) {
    check.path = path;
    return check;
}

// The folder a missing output folder stands for: a folder input is its own,
// a file's is the folder it is in.
std::string FolderForOutput(const std::string& input) {
    if (!IsInputFolder(input)) return FolderOf(input);
    return input.back() == '/' ? input : input + "/";
}

// The inputs checked and queued. The console takes files and folders; the
// desktop takes the one file of its input field.
RunCheck QueueRequest(const ConversionSettings& settings, const RunRequest& request,
                      const RunReport& report, PreparedRun& prepared) {
    for (const std::string& input : request.inputs) report.Debug("Input: " + report.Path(input));
    if (request.face == RunFace::Desktop) {
        prepared.job.queue =
            request.inputs.empty() ? FileQueue() : QueueInputFile(request.inputs.front());
        if (prepared.job.queue.empty())
            return About(RunCheck(RunFault::EmptyInputFiles), request.inputs.front());
        return {};
    }
    if (request.inputs.empty()) return RunCheck(RunFault::InvalidInputFile);
    prepared.batch = request.inputs.size() > 1 || IsInputFolder(request.inputs.front());
    if (prepared.batch) {
        RunCheck check = QueueInputs(request.inputs, settings.KeepSubfolders != 0,
                                     prepared.job.queue, &prepared.skipped);
        return About(check, check.detail);
    }
    const std::string& file = request.inputs.front();
    if (RunCheck input = CheckInputFile(file); !input.ok()) return About(input, file);
    // A list file is checked like any input, and queues nothing.
    prepared.job.queue = QueueInputFile(file);
    return {};
}

RunCheck ResolveOutput(const RunRequest& request, const RunReport& report, PreparedRun& prepared) {
    std::string folder = request.outputFolder;
    if (folder.empty()) {
        if (request.face == RunFace::Desktop) return About(RunCheck(RunFault::EmptyOutputFolder), "");
        folder = FolderForOutput(request.inputs.front());
    }
    report.Debug("Output: " + report.Path(folder));
    if (RunCheck output = ResolveOutputFolder(folder, WorkingFolder(), prepared.outputFolder);
        !output.ok())
        return About(output, folder);

    prepared.inputExtension =
        request.inputExtension.empty() ? InputExtensions().front() : request.inputExtension;
    prepared.outputExtension =
        request.outputExtension.empty() ? OutputExtensions().front() : request.outputExtension;
    report.Debug("Conversion: " + prepared.outputExtension);
    const auto& outputs = OutputExtensions();
    if (std::find(outputs.begin(), outputs.end(), prepared.outputExtension) == outputs.end())
        return RunCheck(RunFault::InvalidConversionType, prepared.outputExtension);
    return {};
}

}  // namespace

Result<PreparedRun> PrepareRun(const ConversionSettings& settings, const RunRequest& request,
                               const RunReport& report) {
    PreparedRun prepared;
    if (RunCheck check = QueueRequest(settings, request, report, prepared); !check.ok())
        return check;
    if (RunCheck check = ResolveOutput(request, report, prepared); !check.ok()) return check;

    ReportInputOptions(prepared.inputExtension, settings, report);
    if (RunCheck check = CheckOutputOptions(prepared.outputExtension, settings, report);
        !check.ok())
        return check;
    // Values outside their option's range, before the chain's checks load
    // anything (a font size of 0 is the size's fault, not the font's).
    if (std::optional<RangeFault> range = CheckSettingRanges(settings)) {
        return RunCheck(RunFault::InvalidValue,
                        SettingName(*range->row) + ": " + FormatSettingNumber(range->value) +
                            " (accepted: " + AcceptedValuesText(*range->row) + ")");
    }
    if (RunCheck check = CheckGainMapOptions(settings, prepared.outputExtension); !check.ok())
        return check;
    ConversionJob& job = prepared.job;
    if (RunCheck check = CheckChainOptions(settings, report, job.font); !check.ok()) return check;
    ReportFileOptions(settings, report);

    job.settings = settings;
    job.target = MakeSaveTarget(prepared.outputExtension, settings, prepared.outputFolder);
    job.firstFileNumber = request.firstFileNumber;
    job.randomNumber = request.randomNumber;
    job.filesAtOnce = FilesAtOnceFor(job.queue, request.jobs);
    job.cores = request.jobs;
    // Names known before the run are checked before any work: no two inputs
    // write one output, and no output replaces another input.
    if (RunCheck names = CheckOutputNames(job); !names.ok()) return names;
    return prepared;
}

}  // namespace orvex
