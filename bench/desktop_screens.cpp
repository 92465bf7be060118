// Pictures of the desktop for the documentation: the main window in both
// themes at two icon sizes, the progress dialog during and after a run of
// five pictures, and the stop question. Run it under a display (Xvfb):
//   desktop_screens <output folder> <folder holding gfx/>
#include <FreeImage.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "settings/conversion_settings.h"
#include "settings/program_identity.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "ui/conversion_run.h"
#include "ui/dialogs.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/preferences_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/theme/theme_loader.h"

using namespace orvex;

namespace {

void Wait(int millis) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

// A Radiance picture large enough that each file takes a moment.
void WritePicture(const std::string& path, int width, int height) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < width; ++x) {
            row[x].red = 2.0f * float(x) / float(width);
            row[x].green = 1.5f * float(y) / float(height);
            row[x].blue = 0.5f + 0.5f * std::sin(float(x + y) / 40.0f);
        }
    }
    FreeImage_Save(FIF_HDR, image, path.c_str(), 0);
    FreeImage_Unload(image);
}

// Shows the stop question as the desktop does, grabs it, and answers Yes.
class GrabbingDialogs final : public DesktopDialogs {
  public:
    explicit GrabbingDialogs(std::string path) : m_path(std::move(path)) {}
    void Warning(QWidget*, const QString&, const QString&) override {}
    void Information(QWidget*, const QString&, const QString&) override {}
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.show();
        Wait(300);
        box.grab().save(QString::fromStdString(m_path));
        return true;
    }
    QString OpenFile(QWidget*, const QString&, const QString&, const QStringList&) override {
        return {};
    }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> ChooseColour(QWidget*, const QColor&) override { return std::nullopt; }
    QString ChooseFont(QWidget*, const QString&) override { return {}; }

  private:
    std::string m_path;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: desktop_screens <output folder> <program folder>\n");
        return 2;
    }
    QApplication application(argc, argv);
    // The pictures are saved straight into the folder: it must exist first.
    std::filesystem::create_directories(argv[1]);
    const std::string out = std::string(argv[1]) + "/";
    const std::string appFolder = std::string(argv[2]) + "/";
    TextTable texts;
    texts.Build();

    for (const char* theme : {"handdrawn", "flat"}) {
        for (int uiSize : {0, 3}) {
            ConversionSettings settings;
            ResetSettingsToDefaults(settings, false);
            settings.UiTheme = theme;
            settings.UiSize = uiSize;
            settings.RecentOutFolders = "/tmp/converted/";
            ProjectState project;
            GrabbingDialogs dialogs(out + "unused.png");
            IconSets icons;
            LoadIconSets(icons, settings, appFolder, true, true, true);
            DesktopContext context{settings, project, texts, dialogs, icons, appFolder};
            MainWindow window(context);
            window.SetInnerGeometry(100, 100, 560);
            window.show();
            window.form()->inputField->setText("/tmp/images/summer.hdr");
            window.FillOutFolderField();
            Wait(400);
            const std::string name = out + "main_" + theme + "_" + std::to_string(
                uiSize == 0 ? 16 : 48) + ".png";
            window.grab().save(QString::fromStdString(name));
        }
    }

    // Every page of the preferences, with the frame, the text watermark and
    // the custom time stamp switched on so that their rows show.
    {
        ConversionSettings settings;
        ResetSettingsToDefaults(settings, false);
        settings.DoFrame = 1;
        settings.DoWatermark = 1;
        settings.FileTimestamp = 2;
        GrabbingDialogs dialogs(out + "unused.png");
        PreferencesSources sources;
        for (const auto& [id, theme] : ListThemes(ThemeFolders(appFolder)))
            sources.themes.emplace_back(id, theme.Name);
        sources.inputFormats = InputExtensions();
        sources.outputFormats = OutputExtensions();
        PreferencesDialog dialog(nullptr, settings, texts, dialogs, sources, 0);
        dialog.show();
        for (int page = 0; page < 9; ++page) {
            dialog.ShowPage(page);
            Wait(200);
            dialog.grab().save(QString::fromStdString(out + "preferences_" + std::to_string(page) + ".png"));
        }
    }

    // A real run of five pictures behind the progress dialog.
    const std::string pictures = out + "pictures/";
    std::filesystem::create_directories(pictures + "converted");
    FileQueue queue;
    for (int i = 1; i <= 5; ++i) {
        const std::string path = pictures + "holiday_" + std::to_string(i) + ".hdr";
        WritePicture(path, 2400, 1600);
        queue.push_back(QueuedFile{path, ""});
    }
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, false);
    auto makeRun = [&] {
        ConversionJob job{settings, MakeSaveTarget("jpg", settings, pictures + "converted/"),
                          queue, nullptr, 1, 1};
        auto run = std::make_unique<WorkerRun>(std::move(job));
        run->Start();
        return run;
    };
    GrabbingDialogs dialogs(out + "stop_question.png");
    {
        ProgressDialog dialog(nullptr, texts, dialogs, makeRun(), [](const QString&) {});
        dialog.show();
        dialog.StartPolling();
        while (!dialog.Finished() && dialog.windowTitle() != "Converting (3/5)") Wait(15);
        Wait(100);
        dialog.grab().save(QString::fromStdString(out + "progress_running.png"));
        while (!dialog.Finished()) Wait(15);
        dialog.grab().save(QString::fromStdString(out + "progress_done.png"));
    }
    {
        ProgressDialog dialog(nullptr, texts, dialogs, makeRun(), [](const QString&) {});
        dialog.show();
        dialog.StartPolling();
        while (!dialog.Finished() && dialog.windowTitle() != "Converting (2/5)") Wait(15);
        dialog.RequestClose();  // grabs the question and answers Yes
        while (!dialog.Finished()) Wait(15);
        dialog.grab().save(QString::fromStdString(out + "progress_stopped.png"));
    }
    return 0;
}
