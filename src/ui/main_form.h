// The main window's client area below the menu bar: main toolbar, the form
// panel with its fields, mini toolbars and Convert button, the notice label
// and the status bar, all placed at fixed positions by the resize handler.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace orvex {

// Layout state of the form, in pixels.
struct FormLayout {
    int menuHeight = 0;
    int toolbarHeight = 0;
    int statusBarHeight = 0;
    int formTop = 0;
    int rowStep = 30;
};

class MainForm : public QWidget {
    Q_OBJECT
  public:
    explicit MainForm(QWidget* parent);

    // The resize handler: places every control for inner size w x h.
    void Relayout(int w, int h);
    FormLayout& layoutState() { return m_layout; }

    QToolBar* mainToolbar;
    QWidget* panel;
    QLabel* inputLabel;
    QLineEdit* inputField;
    QToolBar* inputTools;
    QLabel* outputLabel;
    QComboBox* outputField;
    QToolBar* outputTools;
    QLabel* formatLabel;
    QComboBox* formatField;
    QToolBar* formatTools;
    QToolButton* convertButton;
    QLabel* noticeLabel;
    QStatusBar* statusBar;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolBar* MakeMiniToolbar();
    FormLayout m_layout;
};

}  // namespace orvex
