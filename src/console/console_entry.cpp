// Mode selection and the end of a console run: version, usage, the error
// line of a refused command line, or the banner and the batch run.
#include "console/console_entry.h"

#include <cstring>

#include "settings/program_identity.h"
#include "console/command_line.h"
#include "console/console_run.h"
#include "console/usage_text.h"
#include "platform/console_output.h"
#include "text/text_table.h"

namespace orvex {

namespace {

int ExitCodeOf(ConsoleRunOutcome outcome) {
    switch (outcome) {
        case ConsoleRunOutcome::Converted:
            return kExitSuccess;
        case ConsoleRunOutcome::NotComplete:
            return kExitIncomplete;
        case ConsoleRunOutcome::Refused:
            break;
    }
    return kExitRefused;
}

void PrintUsage(ConsoleEnvironment& env) {
    auto pick = [] { return RandomEntry(InputExtensions()); };
    for (const std::string& line : UsageLines(env.programName, pick)) env.out.PrintLine(line);
}

// The prompt is shown only when the program will really wait for a key.
void PauseWithPrompt(ConsoleEnvironment& env) {
    if (!IsTerminal(env.keyboardFd)) return;
    env.out.PrintLine("Press any key to exit.");
    WaitForKeyPress(env.keyboardFd);
}

ConsoleEntryResult Entry(const std::vector<std::string>& arguments, ConsoleEnvironment& env);

}  // namespace

// Whatever the console did, output that could not be written (a full disk, a
// closed descriptor) is reported and fails the run, as the GNU tools do; a
// reader that went away early is no failure.
ConsoleEntryResult RunConsoleEntry(const std::vector<std::string>& arguments,
                                   ConsoleEnvironment& env) {
    ConsoleEntryResult result = Entry(arguments, env);
    if (const int error = env.out.OutputWriteError(); error != 0) {
        env.out.PrintErrorText(env.programName + ": write error: " + std::strerror(error));
        if (result.exitCode == kExitSuccess) result.exitCode = kExitIncomplete;
        result.next = NextFace::Exit;
    }
    return result;
}

namespace {

ConsoleEntryResult Entry(const std::vector<std::string>& arguments, ConsoleEnvironment& env) {
    if (arguments.empty()) return {NextFace::Desktop, kExitSuccess};

    // A fresh job on console defaults, whatever ran before.
    ResetProjectState(env.project, env.appFolder);
    ResetSettingsToDefaults(env.settings, true);
    env.texts.Build();

    std::string first = OptionName(arguments.front());
    if (first == "-U") return {NextFace::UninstallPrompt, kExitSuccess};
    if (first == "-T") return {NextFace::ScreenshotStaging, kExitSuccess};
    if (first == "-V" || first == "--VERSION") {
        env.out.PrintLine(VersionText());
        return {NextFace::Exit, kExitSuccess};
    }
    if (first == "-H" || first == "-?" || first == "--HELP") {
        PrintUsage(env);
        return {NextFace::Exit, kExitSuccess};
    }

    CommandLineResult line = ReadCommandLine(arguments, env.settings, env.project);
    for (const std::string& warning : line.warnings) env.out.PrintErrorText(warning);
    if (!line.error.empty()) {
        env.out.PrintLine(std::string(kErrorPrefix) + line.error);
        if (line.pause) WaitForKeyPress(env.keyboardFd);
        return {NextFace::Exit, kExitRefused};
    }
    if (!env.project.CommandLineInput) return {NextFace::Desktop, kExitSuccess};

    if (!line.quiet) {
        env.out.PrintLine(WindowTitleText());
        env.out.PrintLine(kConsoleNoticeLine);
        env.out.PrintLine(kWebSite);
        env.out.PrintLine(" ");
    }
    ConsoleRunOutcome outcome = RunConsoleBatch(env.settings, env.project, env.texts, env.out,
                                                line.quiet, env.programName);
    if (line.pause) PauseWithPrompt(env);
    return {NextFace::Exit, ExitCodeOf(outcome)};
}

}  // namespace

}  // namespace orvex
