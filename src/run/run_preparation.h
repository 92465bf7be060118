// The one preparation of a run, for both faces: the inputs are checked and
// queued, the output folder resolved, every option checked with its report
// line, and the text watermark's font loaded. The result is a job ready to
// run, or the first fault with the report lines printed up to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/conversion_run.h"
#include "run/conversion_worker.h"
#include "run/run_checks.h"

namespace orvex {

// Who asks: the console may leave the output folder out (the first input's
// folder is taken) and names files and folders; the desktop names one file
// and must give an output folder.
enum class RunFace { Console, Desktop };

struct RunRequest {
    RunFace face = RunFace::Console;
    std::vector<std::string> inputs;  // files and folders, in the order given
    std::string outputFolder;         // as given; relative ones start in the working folder
    std::string inputExtension;       // "" = this build's first
    std::string outputExtension;      // "" = this build's first
    int32_t firstFileNumber = 1;      // "%n%" of the first converted file
    int32_t randomNumber = 1;         // "%rnd%" of the first converted file
    int32_t jobs = 0;                 // files at once and cores (0 = every core)
};

struct PreparedRun {
    ConversionJob job;          // its queue may be empty: nothing could be queued
    std::string outputFolder;   // resolved, ends with "/"
    std::string inputExtension;
    std::string outputExtension;
    bool batch = false;         // several inputs, or a folder
    std::vector<SkippedInput> skipped;  // what the folder walk passed over, and why
};

// Checks and prepares the run `request` asks for with `settings`, printing
// the report's lines to `report` in the order the console shows them:
// inputs, output, conversion, input and output options, chain options, file
// options. The first fault ends it.
Result<PreparedRun> PrepareRun(const ConversionSettings& settings, const RunRequest& request,
                               const RunReport& report);

}  // namespace orvex
