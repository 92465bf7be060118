// The About dialog and the find-a-converter dialog: small fixed-size
// windows, modal to the main window while they are open.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvex {

class TextTable;
class DesktopDialogs;

// Product name, notice, the web site and the support address as links.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(QWidget* owner, const TextTable& texts);

    QLabel* banner;
    QLabel* nameLabel;
    QLabel* noticeLabel;
    QLabel* webLabel;
    QLabel* mailLabel;
    QLabel* webLink;
    QLabel* mailLink;
    QPushButton* okButton;
};

// Two extensions sent to the maker's find page.
class FindConverterDialog : public QDialog {
    Q_OBJECT
  public:
    FindConverterDialog(QWidget* owner, const TextTable& texts, DesktopDialogs& dialogs);

    // Lower case, cut to 12 characters, then only ASCII letters and digits.
    static QString CleanExtension(const QString& text);
    // The Search button: opens the find page for both fields, or warns and
    // stays open when either is empty once cleaned.
    void Search();

    QLineEdit* fromField;
    QLineEdit* toField;
    QPushButton* searchButton;

  private:
    const TextTable& m_texts;
    DesktopDialogs& m_dialogs;
};

// Each opens its dialog on top of `owner`, which stays blocked until the
// dialog closes and then gets the focus back. The dialog deletes itself
// when closed.
AboutDialog* ShowAboutDialog(QWidget* owner, const TextTable& texts);
FindConverterDialog* ShowFindConverterDialog(QWidget* owner, const TextTable& texts,
                                             DesktopDialogs& dialogs);

}  // namespace orvex
