// The About and find-a-converter dialogs and the link commands of the main
// window, with a stand-in xdg-open recording what would have been opened.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "fake_dialogs.h"
#include "test_desktop.h"
#include "settings/conversion_settings.h"
#include "settings/program_identity.h"
#include "settings/project_state.h"
#include "stand_in_opener.h"
#include "support/temp_folder.h"
#include "text/text_table.h"
#include "ui/commands.h"
#include "ui/link_dialogs.h"
#include "ui/links.h"
#include "ui/main_window.h"

using namespace orvex;
using orvex::test_support::ScopedTempFolder;

namespace {

const QString kSite = QString::fromUtf8(ORVEX_WEB_SITE);
const QString kMail = QString::fromUtf8(ORVEX_SUPPORT_EMAIL);

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Opened(const QString& target) { return QStringLiteral("1|") + target; }

// Saves a picture of `widget` when ORVEX_SCREENSHOT_DIR names a folder.
void MaybeScreenshot(QWidget* widget, const char* name) {
    const char* folder = std::getenv("ORVEX_SCREENSHOT_DIR");
    if (folder == nullptr || folder[0] == '\0') return;
    QTest::qWait(200);
    widget->grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

}  // namespace

class LinkDialogsTest : public QObject {
    Q_OBJECT

    struct Desktop : test::TestDesktop {
        explicit Desktop(const std::string& appFolder = "/nonexistent/") : TestDesktop(appFolder) {
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
        template <typename Dialog>
        Dialog* Open(Command command) {
            window->actions().action(command)->trigger();
            auto* dialog = window->findChild<Dialog*>();
            if (dialog != nullptr && !QTest::qWaitForWindowExposed(dialog)) return nullptr;
            return dialog;
        }
    };

  private slots:
    void aboutShowsItsTextsAtTheirPlaces() {
        Desktop d;
        auto* about = d.Open<AboutDialog>(Command::About);
        QVERIFY(about != nullptr);
        MaybeScreenshot(about, "about");
        QCOMPARE(about->windowTitle(), QString("About..."));
        QCOMPARE(about->size(), QSize(360, 240));
        QCOMPARE(about->banner->geometry(), QRect(0, 0, 360, 40));
        QVERIFY(!about->banner->pixmap().isNull());
        QCOMPARE(about->nameLabel->text(), QString("Lumavert Orvex"));
        QCOMPARE(about->nameLabel->geometry(), QRect(20, 50, 320, 20));
        QVERIFY(about->nameLabel->alignment() & Qt::AlignHCenter);
        QCOMPARE(about->noticeLabel->text(), QString::fromUtf8(kNoticeLine));
        QCOMPARE(about->noticeLabel->geometry(), QRect(20, 70, 320, 20));
        QCOMPARE(about->webLabel->text(), QString("Web:"));
        QCOMPARE(about->webLabel->geometry(), QRect(80, 100, 60, 20));
        QCOMPARE(about->mailLabel->text(), QString("E-mail:"));
        QCOMPARE(about->mailLabel->geometry(), QRect(80, 120, 50, 20));
        QCOMPARE(about->webLink->geometry(), QRect(140, 100, 215, 20));
        QCOMPARE(about->mailLink->geometry(), QRect(140, 120, 215, 20));
        // The links show the addresses themselves, in pure blue.
        QVERIFY(about->webLink->text().contains(">" + kSite + "<"));
        QVERIFY(about->mailLink->text().contains(">" + kMail + "<"));
        QVERIFY(about->webLink->text().contains("color:#0000ff"));
        QCOMPARE(about->okButton->text(), QString("OK"));
        QCOMPARE(about->okButton->geometry(), QRect(140, 200, 80, 25));
        // Modal to the main window while it is open.
        QCOMPARE(QApplication::activeModalWidget(), about);
        QCOMPARE(about->parentWidget(), d.window.get());
        about->okButton->click();
        QTRY_VERIFY(d.window->findChild<AboutDialog*>() == nullptr);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void aboutLinksOpenTheSiteAndANewMail() {
        test::StandInOpener opener;
        Desktop d;
        auto* about = d.Open<AboutDialog>(Command::About);
        QVERIFY(about != nullptr);
        emit about->webLink->linkActivated(about->webLink->text().section('"', 1, 1));
        QCOMPARE(opener.WaitFor(1), QStringList{Opened(kSite)});
        emit about->mailLink->linkActivated(about->mailLink->text().section('"', 1, 1));
        QCOMPARE(opener.WaitFor(2).value(1), Opened("mailto:" + kMail));
    }

    void aboutClosesOnEnterAndEscape() {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            Desktop d;
            auto* about = d.Open<AboutDialog>(Command::About);
            QVERIFY(about != nullptr);
            QTest::keyClick(about, key);
            QTRY_VERIFY(d.window->findChild<AboutDialog*>() == nullptr);
        }
    }

    void findConverterLayout() {
        Desktop d;
        auto* find = d.Open<FindConverterDialog>(Command::CustomConverter);
        QVERIFY(find != nullptr);
        find->fromField->setText("hdr");
        find->toField->setText("jpg");
        MaybeScreenshot(find, "find_converter");
        QCOMPARE(find->windowTitle(), QString("Find a File Converter"));
        QCOMPARE(find->size(), QSize(370, 60));
        QCOMPARE(find->fromField->geometry(), QRect(50, 20, 80, 20));
        QCOMPARE(find->toField->geometry(), QRect(180, 20, 80, 20));
        QCOMPARE(find->searchButton->geometry(), QRect(280, 18, 80, 25));
        QCOMPARE(find->searchButton->text(), QString("Search"));
        QVERIFY(find->searchButton->isDefault());
        QStringList labels;
        for (QLabel* label : find->findChildren<QLabel*>())
            labels << QString("%1@%2,%3,%4").arg(label->text()).arg(label->x()).arg(label->y()).arg(label->width());
        labels.sort();
        QCOMPARE(labels, (QStringList{"From:@10,23,40", "To:@150,23,30"}));
        QCOMPARE(QApplication::focusWidget(), find->fromField);
        QCOMPARE(QApplication::activeModalWidget(), find);
    }

    void cleanExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clean");
        QTest::newRow("dot and capitals") << ".HDR" << "hdr";
        QTest::newRow("cut before dropping") << "ab.cd.ef.gh.ij" << "abcdefgh";
        QTest::newRow("digits kept") << " mp3 " << "mp3";
        QTest::newRow("only punctuation") << ".-_*" << "";
        QTest::newRow("letters beyond ASCII") << QString::fromUtf8("j\u00E9pg") << "jpg";
        QTest::newRow("twelve first") << "abcdefghijklmnop" << "abcdefghijkl";
    }
    void cleanExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, clean);
        QCOMPARE(FindConverterDialog::CleanExtension(typed), clean);
    }

    void searchOpensTheFindPageAndCloses() {
        test::StandInOpener opener;
        Desktop d;
        auto* find = d.Open<FindConverterDialog>(Command::CustomConverter);
        QVERIFY(find != nullptr);
        QTest::keyClicks(find->fromField, ".HDR");
        find->toField->setText("jpg");
        QTest::keyClick(find->toField, Qt::Key_Return);  // Enter acts as Search
        QCOMPARE(opener.WaitFor(1), QStringList{Opened(kSite + "/find/hdr-jpg/")});
        QTRY_VERIFY(d.window->findChild<FindConverterDialog*>() == nullptr);
        QVERIFY(d.dialogs.shown.empty());
    }

    void searchWithAnEmptyFieldWarnsAndStaysOpen() {
        test::StandInOpener opener;
        Desktop d;
        auto* find = d.Open<FindConverterDialog>(Command::CustomConverter);
        QVERIFY(find != nullptr);
        find->fromField->setText("...");
        find->toField->setText("jpg");
        find->searchButton->click();
        QCOMPARE(d.dialogs.shown.size(), size_t(1));
        QCOMPARE(d.dialogs.shown[0].kind, QString("warning"));
        QCOMPARE(d.dialogs.lastText(), QString("Please, fill all required fields and try again!"));
        QVERIFY(find->isVisible());
        find->fromField->setText("hdr");
        find->toField->clear();
        find->searchButton->click();
        QCOMPARE(d.dialogs.shown.size(), size_t(2));
        QTest::qWait(100);
        QVERIFY(opener.Opened().isEmpty());
        QTest::keyClick(find, Qt::Key_Escape);
        QTRY_VERIFY(d.window->findChild<FindConverterDialog*>() == nullptr);
        QVERIFY(opener.Opened().isEmpty());
    }

    void helpCommandsOpenTheirTargets() {
        test::StandInOpener opener;
        ScopedTempFolder app("app");
        std::filesystem::create_directories(app.File("gfx"));
        app.WriteFile("gfx/orvex.html", "<html></html>");
        Desktop d(app.Path());
        d.window->actions().action(Command::VisitHomepage)->trigger();
        QCOMPARE(opener.WaitFor(1).value(0), Opened(kSite + "/orvex/"));
        d.window->actions().action(Command::SendFeedback)->trigger();
        QCOMPARE(opener.WaitFor(2).value(1),
                 Opened("mailto:" + kMail + "?subject=Lumavert%20Orvex%20Feedback"));
        d.window->actions().action(Command::Manual)->trigger();
        QCOMPARE(opener.WaitFor(3).value(2),
                 Opened(QString::fromStdString(app.File("gfx/orvex.html"))));
        QVERIFY(d.dialogs.shown.empty());
    }

    void manualIsLookedUpBesideTheProgramThenInstalled() {
        ScopedTempFolder root("layout");
        std::filesystem::create_directories(root.File("bin"));
        std::filesystem::create_directories(root.File("share/orvex"));
        const std::string bin = root.File("bin/");
        // Nothing there: the installed place, for the viewer to complain about.
        QCOMPARE(Q(ManualPath(bin)), Q(root.File("share/orvex/orvex.html")));
        root.WriteFile("share/orvex/orvex.html", "x");
        QCOMPARE(Q(ManualPath(bin)), Q(root.File("share/orvex/orvex.html")));
        std::filesystem::create_directories(root.File("bin/gfx"));
        root.WriteFile("bin/gfx/orvex.html", "x");
        QCOMPARE(Q(ManualPath(bin)), Q(root.File("bin/gfx/orvex.html")));
    }
};

QTEST_MAIN(LinkDialogsTest)
#include "link_dialogs_test.moc"
