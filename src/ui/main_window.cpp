// The main window: building it, its commands, icons and geometry.
#include "ui/main_window.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "settings/program_identity.h"
#include "formats/output_formats.h"
#include "settings/configuration_file.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "text/unicode_case.h"
#include "ui/dialogs.h"
#include "ui/link_dialogs.h"
#include "ui/links.h"
#include "ui/main_form.h"
#include "ui/preferences_dialog.h"
#include "ui/preview_window.h"
#include "ui/theme/theme_loader.h"
#include "ui/progress_dialog.h"
#include "ui/update_check.h"
#include "ui/ui_text.h"

namespace orvex {

MainWindow::MainWindow(DesktopContext& context) : m_context(context) {
    setWindowTitle(QString::fromUtf8(kProductTitle));
    setAcceptDrops(true);

    m_actions = std::make_unique<CommandActions>(this, [this](Command command) { RunCommand(command); });
    m_form = new MainForm(this);
    setCentralWidget(m_form);
    // The form's panel shows the mini toolbars' commands.
    m_form->inputTools->addAction(m_actions->action(Command::SelectInputFile));
    m_form->outputTools->addAction(m_actions->action(Command::SelectOutputFolder));
    m_form->formatTools->addAction(m_actions->action(Command::OutputFormatOptions));
    // Tab walks the form row by row: each field, then its button.
    QWidget* previous = m_form->inputField;
    for (auto [tools, field] :
         {std::pair<QToolBar*, QWidget*>{m_form->inputTools, m_form->outputField},
          {m_form->outputTools, m_form->formatField},
          {m_form->formatTools, m_form->convertButton}}) {
        QWidget* button = tools->widgetForAction(tools->actions().front());
        button->setFocusPolicy(Qt::TabFocus);
        setTabOrder(previous, button);
        setTabOrder(button, field);
        previous = field;
    }
    // Shortcuts work wherever the focus is in this window.
    for (const CommandRow& row : CommandTable()) addAction(m_actions->action(row.command));

    connect(m_form->convertButton, &QToolButton::clicked, this, [this] { RunCommand(Command::Convert); });
    connect(m_form->outputField, &QComboBox::currentIndexChanged, this,
            [this](int) { OnOutputFieldActivated(); });
    connect(m_form->formatField, &QComboBox::activated, this,
            [this](int index) { OnFormatFieldActivated(index); });

    m_form->noticeLabel->setText(QString::fromUtf8(kNoticeLine));
    ApplyIcons();

    if (m_context.settings.RecentOutFolders.empty()) m_form->outputField->addItem(QString());
    FillFormatField();
    New();
}

MainWindow::~MainWindow() = default;

void MainWindow::Retranslate() {
    const TextTable& texts = m_context.texts;
    m_form->inputLabel->setText(UiText(texts, "General", "Input File"));
    m_form->outputLabel->setText(UiText(texts, "General", "Output Folder"));
    m_form->formatLabel->setText(UiText(texts, "General", "Output Format"));
    m_form->convertButton->setToolTip(UiText(texts, "Menu", "Convert"));
}

void MainWindow::ApplyIcons() {
    const IconSets& icons = m_context.icons;
    m_actions->Retranslate(m_context.texts, icons.small);
    m_actions->FillMenuBar(menuBar(), m_context.texts);
    m_actions->FillToolbar(m_form->mainToolbar, icons.toolbar,
                           ToolbarIconSize(m_context.settings.UiSize));
    Retranslate();

    QIcon convert = IconFor(icons.buttons, "Convert");
    m_form->convertButton->setIcon(convert);
    if (convert.isNull()) {
        m_form->convertButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
        m_form->convertButton->setText(UiText(m_context.texts, "General", "Convert"));
    } else {
        m_form->convertButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
        // Shown at the size it was drawn for; a scale of 2 takes its twin.
        const QImage& drawn = ThemePictures::Find(icons.pictures.ButtonImages, "Convert").Image;
        QSize size = drawn.isNull() ? QSize(64, 64) : drawn.size();
        m_form->convertButton->setIconSize(size.boundedTo(QSize(96, 96)));
    }
    QIcon folder = IconFor(icons.small, "FavFolder");
    for (int i = 0; i < m_form->outputField->count(); ++i) {
        if (!m_form->outputField->itemText(i).isEmpty()) m_form->outputField->setItemIcon(i, folder);
    }
    QIcon format = IconFor(icons.small, "New");
    for (int i = 0; i < m_form->formatField->count(); ++i) m_form->formatField->setItemIcon(i, format);

    m_form->layoutState().menuHeight = menuBar()->sizeHint().height();
    ApplySizeLimits();
}

int MainWindow::minimumInnerWidth() const {
    // Every toolbar button stays in sight: no overflow arrow at any icon size.
    return std::max(kMinimumWidth, m_form->mainToolbar->sizeHint().width());
}

void MainWindow::ApplySizeLimits() {
    // The height is fixed: the form area is always the same height, the
    // menu bar sits above it.
    const int menuHeight = m_form->layoutState().menuHeight;
    const int width = minimumInnerWidth();
    setMinimumSize(width, kFixedHeight + menuHeight);
    setMaximumSize(QWIDGETSIZE_MAX, kFixedHeight + menuHeight);
    if (this->width() < width) resize(width, kFixedHeight + menuHeight);
    m_form->Relayout(std::max(m_form->width(), width), kFixedHeight);
}

void MainWindow::FillFormatField() {
    m_form->formatField->clear();
    QIcon icon = IconFor(m_context.icons.small, "New");
    for (const std::string& extension : OutputExtensions()) {
        const OutputFormatRow* row = FindOutputFormat(extension);
        std::string text = ToUpperAscii(extension) + " (" + (row ? row->description : "") + ")";
        m_form->formatField->addItem(icon, QString::fromStdString(text),
                                     QString::fromStdString(extension));
    }
    if (m_form->formatField->count() > 0) {
        m_form->formatField->setCurrentIndex(0);
        m_context.settings.OutputFormat = OutputExtensions().front();
    }
}

void MainWindow::OnOutputFieldActivated() {
    m_context.project.OutputFolder = ToUtf8(m_form->outputField->currentText());
}

void MainWindow::OnFormatFieldActivated(int index) {
    if (index >= 0 && index < static_cast<int>(OutputExtensions().size()))
        m_context.settings.OutputFormat = OutputExtensions()[static_cast<size_t>(index)];
}

void MainWindow::RunCommand(Command command) {
    switch (command) {
        case Command::New: New(); break;
        case Command::Exit: close(); break;
        case Command::SelectInputFile: ChooseInputFile(); break;
        case Command::SelectOutputFolder: ChooseOutputFolder(); break;
        case Command::Convert: Convert(); break;
        case Command::CustomConverter:
            ShowFindConverterDialog(this, m_context.texts, m_context.dialogs);
            break;
        case Command::Manual: OpenTarget(ManualPath(m_context.appFolder)); break;
        case Command::SendFeedback: OpenTarget(FeedbackMailLink()); break;
        case Command::VisitHomepage: OpenTarget(HomepageUrl()); break;
        case Command::CheckForNewVersion:
            CheckForUpdates(this, m_context.texts, m_context.dialogs);
            break;
        case Command::About: ShowAboutDialog(this, m_context.texts); break;
        case Command::OutputFormatOptions:
            m_preferencesPage = static_cast<int>(PreferencesPage::Output);
            ShowPreferences();
            break;
        case Command::Preferences: ShowPreferences(); break;
        case Command::Preview: ShowPreview(); break;
    }
}

void MainWindow::ShowPreferences() {
    if (m_preferences != nullptr) {
        m_preferences->raise();
        return;
    }
    PreferencesSources sources;
    for (const auto& [id, theme] : ListThemes(ThemeFolders(m_context.appFolder)))
        sources.themes.emplace_back(id, theme.Name);
    sources.inputFormats = InputExtensions();
    sources.outputFormats = OutputExtensions();
    const int page = m_preferencesPage;
    m_preferencesPage = 0;
    m_preferences = new PreferencesDialog(this, m_context.settings, m_context.texts,
                                          m_context.dialogs, std::move(sources), page);
    m_preferences->setWindowModality(Qt::WindowModal);
    connect(m_preferences, &QDialog::finished, this, [this] {
        PreferencesDialog* dialog = m_preferences;
        m_preferences = nullptr;
        if (dialog->outcome() != PreferencesDialog::Outcome::Cancelled)
            ApplyPreferences(dialog->interfaceRefresh());
        dialog->deleteLater();
        activateWindow();
    });
    m_preferences->show();
}

void MainWindow::ApplyPreferences(int interfaceRefresh) {
    ConversionSettings& settings = m_context.settings;
    if (!SaveConfiguration(settings, ConfigFilePath()))
        m_context.dialogs.ErrorBox(this, UiText(m_context.texts, "Msg", "Error"),
                                   QStringLiteral("Cannot save the settings to %1.")
                                       .arg(QString::fromStdString(ConfigFilePath())));
    if (interfaceRefresh == kRefreshToolbar) {
        LoadIconSets(m_context.icons, settings, m_context.appFolder, false, false, true);
        m_actions->FillToolbar(m_form->mainToolbar, m_context.icons.toolbar,
                               ToolbarIconSize(settings.UiSize));
        ApplySizeLimits();
    } else if (interfaceRefresh == kRefreshAll) {
        LoadIconSets(m_context.icons, settings, m_context.appFolder, true, true, true);
        ApplyIcons();
    }
    const int format = m_form->formatField->findData(QString::fromStdString(settings.OutputFormat));
    if (format >= 0) m_form->formatField->setCurrentIndex(format);
    if (m_form->outputField->count() != settings.OutFoldersNumber) FillOutFolderField();
    if (m_preview != nullptr && m_preview->isVisible()) m_preview->Refresh();
}

void MainWindow::New() {
    m_preferencesPage = 0;
    FillOutFolderField();
    const std::string runMode = m_context.project.RunMode;
    ResetProjectState(m_context.project, m_context.appFolder);
    m_context.project.RunMode = runMode;
    m_queue.clear();
    m_form->inputField->clear();
    m_form->outputField->setCurrentIndex(-1);
    m_context.project.OutputFolder.clear();
    SetStatus(UiText(m_context.texts, "General", "Ready"));
    m_form->inputField->setFocus();
}

QString MainWindow::statusText() const { return m_form->statusBar->currentMessage(); }

void MainWindow::SetStatus(const QString& text) { m_form->statusBar->showMessage(text); }

QSize MainWindow::innerSize() const { return QSize(m_form->width(), kFixedHeight); }

void MainWindow::SetInnerGeometry(int x, int y, int width) {
    const int menuHeight = m_form->layoutState().menuHeight;
    setGeometry(x, y, std::max(width, minimumInnerWidth()), kFixedHeight + menuHeight);
    m_form->Relayout(m_form->width(), kFixedHeight);
}

void MainWindow::StoreGeometry() {
    ConversionSettings& settings = m_context.settings;
    if (isMinimized()) return;
    if (isMaximized()) {
        settings.IsMaximized = 1;
        return;
    }
    settings.IsMaximized = 0;
    settings.X = geometry().x();
    settings.Y = geometry().y();
    settings.Width = m_form->width();
    settings.Height = kFixedHeight;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

// The desktop converts one file a run: the first dropped file that is
// accepted becomes the input, the rest of the drop is ignored.
void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && AddInputFile(ToUtf8(url.toLocalFile()))) break;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

}  // namespace orvex
