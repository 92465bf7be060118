// Qt's standard message boxes and file dialogs behind DesktopDialogs.
#include "ui/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace orvex {

namespace {

class QtDialogs final : public DesktopDialogs {
  public:
    void Warning(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::warning(parent, title, text, QMessageBox::Ok);
    }
    void Information(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::information(parent, title, text, QMessageBox::Ok);
    }
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override {
        return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    }
    void ErrorBox(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::critical(parent, title, text, QMessageBox::Ok);
    }
    bool AskQuestion(QWidget* parent, const QString& title, const QString& text) override {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }
    QString OpenFile(QWidget* parent, const QString& title, const QString& startPath,
                     const QStringList& filters) override {
        QString selected = filters.isEmpty() ? QString() : filters.front();
        return QFileDialog::getOpenFileName(parent, title, startPath, filters.join(";;"),
                                            &selected);
    }
    QString ChooseFolder(QWidget* parent, const QString& title,
                         const QString& startFolder) override {
        return QFileDialog::getExistingDirectory(parent, title, startFolder);
    }
    std::optional<QColor> ChooseColour(QWidget* parent, const QColor& start) override {
        QColor chosen = QColorDialog::getColor(start, parent);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    }
    QString ChooseFont(QWidget* parent, const QString& family) override {
        bool accepted = false;
        QFont font = QFontDialog::getFont(&accepted, QFont(family), parent);
        return accepted ? font.family() : QString();
    }
};

}  // namespace

std::unique_ptr<DesktopDialogs> MakeQtDialogs() { return std::make_unique<QtDialogs>(); }

}  // namespace orvex
