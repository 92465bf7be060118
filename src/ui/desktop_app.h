// The desktop face's entry, called by start-up for a start without an input
// file, and for the "-U" and "-T" modes. Free of Qt types, so start-up can
// include it whether or not the desktop is built.
#pragma once

#include <string>
#include <vector>

namespace orvex {

struct ConversionSettings;
struct ProjectState;
class TextTable;

struct DesktopStart {
    int argc = 0;
    char** argv = nullptr;
    std::string mode;                    // "", "-U" or "-T"
    std::vector<std::string> arguments;  // the command line without the program name
    std::string fileArgument;            // a file to put in the input field, or ""
    std::string appFolder;               // the executable's folder, ending with "/"
    const TextTable& texts;              // built
    ConversionSettings& settings;        // desktop defaults applied
    ProjectState& project;
};

// Runs the desktop (or the special mode) to its end; returns the process
// exit code: 0, or 1 with a message on standard error when no window can be
// opened (no display).
int RunDesktop(DesktopStart& start);

}  // namespace orvex
