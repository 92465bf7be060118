// The progress dialog against a scripted run: texts for 1, 5 and 10 files,
// the remaining time, the stop question with the worker held, and the
// computed texts (duration, shortened file label) and the folder history.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

#include "fake_dialogs.h"
#include "settings/conversion_settings.h"
#include "text/text_table.h"
#include "ui/conversion_run.h"
#include "ui/folder_history.h"
#include "ui/progress_dialog.h"
#include "ui/progress_texts.h"

using namespace orvex;

namespace {

// A run whose record the test writes by hand.
struct ScriptedRun final : ProgressSource {
    struct Script {
        int32_t total = 1;
        RunProgress progress;
        bool ended = false;
        int32_t converted = 0;
        std::string failure;
        int holds = 0;
        bool held = false;
        bool stopRequested = false;
    };
    explicit ScriptedRun(Script& script) : s(script) {}
    int32_t Total() const override { return s.total; }
    RunProgress Progress() const override { return s.progress; }
    bool Ended() const override { return s.ended; }
    int32_t FilesConverted() const override { return s.converted; }
    std::string LastFailure() const override { return s.failure; }
    void Hold() override {
        ++s.holds;
        s.held = true;
    }
    void Release() override { s.held = false; }
    void RequestStop() override { s.stopRequested = true; }
    Script& s;
};

}  // namespace

class ProgressDialogTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TextTable texts;
        test::FakeDialogs dialogs;
        ScriptedRun::Script script;
        QString status;
        std::unique_ptr<ProgressDialog> dialog;

        explicit Fixture(int32_t total) {
            texts.Build();
            script.total = total;
            dialog = std::make_unique<ProgressDialog>(
                nullptr, texts, dialogs, std::make_unique<ScriptedRun>(script),
                [this](const QString& text) { status = text; });
        }
        void Begin(int32_t file, int64_t lastMillis, const std::string& path = "/p/x.hdr") {
            script.progress = RunProgress{file, path, lastMillis};
            dialog->Poll();
        }
        void End(int32_t converted) {
            script.ended = true;
            script.converted = converted;
            dialog->Poll();
        }
    };

  private slots:
    void oneFileHasNoTimeLabel() {
        Fixture f(1);
        QCOMPARE(f.dialog->windowTitle(), QString("Converting"));
        QVERIFY(f.dialog->timeLabel()->isHidden());
        QCOMPARE(f.dialog->bar()->geometry(), QRect(10, 50, 280, 20));
        QCOMPARE(f.dialog->bar()->maximum(), 2);
        QVERIFY(!f.dialog->okButton()->isEnabled());
        f.Begin(1, 0, "/pictures/one.hdr");
        QCOMPARE(f.dialog->windowTitle(), QString("Converting (1/1)"));
        QCOMPARE(f.dialog->fileLabel()->text(), QString("/pictures/one.hdr"));
        QCOMPARE(f.dialog->bar()->value(), 1);
        f.End(1);
        QCOMPARE(f.dialog->windowTitle(), QString("Conversion complete (1/1)"));
        QCOMPARE(f.dialog->fileLabel()->text(), QString("Files converted: 1 of 1"));
        QCOMPARE(f.dialog->bar()->value(), 2);
        QCOMPARE(f.status, QString("Conversion complete"));
        QVERIFY(f.dialog->okButton()->isEnabled());
    }

    // The reason is shown whole: wrapped to the dialog's width (a path
    // without spaces too), every line of it within the visible text.
    static void ExpectWholeReason(const Fixture& f, const QString& reason) {
        f.dialog->show();
        QCoreApplication::processEvents();
        const QTextEdit* text = f.dialog->failureText();
        QVERIFY(!text->isHidden());
        QCOMPARE(text->toPlainText(), reason);
        QVERIFY(text->document()->idealWidth() <= text->viewport()->width());
        QVERIFY(text->geometry().bottom() < f.dialog->timeLabel()->y() ||
                f.dialog->timeLabel()->isHidden());
        QVERIFY(text->geometry().bottom() < f.dialog->bar()->y());
        QVERIFY(f.dialog->okButton()->geometry().bottom() < f.dialog->height());
        if (text->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            QCOMPARE(text->verticalScrollBar()->maximum(), 0);
    }

    void aFailedRunEndsIncompleteWithTheWholeReason() {
        Fixture f(1);
        f.Begin(1, 0);
        const QString reason =
            "a 400 x 294 picture asks for 9 GiB to convert at the chosen size, while only 23 GiB "
            "of the 64 GiB of this machine remain and the other files of the run hold the rest; "
            "/a/very/long/folder/name/without/any/spaces/in/it/at/all/picture.hdr";
        f.script.failure = reason.toStdString();
        const int before = f.dialog->height();
        f.End(0);
        QCOMPARE(f.dialog->windowTitle(), QString("Conversion stopped (1/1)"));
        QCOMPARE(f.status, QString("Conversion stopped"));
        QCOMPARE(f.dialog->fileLabel()->text(), QString("Files converted: 0 of 1"));
        QVERIFY(f.dialog->okButton()->isEnabled());
        ExpectWholeReason(f, reason);
        QVERIFY(f.dialog->failureText()->height() > 20);  // more than one line
        QVERIFY(f.dialog->height() > before);
        QCOMPARE(f.dialog->failureText()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

        // Several files: the count, and the last reason.
        Fixture many(5);
        many.Begin(5, 0);
        many.script.failure = "unreadable";
        many.End(4);
        QCOMPARE(many.dialog->windowTitle(), QString("Conversion stopped (5/5)"));
        QCOMPARE(many.status, QString("Conversion stopped"));
        QCOMPARE(many.dialog->fileLabel()->text(), QString("Files converted: 4 of 5"));
        ExpectWholeReason(many, "unreadable");

        // A reason longer than the screen could hold scrolls; none of it is lost.
        Fixture huge(1);
        huge.Begin(1, 0);
        QString endless;
        for (int i = 0; i < 200; ++i) endless += QString("part %1 of a reason; ").arg(i);
        huge.script.failure = endless.toStdString();
        huge.End(0);
        ExpectWholeReason(huge, endless);
        QVERIFY(huge.dialog->height() < 400);
        QVERIFY(huge.dialog->failureText()->verticalScrollBar()->maximum() > 0);
    }

    // A failure without a reason still ends incomplete; a run in which every
    // file was converted shows no reason box.
    void onlyAFullyConvertedRunIsComplete() {
        Fixture f(3);
        f.Begin(3, 1500);
        f.End(2);
        QCOMPARE(f.dialog->windowTitle(), QString("Conversion stopped (3/3)"));
        QCOMPARE(f.status, QString("Conversion stopped"));
        QVERIFY(f.dialog->failureText()->isHidden());
        Fixture done(3);
        done.Begin(3, 1500);
        done.End(3);
        QCOMPARE(done.dialog->windowTitle(), QString("Conversion complete (3/3)"));
        QCOMPARE(done.status, QString("Conversion complete"));
        QVERIFY(done.dialog->failureText()->isHidden());
    }

    void fiveFilesKeepUnknownUntilAFileSucceeded() {
        Fixture f(5);
        QVERIFY(!f.dialog->timeLabel()->isHidden());
        QCOMPARE(f.dialog->bar()->y(), 60);
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: Unknown"));
        f.Begin(1, 0);
        f.Begin(2, 0);  // the first file failed: still nothing to go by
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: Unknown"));
        f.Begin(3, 1000);
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: 00:00:03"));
        // Polls without a new file change nothing.
        f.script.progress.lastFileMillis = 999999;
        f.dialog->Poll();
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: 00:00:03"));
        f.End(5);
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: 00:00:00"));
        QCOMPARE(f.dialog->fileLabel()->text(), QString("Files converted: 5 of 5"));
    }

    void stopDuringFileThreeOfTen() {
        Fixture f(10);
        f.Begin(3, 4000);
        QCOMPARE(f.dialog->windowTitle(), QString("Converting (3/10)"));
        QCOMPARE(f.dialog->timeLabel()->text(), QString("Time Remaining: 00:00:32"));

        // "No" leaves the run going; the worker was held only while asking.
        bool heldWhileAsking = false;
        f.dialogs.onQuestion = [&] { heldWhileAsking = f.script.held; };
        f.dialogs.answerYes = false;
        f.dialog->close();
        QVERIFY(heldWhileAsking);
        QVERIFY(!f.script.held);
        QVERIFY(!f.script.stopRequested);
        QCOMPARE(f.dialogs.lastText(), QString("Do you want to break the conversion?"));
        QCOMPARE(f.dialogs.shown.back().title, QString("Warning"));

        f.dialogs.answerYes = true;
        f.dialog->close();
        QVERIFY(f.script.stopRequested);
        QVERIFY(!f.script.held);
        QCOMPARE(f.script.holds, 2);
        QVERIFY(f.dialog->Stopped());
        // The OK button does nothing before the run has ended.
        f.dialog->okButton()->click();
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        f.End(2);
        QCOMPARE(f.dialog->windowTitle(), QString("Conversion stopped (3/10)"));
        QCOMPARE(f.dialog->fileLabel()->text(), QString("Conversion stopped"));
        QCOMPARE(f.dialog->bar()->value(), 3);
        QCOMPARE(f.status, QString("Conversion stopped"));
        // Once ended the close box closes without asking.
        const size_t asked = f.dialogs.shown.size();
        f.dialog->show();
        f.dialog->close();
        QCOMPARE(f.dialogs.shown.size(), asked);
        QVERIFY(!f.dialog->isVisible());
    }

    // A path wider than the label loses its middle, measured in the label's
    // font: what is shown fits, and one more character at either end would not.
    void longPathsLoseTheirMiddleToTheLabelsWidth() {
        Fixture f(3);
        QLabel* label = f.dialog->fileLabel();
        const int width = label->contentsRect().width();
        QCOMPARE(width, ProgressDialog::kLabelWidth);
        const QFontMetrics metrics(label->font());
        const std::string wide = "/" + std::string(120, 'W') + "/end.hdr";
        const std::string narrow = "/" + std::string(300, 'i') + "/end.hdr";
        std::string umlauts = "/";
        for (int i = 0; i < 80; ++i) umlauts += "\xC3\xA4";  // "ä"
        umlauts += "/<b>bold</b>.hdr";
        int file = 0;
        for (const std::string& path : {wide, narrow, umlauts}) {
            f.Begin(++file, 0, path);
            const QString whole = QString::fromStdString(path);
            const QString shown = label->text();
            QVERIFY2(metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
            const qsizetype cut = shown.indexOf(QChar(0x2026));
            QVERIFY2(cut > 0, qPrintable(shown));
            const QString head = shown.left(cut);
            const QString tail = shown.mid(cut + 1);
            QVERIFY(whole.startsWith(head) && whole.endsWith(tail));
            const QString more = whole.left(head.size() + 1) + QChar(0x2026) +
                                 whole.right(tail.size() + 1);
            QVERIFY2(metrics.horizontalAdvance(more) > width, qPrintable(shown));
            QVERIFY(!shown.contains(QChar::ReplacementCharacter));
        }
        // Shown as plain text, never as markup.
        QCOMPARE(label->textFormat(), Qt::PlainText);
        // A path that fits is shown whole.
        f.Begin(4, 0, "/p/short.hdr");
        QCOMPARE(label->text(), QString("/p/short.hdr"));
    }

    void durationText() {
        QCOMPARE(DurationText(-5), std::string("00:00:00"));
        QCOMPARE(DurationText(999), std::string("00:00:00"));
        QCOMPARE(DurationText(1000), std::string("00:00:01"));
        QCOMPARE(DurationText(4000 * 8), std::string("00:00:32"));
        QCOMPARE(DurationText(((26LL * 60 + 3) * 60 + 4) * 1000), std::string("1d:02:03:04"));
        QCOMPARE(DurationText(23LL * 3600 * 1000 + 59 * 60000 + 59999), std::string("23:59:59"));
        QCOMPARE(DurationText(int64_t(400) * 24 * 3600 * 1000), std::string("400d:00:00:00"));
        QCOMPARE(RemainingMillis(4000, 10, 3), int64_t(32000));
        QCOMPARE(RemainingMillis(0, 10, 3), int64_t(0));
    }

    void historyKeysOrderAndLimit() {
        // The key is the CRC-32 of the upper-cased path: "123456789" has the
        // check value of the polynomial, and letter case does not matter.
        QCOMPARE(FolderKey("123456789"), uint32_t(0xCBF43926));
        QCOMPARE(FolderKey("/pics/a/"), FolderKey("/PICS/A/"));
        QVERIFY(FolderKey("/pics/a/") != FolderKey("/pics/b/"));

        ConversionSettings settings;
        settings.OutFoldersNumber = 5;
        settings.RecentOutFolders.clear();
        QVERIFY(!AddRecentOutFolder(settings, ""));
        QCOMPARE(settings.RecentOutFolders, std::string());
        for (const char* folder : {"/1/", "/2/", "/3/", "/4/", "/5/"})
            QVERIFY(AddRecentOutFolder(settings, folder));
        QCOMPARE(settings.RecentOutFolders, std::string("/5/\t/4/\t/3/\t/2/\t/1/"));
        // A sixth folder pushes the oldest out.
        AddRecentOutFolder(settings, "/6/");
        QCOMPARE(settings.RecentOutFolders, std::string("/6/\t/5/\t/4/\t/3/\t/2/"));
        // A folder already there in other letter case moves to the front
        // once, written the new way.
        settings.RecentOutFolders = "/6/\t/Pics/\t/4/";
        AddRecentOutFolder(settings, "/PICS/");
        QCOMPARE(settings.RecentOutFolders, std::string("/PICS/\t/6/\t/4/"));
        // Entries are read trimmed; there is nothing past the end.
        QCOMPARE(RecentOutFolder(" /a/ \t /b/", 1), std::string("/b/"));
        QCOMPARE(RecentOutFolder("/a/\t/b/", 2), std::string());
        QCOMPARE(RecentOutFolder("/a/", -1), std::string());
        // A smaller limit keeps only the newest.
        settings.OutFoldersNumber = 2;
        AddRecentOutFolder(settings, "/7/");
        QCOMPARE(settings.RecentOutFolders, std::string("/7/\t/PICS/"));
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"
