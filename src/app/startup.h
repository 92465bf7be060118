// Process start-up: prepares the process-wide records, lets the console
// face run, and hands anything else to the desktop face.
#pragma once

#include <string>
#include <vector>

#include "console/console_entry.h"

namespace orvex {

// What the desktop face receives from start-up.
struct DesktopStart {
    NextFace face;                       // Desktop, UninstallPrompt or ScreenshotStaging
    std::vector<std::string> arguments;  // program name excluded
    ConversionSettings& settings;
    ProjectState& project;
    TextTable& texts;
};

// The desktop face's entry; it exists when the program is built with the
// desktop. Returns the process exit code.
int RunDesktopFace(DesktopStart& start);

// The whole program; returns the process exit code.
int RunProgram(int argc, char** argv);

}  // namespace orvex
