// Finds and loads the desktop face. The desktop is a module of its own
// (Qt and its libraries come with it), so a machine that only converts from
// the console needs none of them; the program loads it only for a start
// that belongs to the desktop.
#pragma once

#include <string>
#include <vector>

#include "ui/desktop_app.h"

namespace orvex {

// The places the module is looked for, in order: beside the program (the
// build tree), then the private library folder of the installed layout,
// found from the program's own folder so a moved tree keeps working.
std::vector<std::string> DesktopModuleCandidates(const std::string& appFolder);

struct LoadedDesktop {
    DesktopEntry entry = nullptr;  // null when the module is missing or unusable
    std::string problem;           // why, as one line for standard error
};

// Loads the first candidate that exists; later ones are not tried when it
// cannot be loaded (a broken install must be reported, not hidden).
LoadedDesktop LoadDesktopModule(const std::string& appFolder, const std::string& programName);

}  // namespace orvex
