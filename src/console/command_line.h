// The console's command line: option names and values, the quoting rules
// and the loop that stores every argument into the job and the settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/conversion_settings.h"
#include "settings/project_state.h"

namespace orvex {

inline constexpr const char* kIncorrectParameters = "Incorrect number of parameters";
inline constexpr const char* kInvalidProfileFile = "Invalid profile file";
inline constexpr const char* kUnknownOption = "Unknown option: ";

// The name of an argument: trimmed; for a "--" argument the part before the
// first "=", for a "-" argument the whole of it, otherwise empty; then
// upper-cased. "--Input=a.hdr" gives "--INPUT" and "-i=a.hdr" gives
// "-I=A.HDR".
std::string OptionName(std::string_view argument);

// The value of argument `index`: trimmed; for a "--" argument holding "="
// (from its third character on) the part after that "=", otherwise the
// whole trimmed argument. Past the last argument it is empty.
std::string OptionValue(const std::vector<std::string>& arguments, size_t index);

// What the argument loop leaves besides the job and the settings.
struct CommandLineResult {
    std::string error;  // the first error, empty when none
    // Lines for standard error that do not stop the run ("Warning: " ...).
    std::vector<std::string> warnings;
    bool quiet = false;
    bool pause = false;
};

// Walks `arguments` (program name excluded) in order and stores what they
// name: "-i", "-o", "-c", "-d" into `project`, the long options and any
// "--profile" into `settings`. Once an input is named, every further
// argument that is no option is one more input (what a shell makes of
// "-i *.hdr"). Stops at the first error: a missing value, an option that is
// not this program's, a value its option cannot read, an unreadable profile.
CommandLineResult ReadCommandLine(const std::vector<std::string>& arguments,
                                  ConversionSettings& settings, ProjectState& project);

}  // namespace orvex
