// The desktop's main window: the form, the commands, the input file and
// output folder fields, and the Convert action.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "run/conversion_worker.h"  // FileQueue
#include "ui/commands.h"
#include "ui/icon_sets.h"

namespace orvex {

struct ConversionSettings;
struct ProjectState;
class TextTable;
class DesktopDialogs;
class MainForm;
class ProgressDialog;
class PreferencesDialog;
class PreviewWindow;

// What the desktop works on; owned by the desktop start.
struct DesktopContext {
    ConversionSettings& settings;
    ProjectState& project;
    const TextTable& texts;
    DesktopDialogs& dialogs;
    IconSets& icons;
    std::string appFolder;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Inner (client) size limits: at least 510 x 260 (wider when the main
    // toolbar needs it), the height fixed.
    static constexpr int kMinimumWidth = 510;
    static constexpr int kFixedHeight = 260;

    explicit MainWindow(DesktopContext& context);
    ~MainWindow() override;

    void RunCommand(Command command);
    // Empties the form and the job for a new conversion.
    void New();

    // The input file: accepted when not empty and of an accepted type; fills
    // the input field and, when the output field is empty, the output folder.
    bool AddInputFile(const std::string& path);
    void ChooseInputFile();
    void ChooseOutputFolder();
    // Rebuilds the output-folder drop-down from the history.
    void FillOutFolderField();
    // Validates the form and the settings and runs the progress dialog.
    void Convert();

    // Rebuilds menu, toolbars and images from the icon sets.
    void ApplyIcons();
    // Opens the preferences dialog (window-modal) on the page asked for by
    // the format options button, or on the General page; the page request
    // is used up by opening.
    void ShowPreferences();
    // After the dialog stored or reset the settings: saves them, reloads
    // the pictures (all for another theme, the toolbar's for another icon
    // size) and brings the form in line with the settings.
    void ApplyPreferences(int interfaceRefresh);
    PreferencesDialog* preferencesDialog() const { return m_preferences; }
    // Opens (or raises) the preview window beside this one; it follows the
    // input field, drops and the preferences.
    void ShowPreview();
    PreviewWindow* previewWindow() const { return m_preview; }
    // Exit: the window geometry into the settings (unless minimised).
    void StoreGeometry();
    // The inner size of the form area.
    QSize innerSize() const;
    // The narrowest form: 510, or the main toolbar's whole width.
    int minimumInnerWidth() const;
    void SetInnerGeometry(int x, int y, int width);

    MainForm* form() const { return m_form; }
    CommandActions& actions() { return *m_actions; }
    const FileQueue& queue() const { return m_queue; }
    ProgressDialog* progressDialog() const { return m_progress; }
    // The status bar's text.
    QString statusText() const;
    void SetStatus(const QString& text);

    // Open-file dialog filter entries in Qt's form.
    QStringList InputFileFilters() const;

  signals:
    void conversionFinished();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void Retranslate();
    // The window's size limits from the menu bar and the main toolbar.
    void ApplySizeLimits();
    void FillFormatField();
    void OnOutputFieldActivated();
    void OnFormatFieldActivated(int index);

    DesktopContext& m_context;
    MainForm* m_form = nullptr;
    std::unique_ptr<CommandActions> m_actions;
    FileQueue m_queue;  // the desktop converts one file a run
    ProgressDialog* m_progress = nullptr;
    std::string m_lastOpenFolder;
    PreferencesDialog* m_preferences = nullptr;
    int m_preferencesPage = 0;  // the page the next opening shows
    PreviewWindow* m_preview = nullptr;
};

// The desktop's exit: the geometry into the settings, the history emptied
// when it is not to be kept, and the configuration written (atomically).
bool SaveDesktopState(MainWindow& window, ConversionSettings& settings,
                      const std::string& configPath);

}  // namespace orvex
