// Message boxes and file dialogs behind one interface, so that the window
// code never runs a modal loop of its own and tests can answer for the user.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace orvex {

class DesktopDialogs {
  public:
    virtual ~DesktopDialogs() = default;
    // A warning box with one OK button.
    virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // A plain information box with one OK button.
    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    // A yes/no warning box; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // An error box with one OK button; a warning box unless overridden.
    virtual void ErrorBox(QWidget* parent, const QString& title, const QString& text) {
        Warning(parent, title, text);
    }
    // A yes/no question box; true for Yes. The yes/no box unless overridden.
    virtual bool AskQuestion(QWidget* parent, const QString& title, const QString& text) {
        return AskYesNo(parent, title, text);
    }
    // A single-selection open-file dialog; "" when cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& startPath,
                             const QStringList& filters) = 0;
    // A folder dialog; "" when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title,
                                 const QString& startFolder) = 0;
    // The colour chooser starting at `start`; nothing when cancelled.
    virtual std::optional<QColor> ChooseColour(QWidget* parent, const QColor& start) = 0;
    // The font chooser starting at `family`; the chosen family, "" when cancelled.
    virtual QString ChooseFont(QWidget* parent, const QString& family) = 0;
};

// The dialogs of the running desktop (Qt's standard boxes and dialogs).
std::unique_ptr<DesktopDialogs> MakeQtDialogs();

}  // namespace orvex
