// The console batch run: resolves and checks the input and the output,
// prints the status and debug report, converts the one input file through
// the engine's run and prints the outcome.
#pragma once

#include <string>

#include "settings/conversion_settings.h"
#include "settings/project_state.h"

namespace orvex {

class ConsoleOutput;
class TextTable;

enum class ConsoleRunOutcome {
    Converted,    // at least one file was converted
    NotComplete,  // nothing was imported, or a file failed to convert
    Refused,      // an "Error: " line ended the run before any work
};

// `programName` starts the standard-error line of each file that fails
// ("orvex: a.hdr: the picture is empty").
ConsoleRunOutcome RunConsoleBatch(const ConversionSettings& settings, ProjectState& project,
                                  const TextTable& texts, ConsoleOutput& out, bool quiet,
                                  const std::string& programName = "orvex");

}  // namespace orvex
