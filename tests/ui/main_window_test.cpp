// The main window under the offscreen platform: layout, commands, the input
// file and output-folder fields, the Convert checks, a real conversion and
// the configuration written on exit.
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QLabel>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <filesystem>

#include "fake_dialogs.h"
#include "test_desktop.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "support/hdr_writer.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "text/text_table.h"
#include "ui/commands.h"
#include "ui/desktop_app.h"
#include "ui/folder_history.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/preferences_dialog.h"
#include "ui/progress_dialog.h"

using namespace orvex;
using orvex::test_support::ScopedTempFolder;

namespace {

std::string SmallHdr(const ScopedTempFolder& folder, const std::string& name) {
    const std::string path = folder.File(name);
    test_support::WriteHdr(path, 8, 6, [](int x, int y) {
        return test_support::Rgb{0.1f * float(x), 0.2f * float(y), 0.5f};
    });
    return path;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    struct Desktop : test::TestDesktop {
        Desktop() : TestDesktop("/tmp/") {}
        MainForm& form() { return *window->form(); }
        QString input() { return form().inputField->text(); }
        QString output() { return form().outputField->currentText(); }
    };

  private slots:
    void formFollowsTheWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("tools");
        QTest::addColumn<int>("button");
        QTest::newRow("510") << 510 << 350 << 364 << 400;
        QTest::newRow("710") << 710 << 550 << 564 << 600;
    }
    void formFollowsTheWidth() {
        QFETCH(int, width);
        Desktop d;
        d.window->SetInnerGeometry(100, 100, width);
        QTRY_COMPARE(d.form().width(), width);
        for (QWidget* field : {static_cast<QWidget*>(d.form().inputField),
                               static_cast<QWidget*>(d.form().outputField),
                               static_cast<QWidget*>(d.form().formatField)}) {
            QCOMPARE(field->width(), QTest::currentDataTag() == QByteArray("510") ? 350 : 550);
        }
        QFETCH(int, field);
        QFETCH(int, tools);
        QFETCH(int, button);
        QCOMPARE(d.form().inputField->width(), field);
        QCOMPARE(d.form().inputTools->geometry(), QRect(tools, 19, 24, 24));
        QCOMPARE(d.form().outputTools->geometry(), QRect(tools, 59, 24, 24));
        QCOMPARE(d.form().formatTools->geometry(), QRect(tools, 99, 24, 24));
        QCOMPARE(d.form().convertButton->geometry(), QRect(button, 20, 100, 100));
        // The height is fixed, the width only bounded below.
        QCOMPARE(d.window->minimumHeight(), d.window->maximumHeight());
        QCOMPARE(d.form().height(), MainWindow::kFixedHeight);
        d.window->SetInnerGeometry(100, 100, 300);
        QTRY_COMPARE(d.form().width(), 510);
    }

    void menuAndToolbarComeFromTheCommandTable() {
        Desktop d;
        QList<QAction*> menus = d.window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0]->text(), QString("&File"));
        QList<QAction*> file = menus[0]->menu()->actions();
        QCOMPARE(file.size(), 6);
        QCOMPARE(file[0]->text(), QString("&New\tCtrl+N"));
        QVERIFY(file[1]->isSeparator());
        QCOMPARE(file[2]->text(), QString("&Add Input File..."));
        QCOMPARE(file[5]->text(), QString("&Exit\tAlt+X"));
        QList<QAction*> converter = menus[1]->menu()->actions();
        QCOMPARE(converter[0]->text(), QString("&Convert\tF5"));
        QCOMPARE(converter[0]->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(menus[2]->menu()->actions()[0]->text(), QString("&User Manual...\tF1"));
        QCOMPARE(converter[1]->text(), QString("&Preview\tF6"));
        // Thirteen places on the main toolbar: ten buttons, three separators.
        QList<QAction*> buttons = d.form().mainToolbar->actions();
        QCOMPARE(buttons.size(), 13);
        QCOMPARE(buttons[7]->toolTip(), QString("Preview"));
        QVERIFY(!buttons[7]->icon().isNull());
        QCOMPARE(buttons[1]->toolTip(), QString("Add Input File..."));
        QVERIFY(!buttons[1]->icon().isNull());
        QCOMPARE(d.form().mainToolbar->iconSize(), QSize(32, 32));  // UiSize 2
        const QList<int> pixels{16, 24, 32, 48, 64, 16};
        const QList<int> sizes{0, 1, 2, 3, 4, 9};
        for (int i = 0; i < sizes.size(); ++i) QCOMPARE(ToolbarIconSize(sizes[i]), pixels[i]);
    }

    void newEmptiesTheForm() {
        Desktop d;
        ScopedTempFolder temp("window");
        QVERIFY(d.window->AddInputFile(SmallHdr(temp, "a.hdr")));
        d.window->actions().action(Command::New)->trigger();
        QCOMPARE(d.input(), QString());
        QCOMPARE(d.output(), QString());
        QVERIFY(d.window->queue().empty());
        QCOMPARE(d.window->statusText(), QString("Ready"));
    }

    void inputFileFillsTheOutputFolderOnce() {
        Desktop d;
        ScopedTempFolder first("in1"), second("in2");
        const std::string a = SmallHdr(first, "a.hdr");
        QVERIFY(d.window->AddInputFile(a));
        QCOMPARE(d.input(), QString::fromStdString(a));
        QCOMPARE(d.output(), QString::fromStdString(first.Path()));
        QCOMPARE(RecentOutFolder(d.settings.RecentOutFolders, 0), first.Path());
        // A second file from another folder leaves the output folder alone.
        const std::string b = SmallHdr(second, "b.HDR");  // capitals are accepted
        QVERIFY(d.window->AddInputFile(b));
        QCOMPARE(d.output(), QString::fromStdString(first.Path()));
        QCOMPARE(d.window->queue().size(), size_t(1));
        QCOMPARE(d.window->queue().front().path, b);
        // An empty file or another type is refused and changes nothing.
        const std::string empty = first.WriteFile("empty.hdr", "");
        const std::string text = first.WriteFile("notes.txt", "hello");
        QVERIFY(!d.window->AddInputFile(empty));
        QVERIFY(!d.window->AddInputFile(text));
        QCOMPARE(d.input(), QString::fromStdString(b));
    }

    void dialogsChooseTheFileAndTheFolder() {
        Desktop d;
        ScopedTempFolder temp("choose");
        const std::string a = SmallHdr(temp, "a.hdri");
        d.dialogs.fileToChoose = QString::fromStdString(a);
        d.window->RunCommand(Command::SelectInputFile);
        QCOMPARE(d.dialogs.lastFilters,
                 QStringList({"All Supported Files (*.hdr *.hdri)",
                              "High Dynamic Range File (*.hdr *.hdri)", "All Files (*)"}));
        QCOMPARE(d.input(), QString::fromStdString(a));

        std::filesystem::create_directory(temp.File("out"));
        d.dialogs.folderToChoose = QString::fromStdString(temp.File("out"));
        d.window->RunCommand(Command::SelectOutputFolder);
        QCOMPARE(d.output(), QString::fromStdString(temp.File("out/")));
        QCOMPARE(d.form().outputField->count(), 2);
        // A folder gone by the time it is chosen is ignored.
        d.dialogs.folderToChoose = QString::fromStdString(temp.File("gone"));
        d.window->RunCommand(Command::SelectOutputFolder);
        QCOMPARE(d.output(), QString::fromStdString(temp.File("out/")));
    }

    void dropTakesTheFirstAcceptedFile() {
        Desktop d;
        ScopedTempFolder temp("drop");
        const std::string notes = temp.WriteFile("notes.txt", "x");
        const std::string a = SmallHdr(temp, "a.hdr"), b = SmallHdr(temp, "b.hdr");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(notes)),
                      QUrl::fromLocalFile(QString::fromStdString(a)),
                      QUrl::fromLocalFile(QString::fromStdString(b))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(d.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(d.window.get(), &drop);
        QCOMPARE(d.input(), QString::fromStdString(a));
        QCOMPARE(d.window->queue().size(), size_t(1));
    }

    void convertChecksInOrder() {
        Desktop d;
        ScopedTempFolder temp("checks");
        // The one warning a Convert showed, or what went wrong instead.
        auto convert = [&]() -> QString {
            d.dialogs.shown.clear();
            d.window->Convert();
            if (d.window->progressDialog() != nullptr) return "a run started";
            if (d.dialogs.shown.size() != 1) return QString("%1 boxes").arg(d.dialogs.shown.size());
            if (d.dialogs.shown[0].title != "Warning") return "title " + d.dialogs.shown[0].title;
            return d.dialogs.shown[0].text;
        };
        // An empty file of an accepted type counts as no input.
        d.form().inputField->setText(QString::fromStdString(temp.WriteFile("zero.hdr", "")));
        QCOMPARE(convert(), QString("No input file(s) found. Please, add valid file(s) and try again!"));
        QCOMPARE(d.window->statusText(), QString("Conversion stopped"));

        const std::string a = SmallHdr(temp, "a.hdr");
        d.form().inputField->setText("  " + QString::fromStdString(a) + " ");
        d.form().outputField->setCurrentIndex(-1);
        QCOMPARE(convert(), QString("The output folder's field is empty. Please, select existed "
                                    "output folder and try again!"));
        d.form().outputField->addItem(QString::fromStdString(temp.File("missing")));
        d.form().outputField->setCurrentIndex(d.form().outputField->count() - 1);
        QCOMPARE(convert(), "The following output folder is invalid or doesn't exist:\n" +
                                QString::fromStdString(temp.File("missing/")) +
                                "\n\nPlease, correct the output path and try again!");
        // A folder without its trailing "/" is taken and kept in the history with it.
        d.form().outputField->setItemText(d.form().outputField->currentIndex(),
                                          QString::fromStdString(temp.Path()).chopped(1));
        d.settings.DoImageResize = 1;
        d.settings.ImageWidth = 0;
        d.settings.ImageHeight = 0;
        QCOMPARE(convert(), QString("Invalid resize width value!"));
        d.settings.ImageWidth = 100;
        QCOMPARE(convert(), QString("Invalid resize height value!"));
        d.settings.DoImageResize = 0;

        d.window->SetStatus("");
        d.settings.DoWatermark = 1;
        d.settings.Font = "No Such Face Anywhere";
        QCOMPARE(convert(), QString("Unable to load selected font for a watermark: No Such Face Anywhere"));
        QCOMPARE(d.window->statusText(), QString("Preparing..."));
        d.settings.DoWatermark = 2;
        d.settings.Image = "";
        QCOMPARE(convert(), QString("Selected watermark image is invalid/empty!"));
        d.settings.Image = temp.WriteFile("mark.png", "");
        QCOMPARE(convert(), "Unable to load selected file as a watermark image: " +
                                QString::fromStdString(d.settings.Image));
        QCOMPARE(d.window->statusText(), QString("Preparing..."));

        // Values an edited config.ini brings past the controls are refused
        // as the console refuses them, each with its own message.
        d.settings.DoWatermark = 0;
        d.settings.DoImageColorCorrection = 1;
        d.settings.ImageBrightness = 500;
        QCOMPARE(convert(), QString("Invalid brightness value: 500 (from -100 to 100)! Please, "
                                    "correct it and try again!"));
        QCOMPARE(d.window->statusText(), QString("Conversion stopped"));
        d.settings.ImageBrightness = 0;
        d.settings.ImageContrast = -500;
        QVERIFY(convert().startsWith("Invalid contrast value: -500 (from "));
        d.settings.ImageContrast = 0;
        d.settings.ImageGamma = 0.0f;
        QVERIFY(convert().startsWith("Invalid gamma value: 0.00 (from "));
        d.settings.ImageGamma = 50.0f;
        QVERIFY(convert().startsWith("Invalid gamma value: 50.00 (from "));
        d.settings.ImageGamma = 1.0f;
        d.settings.JpgQuality = 0;
        QCOMPARE(convert(), QString("Invalid quality for the jpg format! Please, correct it and try "
                                    "again!"));
    }

    void convertsThroughTheDesktopPath() {
        Desktop d;
        ScopedTempFolder temp("convert");
        std::filesystem::create_directory(temp.File("out"));
        const std::string a = SmallHdr(temp, "picture.hdr");
        QVERIFY(d.window->AddInputFile(a));
        d.form().outputField->addItem(QString::fromStdString(temp.File("out")));
        d.form().outputField->setCurrentIndex(d.form().outputField->count() - 1);
        QSignalSpy finished(d.window.get(), &MainWindow::conversionFinished);
        d.form().convertButton->click();
        ProgressDialog* dialog = d.window->progressDialog();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->timeLabel()->isHidden());
        QCOMPARE(dialog->bar()->y(), 50);
        QCOMPARE(dialog->bar()->maximum(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Finished(), 20000);
        QCOMPARE(dialog->windowTitle(), QString("Conversion complete (1/1)"));
        QCOMPARE(dialog->fileLabel()->text(), QString("Files converted: 1 of 1"));
        QCOMPARE(dialog->bar()->value(), 2);
        QVERIFY(dialog->okButton()->isEnabled());
        QCOMPARE(d.window->statusText(), QString("Conversion complete"));
        dialog->okButton()->click();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(std::filesystem::is_regular_file(temp.File("out/picture.jpg")));
        const std::string jpeg = test_support::ReadFileBytes(temp.File("out/picture.jpg"));
        QVERIFY(jpeg.size() > 2 && jpeg[0] == '\xFF' && jpeg[1] == '\xD8');
        QCOMPARE(RecentOutFolder(d.settings.RecentOutFolders, 0), temp.File("out/"));
        QCOMPARE(d.project.FileCounter, 2);  // "%n%" goes on in the next run
    }

    // A file that fails ends the run as incomplete in the dialog and in the
    // status bar, with the failure's reason shown whole.
    void aFailedFileEndsTheRunIncomplete() {
        Desktop d;
        ScopedTempFolder temp("failed");
        std::filesystem::create_directory(temp.File("out"));
        const std::string broken = temp.WriteFile("broken.hdr", "this is no picture at all\n");
        d.form().inputField->setText(QString::fromStdString(broken));
        d.form().outputField->addItem(QString::fromStdString(temp.File("out")));
        d.form().outputField->setCurrentIndex(d.form().outputField->count() - 1);
        d.form().convertButton->click();
        ProgressDialog* dialog = d.window->progressDialog();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Finished(), 20000);
        QCOMPARE(dialog->windowTitle(), QString("Conversion stopped (1/1)"));
        QCOMPARE(dialog->fileLabel()->text(), QString("Files converted: 0 of 1"));
        QCOMPARE(d.window->statusText(), QString("Conversion stopped"));
        QVERIFY(!dialog->failureText()->isHidden());
        QVERIFY(!dialog->failureText()->toPlainText().isEmpty());
        QVERIFY(!dialog->failureText()->toPlainText().contains("..."));
        QVERIFY(!std::filesystem::exists(temp.File("out/broken.jpg")));
        dialog->okButton()->click();
    }

    void exitStoresTheWindowAndWritesTheConfiguration() {
        Desktop d;
        ScopedTempFolder temp("exit");
        d.window->SetInnerGeometry(120, 130, 640);
        QTRY_COMPARE(d.form().width(), 640);
        AddRecentOutFolder(d.settings, "/tmp/");
        d.settings.OutFoldersHistory = 0;
        QVERIFY(SaveDesktopState(*d.window, d.settings, temp.File("config.ini")));
        const std::string text = test_support::ReadFileBytes(temp.File("config.ini"));
        QVERIFY(text.find("[Window]") != std::string::npos);
        QVERIFY(text.find("Width = 640") != std::string::npos);
        QVERIFY(text.find("Height = 260") != std::string::npos);
        QVERIFY(d.settings.RecentOutFolders.empty());
    }

    // Underlined letters: a word's first letter when free, else any free
    // letter, else none; a "&" of the text stays a visible "&".
    void mnemonicsAvoidTakenLettersAndKeepAmpersands() {
        QString taken = "t";
        QCOMPARE(WithMnemonic("Tone & Colour\tCtrl+T", taken), QString("Tone && &Colour\tCtrl+T"));
        QCOMPARE(WithMnemonic("Cut", taken), QString("C&ut"));
        QCOMPARE(taken, QString("tcu"));
        QCOMPARE(WithMnemonic("T.C.", taken), QString("T.C."));
    }

    // Alt+F opens File and a letter runs its item; every menu and item has
    // a letter of its own within its menu; Tab reaches each field's button;
    // Ctrl+, opens the preferences.
    void theKeyboardReachesMenusFormAndPreferences() {
        Desktop d;
        d.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
        const QList<QAction*> menus = d.window->menuBar()->actions();
        QStringList titles{QKeySequence(Qt::ALT | Qt::Key_X).toString()};  // Exit's shortcut
        for (QAction* menu : menus) {
            titles << QKeySequence::mnemonic(menu->text()).toString();
            QStringList items;
            for (QAction* item : menu->menu()->actions()) {
                if (item->isSeparator()) continue;
                items << QKeySequence::mnemonic(item->text()).toString();
                QVERIFY2(!items.back().isEmpty(), qPrintable(item->text()));
            }
            QCOMPARE(items.removeDuplicates(), 0);
        }
        QCOMPARE(titles.removeDuplicates(), 0);

        QMenu* file = menus[0]->menu();
        QTest::keyClick(d.window.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_A, Qt::NoModifier);  // Add Input File...
        QTRY_VERIFY(!file->isVisible());
        QTRY_COMPARE(d.dialogs.shown.size(), size_t(1));
        QCOMPARE(d.dialogs.shown.back().kind, QString("open"));

        MainForm& form = d.form();
        auto button = [](QToolBar* tools) {
            return tools->widgetForAction(tools->actions().front());
        };
        form.inputField->setFocus();
        const QList<QWidget*> tabOrder{button(form.inputTools),  form.outputField,
                                       button(form.outputTools), form.formatField,
                                       button(form.formatTools), form.convertButton};
        for (QWidget* next : tabOrder) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(button(form.outputTools), Qt::Key_Space);
        QCOMPARE(d.dialogs.shown.back().kind, QString("folder"));

        QCOMPARE(d.window->actions().action(Command::Preferences)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Comma));
        QTest::keyClick(d.window.get(), Qt::Key_Comma, Qt::ControlModifier);
        QTRY_VERIFY(d.window->preferencesDialog() != nullptr);
        d.window->preferencesDialog()->reject();
    }

    // With 48- and 64-pixel icons the window is at least as wide as the
    // whole toolbar, so no button hides behind an overflow arrow, and the
    // notice stays clear of the format field; small icons keep 510.
    void theMainToolbarIsAlwaysWhole() {
        ScopedTempFolder home("toolbar");
        test_support::ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
        Desktop d;
        MainForm& form = d.form();
        for (int uiSize : {3, 4, 1}) {
            d.settings.UiSize = uiSize;
            d.window->ApplyPreferences(kRefreshToolbar);
            d.window->SetInnerGeometry(100, 100, MainWindow::kMinimumWidth);
            QCOMPARE(form.mainToolbar->iconSize().width(), ToolbarIconSize(uiSize));
            if (uiSize == 1) {
                QCOMPARE(d.window->minimumInnerWidth(), MainWindow::kMinimumWidth);
                QTRY_COMPARE(form.width(), MainWindow::kMinimumWidth);
            } else {
                QVERIFY(d.window->minimumInnerWidth() > MainWindow::kMinimumWidth);
                QTRY_COMPARE(form.width(), d.window->minimumInnerWidth());
            }
            for (QAction* action : form.mainToolbar->actions()) {
                if (action->isSeparator()) continue;
                QWidget* shown = form.mainToolbar->widgetForAction(action);
                QTRY_VERIFY2(shown->isVisible(), qPrintable(action->toolTip()));
                QVERIFY(form.mainToolbar->rect().contains(shown->geometry()));
            }
            const QRect notice = form.noticeLabel->geometry();
            const QRect format(form.formatField->mapTo(&form, QPoint(0, 0)),
                               form.formatField->size());
            QVERIFY2(!notice.intersects(format), qPrintable(QString::number(uiSize)));
        }
    }

    // The desktop file name the window system gets is the id of the entry,
    // metainfo and icons the desktop package installs, in reverse-DNS lower case.
    void desktopEntryIdNamesTheInstalledFiles() {
        const std::string id = DesktopEntryId();
        QCOMPARE(QString::fromStdString(id).toLower(), QString::fromStdString(id));
        QCOMPARE(QString::fromStdString(id).count('.'), 2);
        const std::string folder = std::string(ORVEX_TEST_DATA_DIR) + "/../../data/linux/";
        QVERIFY(std::filesystem::exists(folder + id + ".desktop"));
        QVERIFY(std::filesystem::exists(folder + id + ".xml"));
        const std::string metainfo = test_support::ReadFileBytes(folder + id + ".metainfo.xml");
        QVERIFY(metainfo.find("<id>" + id + "</id>") != std::string::npos);
        QVERIFY(metainfo.find(">" + id + ".desktop</launchable>") != std::string::npos);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
