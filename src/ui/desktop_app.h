// The desktop face's entry, called by start-up for a start without an input
// file, and for the "-U" and "-T" modes. Free of Qt types, so start-up can
// include it whether or not the desktop is built: start-up reaches the face
// through the desktop module it loads at run time.
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

// The id of the installed desktop entry (and of the metainfo and icons); the
// desktop gives it to the window system as its desktop file name.
const char* DesktopEntryId();

// The desktop module's one exported function runs RunDesktop. Its name
// carries the version number, so a module of another version is refused
// when it is loaded instead of being called with a record it reads wrongly.
using DesktopEntry = int (*)(DesktopStart* start);
inline constexpr const char* kDesktopEntrySymbol = "orvex_run_desktop_310";

}  // namespace orvex
