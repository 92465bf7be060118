// The input file and the output folder of the main window: the open-file and
// folder dialogs, dropped files and the output-folder history field.
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>

#include "settings/program_identity.h"
#include "run/conversion_run.h"
#include "formats/input_formats.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/folder_history.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

namespace orvex {

namespace {

bool IsExistingFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

bool MainWindow::AddInputFile(const std::string& path) {
    // The same test as the console's queue: a non-empty file of an accepted
    // type. The desktop has no input root, so the file has no sub-folder.
    FileQueue queue = QueueInputFile(path);
    if (queue.empty()) return false;
    ProjectState& project = m_context.project;
    m_queue = std::move(queue);

    m_form->inputField->setText(QString::fromStdString(path));
    if (m_form->outputField->currentText().isEmpty()) {
        std::string folder = project.InputArgument.empty() ? FolderOf(path)
                                                           : WithTrailingSlash(project.InputArgument);
        AddRecentOutFolder(m_context.settings, folder);
        project.OutputFolder = folder;
        FillOutFolderField();
    }
    return true;
}

// "All Supported Files|*.hdr;*.hdri|...|All Files (*.*)|*.*" becomes one Qt
// filter entry per pair, "Description (*.a *.b)", and "All Files (*)".
QStringList MainWindow::InputFileFilters() const {
    const std::string filter =
        BuildOpenFileFilter(BuildAcceptedInputExtensions(InputExtensions()), m_context.texts);
    QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        int bracket = description.indexOf(QStringLiteral(" ("));
        if (bracket >= 0) description.truncate(bracket);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
        }
        patterns.sort();
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QStringLiteral(")");
    }
    return entries;
}

void MainWindow::ChooseInputFile() {
    ProjectState& project = m_context.project;
    QString start = QString::fromStdString(project.InputPath.empty() ? m_lastOpenFolder
                                                                     : project.InputPath);
    QString chosen = m_context.dialogs.OpenFile(
        this, UiText(m_context.texts, "Dialog", "Select Input Files"), start, InputFileFilters());
    if (!chosen.isEmpty()) {
        m_lastOpenFolder = FolderOf(ToUtf8(chosen));
        AddInputFile(ToUtf8(chosen));
    }
    project.InputPath.clear();
    m_form->Relayout(m_form->width(), kFixedHeight);
}

void MainWindow::ChooseOutputFolder() {
    ProjectState& project = m_context.project;
    std::string start = project.OutputFolder;
    const std::string shown = ToUtf8(m_form->outputField->currentText());
    if (!shown.empty()) start = FolderOf(WithTrailingSlash(shown));
    QString chosen = m_context.dialogs.ChooseFolder(
        this, UiText(m_context.texts, "Dialog", "Select Output Folder"),
        QString::fromStdString(start));
    const std::string folder = WithTrailingSlash(ToUtf8(chosen));
    // A folder that vanished while the dialog was open is ignored.
    if (!chosen.isEmpty() && IsExistingFolder(folder)) {
        AddRecentOutFolder(m_context.settings, folder);
        project.OutputFolder = folder;
        FillOutFolderField();
    }
    m_form->Relayout(m_form->width(), kFixedHeight);
}

void MainWindow::FillOutFolderField() {
    const ConversionSettings& settings = m_context.settings;
    if (settings.RecentOutFolders.empty()) return;
    QComboBox* field = m_form->outputField;
    const QIcon icon = IconFor(m_context.icons.small, "FavFolder");
    const std::string current = m_context.project.OutputFolder;
    QSignalBlocker quiet(field);
    field->clear();
    int selected = -1;
    for (int32_t i = 0; i < settings.OutFoldersNumber; ++i) {
        std::string entry = RecentOutFolder(settings.RecentOutFolders, i);
        if (entry.empty()) continue;
        field->addItem(icon, QString::fromStdString(entry));
        if (selected < 0 && entry == current) selected = field->count() - 1;
    }
    field->setCurrentIndex(selected >= 0 ? selected : 0);
    m_context.project.OutputFolder = ToUtf8(field->currentText());
}

}  // namespace orvex
