// The preferences dialog: a page tree, nine pages of controls bound to the
// settings, and OK, Cancel and Defaults.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "ui/preferences_binding.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QTreeWidget;

namespace orvex {

struct ConversionSettings;

// What the main window rebuilds after the dialog: 0 nothing, 1 everything
// (another theme), 2 the main toolbar only (another icon size).
enum InterfaceRefresh : int { kRefreshNone = 0, kRefreshAll = 1, kRefreshToolbar = 2 };

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Outcome { Cancelled, Accepted, ResetToDefaults };

    // Filled from `settings` and showing `page`; writes into `settings` only
    // on OK or on a confirmed Defaults.
    PreferencesDialog(QWidget* parent, ConversionSettings& settings, const TextTable& texts,
                      DesktopDialogs& dialogs, PreferencesSources sources, int page);
    ~PreferencesDialog() override;

    void ShowPage(int page);
    int currentPage() const { return m_currentPage; }
    Outcome outcome() const { return m_outcome; }
    int interfaceRefresh() const { return m_refresh; }

    PreferencesBinding& binding() { return *m_binding; }
    QTreeWidget* pageTree() const { return m_tree; }
    QLabel* pageTitle() const { return m_title; }
    QScrollArea* page(int index) const { return m_pages[size_t(index)]; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* defaultsButton() const { return m_defaults; }

  private:
    void OnOk();
    void OnDefaults();

    ConversionSettings& m_settings;
    const TextTable& m_texts;
    DesktopDialogs& m_dialogs;
    std::unique_ptr<PreferencesBinding> m_binding;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_title = nullptr;
    std::vector<QScrollArea*> m_pages;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_defaults = nullptr;
    int m_currentPage = 0;
    Outcome m_outcome = Outcome::Cancelled;
    int m_refresh = kRefreshNone;
};

// The refresh a change of theme and icon size asks for: the icon size alone
// rebuilds the toolbar, another theme everything.
int RefreshFor(const std::string& oldTheme, int oldSize, const std::string& newTheme, int newSize);

}  // namespace orvex
