// Start-up order: identity and extension lists, the process-wide records,
// the console entry, then (only for the desktop) the desktop module and the
// single-instance lock.
#include "app/startup.h"

#include <unistd.h>

#include "app/desktop_loader.h"
#include "settings/program_identity.h"
#include "platform/console_output.h"
#include "platform/executable_folder.h"
#include "platform/instance_lock.h"
#include "platform/signals.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"

namespace orvex {

namespace {

#ifdef ORVEX_HAVE_DESKTOP
constexpr bool kHaveDesktop = true;
#else
constexpr bool kHaveDesktop = false;
#endif

// Only the desktop is a single instance: console runs never touch the lock,
// so scripts can convert in parallel while the window is open. The desktop
// module is loaded first, so a machine without it hears how to get it.
int RunDesktopPath(DesktopStart& start, ConsoleOutput& out, const std::string& programName) {
    if (!kHaveDesktop) {
        out.PrintErrorText(programName +
                           ": this build has no desktop interface; run it with -h for the "
                           "console usage.");
        return kExitIncomplete;
    }
    const LoadedDesktop desktop = LoadDesktopModule(start.appFolder, programName);
    if (desktop.entry == nullptr) {
        out.PrintErrorText(desktop.problem);
        return kExitIncomplete;
    }
    InstanceLock lock;
    if (lock.Acquire(InstanceLock::DefaultPath(WindowTitleText())) ==
        InstanceLock::Result::HeldElsewhere) {
        return kExitSuccess;  // the running window of this version stays the only one
    }
    return desktop.entry(&start);
}

}  // namespace

int RunProgram(int argc, char** argv) {
    // Before any thread: a closed output pipe must not end the run, and an
    // ending signal leaves no temporary file and no raw terminal behind.
    InstallSignalHandling();
    // The one instance of each process-wide record lives here, for the whole
    // process, and is handed down by reference.
    ConversionSettings settings;
    ProjectState project;
    TextTable texts;
    ConsoleOutput out(STDOUT_FILENO, STDERR_FILENO);

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    std::string programName = ExecutableName(argc > 0 ? argv[0] : nullptr);

    ConsoleEnvironment console{settings,           project,     texts, out, programName,
                               ExecutableFolder(), STDIN_FILENO};
    ConsoleEntryResult result = RunConsoleEntry(arguments, console);
    if (result.next == NextFace::Exit) return result.exitCode;

    // The desktop reads every text from the built-in table; a lone file
    // argument ("orvex photo.hdr", as a file manager starts it) fills the
    // input field.
    texts.Build();
    DesktopStart start{argc, argv, "", arguments, "", ExecutableFolder(), texts, settings, project};
    if (result.next == NextFace::UninstallPrompt) start.mode = "-U";
    if (result.next == NextFace::ScreenshotStaging) start.mode = "-T";
    if (result.next == NextFace::Desktop && arguments.size() == 1 &&
        arguments.front().rfind("-", 0) != 0)
        start.fileArgument = arguments.front();
    return RunDesktopPath(start, out, programName);
}

}  // namespace orvex
