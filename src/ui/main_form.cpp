// Building and placing the controls of the main window's form.
//
//   +--------------------------------------------------------------+
//   | main toolbar                                                  |
//   +--------------------------------------------------------------+ y = ToolbarHeight
//   | Input File:                                                   |
//   | [input field ............... W-160 ]  [+]      +-----------+  |
//   | Output Folder:                                 |  Convert  |  |
//   | [output folder ............. W-160 v]  [o]     |  100x100  |  |
//   | Output Format:                                 +-----------+  |
//   | [format .................... W-160 v]  [f]                    |
//   | notice                                                        |
//   | status bar                                                    |
//   +--------------------------------------------------------------+
#include "ui/main_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace orvex {

MainForm::MainForm(QWidget* parent) : QWidget(parent) {
    mainToolbar = new QToolBar(this);
    mainToolbar->setMovable(false);
    mainToolbar->setFloatable(false);

    panel = new QWidget(this);
    inputLabel = new QLabel(panel);
    inputField = new QLineEdit(panel);
    inputTools = MakeMiniToolbar();
    outputLabel = new QLabel(panel);
    outputField = new QComboBox(panel);
    outputField->setEditable(false);
    outputTools = MakeMiniToolbar();
    formatLabel = new QLabel(panel);
    formatField = new QComboBox(panel);
    formatField->setEditable(false);
    formatTools = MakeMiniToolbar();
    convertButton = new QToolButton(panel);
    convertButton->setToolButtonStyle(Qt::ToolButtonIconOnly);

    noticeLabel = new QLabel(this);
    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);

    // Fixed places inside the panel; widths that follow the window are set
    // by Relayout.
    const int row = m_layout.rowStep;
    inputLabel->setGeometry(10, 5, 350, 20);
    inputField->setGeometry(10, 20, 350, 20);
    outputLabel->setGeometry(10, row + 15, 350, 20);
    outputField->setGeometry(10, row + 30, 350, 21);
    formatLabel->setGeometry(10, row + 55, 350, 20);
    formatField->setGeometry(10, row + 70, 350, 21);
    convertButton->setGeometry(400, 20, 100, 100);
    // A label's box reaches 5 pixels into the field below it: its text
    // sits at the top of the box so that the field never covers it.
    for (QLabel* label : {inputLabel, outputLabel, formatLabel})
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QToolBar* MainForm::MakeMiniToolbar() {
    auto* bar = new QToolBar(panel);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    return bar;
}

void MainForm::Relayout(int w, int h) {
    m_layout.toolbarHeight = mainToolbar->sizeHint().height();
    m_layout.statusBarHeight = statusBar->sizeHint().height();
    mainToolbar->setGeometry(0, 0, w, m_layout.toolbarHeight);
    statusBar->setGeometry(0, h - m_layout.statusBarHeight, w, m_layout.statusBarHeight);

    // The form area already lies below the menu bar, so only the toolbar
    // and the status bar take from the panel's height; with the largest
    // toolbar icons the Convert button still fits whole.
    const int panelHeight = h - m_layout.toolbarHeight - m_layout.statusBarHeight - 40;
    panel->setGeometry(panel->x(), m_layout.toolbarHeight + m_layout.formTop, w,
                       panelHeight > 0 ? panelHeight : 0);
    for (QWidget* field : {static_cast<QWidget*>(inputField), static_cast<QWidget*>(outputField),
                           static_cast<QWidget*>(formatField)}) {
        field->setGeometry(field->x(), field->y(), w - 160, field->height());
    }
    inputTools->setGeometry(w - 146, 19, 24, 24);
    outputTools->setGeometry(w - 146, 59, 24, 24);
    formatTools->setGeometry(w - 146, 99, 24, 24);
    convertButton->setGeometry(w - 110, convertButton->y(), 100, 100);
    // The notice sits above the status bar, or just below the format field
    // when the taller toolbar of the largest icons pushes the form down.
    const int formatBottom = panel->y() + formatField->y() + formatField->height();
    noticeLabel->setGeometry(10, std::max(h - 70, formatBottom + 4), 350, 20);
    update();
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout(event->size().width(), event->size().height());
}

}  // namespace orvex
