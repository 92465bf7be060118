// The Convert command: the form and the settings are checked in a fixed
// order with one warning per fault, then the run starts behind the progress
// dialog.
#include <QComboBox>
#include <QLineEdit>

#include "settings/program_identity.h"
#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "run/run_checks.h"
#include "drawing/watermark_font.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "text/trim.h"
#include "ui/conversion_run.h"
#include "ui/dialogs.h"
#include "ui/folder_history.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/ui_text.h"

namespace orvex {


void MainWindow::Convert() {
    if (m_progress) return;  // one run at a time
    ConversionSettings& settings = m_context.settings;
    ProjectState& project = m_context.project;
    const TextTable& texts = m_context.texts;

    // One warning per fault, with the engine's reason named in it. Faults
    // of the form and the output end the run as "Conversion stopped"; the
    // watermark's leave the status at "Preparing...".
    auto warn = [&](const RunCheck& check, bool stoppedStatus) {
        if (stoppedStatus) SetStatus(UiText(texts, "Msg", "Conversion is not complete"));
        m_context.dialogs.Warning(this, UiText(texts, "Msg", "Warning"),
                                  UiText(texts, "Msg", MessageKey(check.fault), check.detail));
    };

    project.InputPath = std::string(Trim(ToUtf8(m_form->inputField->text()), kSpaces));
    m_queue = QueueInputFile(project.InputPath);

    const std::string typedFolder =
        std::string(Trim(ToUtf8(m_form->outputField->currentText()), kSpaces));
    const int format = m_form->formatField->currentIndex();
    project.OutputExtension =
        format >= 0 ? ToUtf8(m_form->formatField->itemData(format).toString()) : std::string();
    SetStatus(UiText(texts, "General", "Preparing"));

    if (m_queue.empty()) return warn(RunCheck{RunFault::EmptyInputFiles, ""}, true);
    if (typedFolder.empty()) return warn(RunCheck{RunFault::EmptyOutputFolder, ""}, true);
    RunCheck check = ResolveOutputFolder(typedFolder, WorkingFolder(), project.OutputFolder);
    if (!check.ok()) return warn(check, true);
    check = CheckResizeSize(settings);
    if (!check.ok()) return warn(check, true);

    std::shared_ptr<const WatermarkFont> font;
    if (settings.DoWatermark == 1) {
        check = LoadWatermarkFont(settings, font);
        if (!check.ok()) return warn(check, false);
    } else if (settings.DoWatermark == 2) {
        check = CheckWatermarkImage(settings);
        if (!check.ok()) return warn(check, false);
    }
    // Settings brought in from an edited configuration file can still be out
    // of range; the run refuses them here rather than failing every file.
    check = CheckOutputOptions(project.OutputExtension, settings, RunReport());
    if (!check.ok()) return warn(check, true);

    const SaveTarget target =
        MakeSaveTarget(project.OutputExtension, settings, project.OutputFolder);
    if (AddRecentOutFolder(settings, project.OutputFolder)) FillOutFolderField();

    SetStatus(UiText(texts, "General", "Converting"));
    ConversionJob job{settings, target, m_queue, font, project.FileCounter, project.RandomNumber};
    auto run = std::make_unique<WorkerRun>(std::move(job));
    WorkerRun* started = run.get();
    m_progress = new ProgressDialog(this, texts, m_context.dialogs, std::move(run),
                                    [this](const QString& text) { SetStatus(text); });
    m_progress->setWindowModality(Qt::WindowModal);
    connect(m_progress, &QDialog::finished, this, [this, started] {
        // "%n%" and "%rnd%" go on from where this run left them.
        m_context.project.FileCounter = started->outcome().nextFileNumber;
        m_context.project.RandomNumber = started->outcome().nextRandomNumber;
        m_progress->deleteLater();
        m_progress = nullptr;
        activateWindow();
        emit conversionFinished();
    });
    started->Start();
    m_progress->open();
    m_progress->StartPolling();
}

}  // namespace orvex
