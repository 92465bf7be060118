// A DesktopDialogs that answers for the user and records what was shown, so
// widget tests never open a modal box.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "ui/dialogs.h"

namespace orvex::test {

class FakeDialogs final : public DesktopDialogs {
  public:
    struct Shown {
        QString kind;  // "warning", "error", "information", "question"
        QString title;
        QString text;
    };

    void Warning(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({"warning", title, text});
    }
    void Information(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({"information", title, text});
    }
    void ErrorBox(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({"error", title, text});
    }
    bool AskYesNo(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({"question", title, text});
        if (onQuestion) onQuestion();
        return answerYes;
    }
    QString OpenFile(QWidget*, const QString& title, const QString& startPath,
                     const QStringList& filters) override {
        shown.push_back({"open", title, startPath});
        lastFilters = filters;
        return fileToChoose;
    }
    QString ChooseFolder(QWidget*, const QString& title, const QString& startFolder) override {
        shown.push_back({"folder", title, startFolder});
        return folderToChoose;
    }

    std::optional<QColor> ChooseColour(QWidget*, const QColor& start) override {
        shown.push_back({"colour", QString(), start.name()});
        return colourToChoose;
    }
    QString ChooseFont(QWidget*, const QString& family) override {
        shown.push_back({"font", QString(), family});
        return fontToChoose;
    }

    QString lastText() const { return shown.empty() ? QString() : shown.back().text; }

    std::vector<Shown> shown;
    bool answerYes = false;
    std::function<void()> onQuestion;  // runs while the question is "open"
    QString fileToChoose;
    QString folderToChoose;
    QStringList lastFilters;
    std::optional<QColor> colourToChoose;
    QString fontToChoose;
};

}  // namespace orvex::test
