// The Convert command: the form and the settings go through the engine's
// run preparation with one warning per fault, then the run starts behind the
// progress dialog.
#include <QComboBox>
#include <QLineEdit>

#include "settings/program_identity.h"
#include "formats/output_formats.h"
#include "run/conversion_run.h"
#include "run/run_checks.h"
#include "run/run_preparation.h"
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

    // The engine's one preparation checks the form and every setting, as
    // the console's run does. One warning per fault, with the engine's reason
    // named in it; the watermark's faults leave the status at "Preparing...",
    // every other ends the run as "Conversion stopped".
    project.InputPath = std::string(Trim(ToUtf8(m_form->inputField->text()), kSpaces));
    const int format = m_form->formatField->currentIndex();
    project.OutputExtension =
        format >= 0 ? ToUtf8(m_form->formatField->itemData(format).toString()) : std::string();
    SetStatus(UiText(texts, "General", "Preparing"));

    RunRequest request;
    request.face = RunFace::Desktop;
    request.inputs.push_back(project.InputPath);
    request.outputFolder = std::string(Trim(ToUtf8(m_form->outputField->currentText()), kSpaces));
    request.outputExtension = project.OutputExtension;
    request.firstFileNumber = project.FileCounter;
    request.randomNumber = project.RandomNumber;
    Result<PreparedRun> prepared = PrepareRun(settings, request, RunReport());
    if (!prepared.ok()) {
        const RunCheck& check = prepared.fault();
        const bool watermark = check.fault == RunFault::InvalidWatermarkFont ||
                               check.fault == RunFault::EmptyWatermarkImage ||
                               check.fault == RunFault::InvalidWatermarkImage;
        if (!watermark) SetStatus(UiText(texts, "Msg", "Conversion is not complete"));
        m_context.dialogs.Warning(this, UiText(texts, "Msg", "Warning"),
                                  UiText(texts, "Msg", MessageKey(check.fault), check.detail));
        return;
    }
    ConversionJob& job = prepared.value().job;
    project.OutputFolder = prepared.value().outputFolder;
    m_queue = job.queue;
    if (AddRecentOutFolder(settings, project.OutputFolder)) FillOutFolderField();

    SetStatus(UiText(texts, "General", "Converting"));
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
