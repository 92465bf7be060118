// The console face: mode selection on the first argument, the argument
// loop, and what follows it (error line, batch run, or the desktop).
#pragma once

#include <string>
#include <vector>

#include "settings/conversion_settings.h"
#include "settings/project_state.h"

namespace orvex {

class ConsoleOutput;
class TextTable;

// Exit codes of the process.
inline constexpr int kExitSuccess = 0;     // done, help, version
inline constexpr int kExitIncomplete = 1;  // nothing imported or nothing converted
inline constexpr int kExitRefused = 2;     // an "Error: " line before any work

// What start-up does after the console entry.
enum class NextFace {
    Exit,               // the console has finished; exit with `exitCode`
    Desktop,            // no arguments, or arguments without an input file
    UninstallPrompt,    // first argument "-U"
    ScreenshotStaging,  // first argument "-T"
};

struct ConsoleEntryResult {
    NextFace next = NextFace::Exit;
    int exitCode = kExitSuccess;
};

// Everything the console face works on; owned by start-up.
struct ConsoleEnvironment {
    ConversionSettings& settings;
    ProjectState& project;
    TextTable& texts;
    ConsoleOutput& out;
    std::string programName;  // the executable's file name, for the usage text
    std::string appFolder;    // the executable's folder, ending with "/"
    int keyboardFd = 0;       // where a pause waits for its key
};

// `arguments` excludes the program name.
ConsoleEntryResult RunConsoleEntry(const std::vector<std::string>& arguments,
                                   ConsoleEnvironment& environment);

}  // namespace orvex
