// Desktop start and exit: the Qt application, the configuration, the icon
// sets, the main window and the event loop; and the two special modes.
#include "ui/desktop_app.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "settings/program_identity.h"
#include "run/conversion_run.h"
#include "settings/configuration_file.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/special_modes.h"
#include "ui/update_check.h"

namespace orvex {

namespace {

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// Qt ends the process when it cannot reach the display; the desktop ends
// instead with exit code 1 and one line on standard error.
void DisplayFailureHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    std::fprintf(stderr, "orvex: cannot open the desktop window: %s\n",
                 message.toLocal8Bit().constData());
    std::fflush(stderr);
    _exit(1);
}

bool HasDisplay() {
    return NonEmptyEnv("QT_QPA_PLATFORM") || NonEmptyEnv("DISPLAY") ||
           NonEmptyEnv("WAYLAND_DISPLAY");
}

int RunMainWindow(DesktopStart& start, DesktopDialogs& dialogs) {
    ConversionSettings& settings = start.settings;
    const std::string configPath = ConfigFilePath();
    std::optional<DesktopSize> desktop;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        desktop = DesktopSize{area.width(), area.height()};
    }
    LoadConfiguration(settings, configPath, desktop);

    IconSets icons;
    LoadIconSets(icons, settings, start.appFolder, true, true, true);

    DesktopContext context{settings, start.project, start.texts, dialogs, icons, start.appFolder};
    MainWindow window(context);
    window.SetInnerGeometry(settings.X, settings.Y, settings.Width);
    if (settings.IsMaximized)
        window.showMaximized();
    else
        window.show();
    // A file named on the command line is taken as a dropped file would be;
    // a relative name is found from the folder the program was started in.
    if (!start.fileArgument.empty()) {
        std::string path = start.fileArgument;
        if (path.front() != '/') path = WorkingFolder() + path;
        window.AddInputFile(path);
    }
    if (start.project.RunMode != "T") ScheduledUpdateCheck(&window, settings, start.texts, dialogs);

    const int code = QApplication::exec();
    SaveDesktopState(window, settings, configPath);
    return code == 0 ? 0 : 1;
}

}  // namespace

bool SaveDesktopState(MainWindow& window, ConversionSettings& settings,
                      const std::string& configPath) {
    window.StoreGeometry();
    if (!settings.OutFoldersHistory) settings.RecentOutFolders.clear();
    return SaveConfiguration(settings, configPath);
}

const char* DesktopEntryId() { return ORVEX_APP_ID; }

int RunDesktop(DesktopStart& start) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "orvex: cannot open the desktop window: no display (DISPLAY is not set)\n");
        return 1;
    }
    qInstallMessageHandler(DisplayFailureHandler);
    QApplication application(start.argc, start.argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName(QString::fromUtf8(kInternalName));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kProductTitle));
    // Lets the window system match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopEntryId()));

    std::unique_ptr<DesktopDialogs> dialogs = MakeQtDialogs();
    if (start.mode == "-U") return RunUninstallPrompt(start.texts);
    if (start.mode == "-T") return RunScreenshotStaging(start, *dialogs);
    return RunMainWindow(start, *dialogs);
}

}  // namespace orvex
