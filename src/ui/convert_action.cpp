// The Convert command: the form and the settings are checked in a fixed
// order with one warning per fault, then the run starts behind the progress
// dialog.
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>

#include "app/program_identity.h"
#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "imaging/watermark_font.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "ui/conversion_run.h"
#include "ui/dialogs.h"
#include "ui/folder_history.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/ui_text.h"

namespace orvex {

namespace {

std::string TrimSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool IsExistingFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool IsNonEmptyFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    auto size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

}  // namespace

void MainWindow::Convert() {
    if (m_progress) return;  // one run at a time
    ConversionSettings& settings = m_context.settings;
    ProjectState& project = m_context.project;
    const TextTable& texts = m_context.texts;

    auto warn = [&](const char* key, const std::string& detail, bool stoppedStatus) {
        if (stoppedStatus) SetStatus(UiText(texts, "Msg", "Conversion is not complete"));
        m_context.dialogs.Warning(this, UiText(texts, "Msg", "Warning"),
                                  UiText(texts, "Msg", key, detail));
    };

    project.InputPath = TrimSpaces(ToUtf8(m_form->inputField->text()));
    m_queue.clear();
    if (IsAcceptedInputFile(project.InputPath, BuildAcceptedInputExtensions(InputExtensions())))
        m_queue[project.InputPath] = FileQueueEntry{1, ""};

    project.OutputFolder = TrimSpaces(ToUtf8(m_form->outputField->currentText()));
    const int format = m_form->formatField->currentIndex();
    project.OutputExtension =
        format >= 0 ? ToUtf8(m_form->formatField->itemData(format).toString()) : std::string();
    SetStatus(UiText(texts, "General", "Preparing"));

    if (m_queue.empty()) return warn("Empty input files", "", true);
    if (project.OutputFolder.empty()) return warn("Empty output folder", "", true);
    if (project.OutputFolder.back() != '/') project.OutputFolder += '/';
    if (!IsExistingFolder(project.OutputFolder))
        return warn("Invalid output folder", project.OutputFolder, true);
    if (settings.DoImageResize) {
        if (settings.ImageWidth == 0) return warn("Invalid width", "", true);
        if (settings.ImageHeight == 0) return warn("Invalid height", "", true);
    }
    if (FindOutputFormat(project.OutputExtension) == nullptr)
        return warn("Invalid conversion type", "", true);

    std::unique_ptr<WatermarkFont> font;
    if (settings.DoWatermark == 1) {
        font = WatermarkFont::Load(settings);
        if (!font) return warn("Invalid watermark font", settings.Font, false);
    } else if (settings.DoWatermark == 2) {
        if (settings.Image.empty()) return warn("Empty watermark image", "", false);
        if (!IsNonEmptyFile(settings.Image))
            return warn("Invalid watermark image", settings.Image, false);
    }

    PrepareSaveTarget(project.OutputExtension, settings, project);
    if (AddRecentOutFolder(settings, project.OutputFolder)) FillOutFolderField();

    SetStatus(UiText(texts, "General", "Converting"));
    auto run = std::make_unique<WorkerRun>(settings, project, m_queue, std::move(font));
    WorkerRun* started = run.get();
    m_progress = new ProgressDialog(this, texts, m_context.dialogs, std::move(run),
                                    [this](const QString& text) { SetStatus(text); });
    m_progress->setWindowModality(Qt::WindowModal);
    connect(m_progress, &QDialog::finished, this, [this] {
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
