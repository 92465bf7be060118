// The update check against a real server on 127.0.0.1: the outcome of each
// reply, the schedule, and that neither a slow server nor closing the
// window during a check holds up the interface.
#include <QElapsedTimer>
#include <QWidget>
#include <QtTest>

#include "fake_dialogs.h"
#include "settings/conversion_settings.h"
#include "stand_in_opener.h"
#include "support/http_test_server.h"
#include "support/scoped_env.h"
#include "text/text_table.h"
#include "ui/update_check.h"

using namespace orvex;
using orvex::test_support::HttpReply;
using orvex::test_support::ScopedEnv;
using orvex::test_support::TestHttpServer;

namespace {

constexpr Date kDay = 86400;

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

    TextTable m_texts;

    // Runs the update command against one reply and waits for its boxes.
    void CheckAgainst(const std::string& reply, test::FakeDialogs& dialogs) {
        TestHttpServer server({{reply}});
        ScopedEnv url("ORVEX_UPDATE_URL", server.Url().c_str());
        QWidget window;
        CheckForUpdates(&window, m_texts, dialogs);
        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.empty(), 15000);
    }

  private slots:
    void initTestCase() { m_texts.Build(); }

    void versionCodes() {
        QCOMPARE(VersionCodeFromText("311"), 311);
        QCOMPARE(VersionCodeFromText("3.1"), 3);
        QCOMPARE(VersionCodeFromText("abc"), 0);
        QCOMPARE(VersionCodeFromText(""), 0);
        QVERIFY(JudgeUpdateCode(311) == UpdateOutcome::NewVersion);
        QVERIFY(JudgeUpdateCode(310) == UpdateOutcome::UpToDate);
        QVERIFY(JudgeUpdateCode(3) == UpdateOutcome::UpToDate);
        QVERIFY(JudgeUpdateCode(0) == UpdateOutcome::ConnectionProblem);
        QCOMPARE(QString::fromStdString(UpdateUserAgent()), QString("Lumavert Orvex 3.1"));
    }

    void newerVersionOffersTheProductPage() {
        test::StandInOpener opener;
        test::FakeDialogs dialogs;
        dialogs.answerYes = true;
        TestHttpServer server({{HttpReply("311\r\n")}});
        ScopedEnv url("ORVEX_UPDATE_URL", server.Url().c_str());
        QWidget window;
        CheckForUpdates(&window, m_texts, dialogs);
        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.empty(), 15000);
        QCOMPARE(dialogs.shown[0].kind, QString("question"));
        QCOMPARE(dialogs.shown[0].title, QString("New Update"));
        QCOMPARE(dialogs.shown[0].text,
                 QString("A new version of Lumavert Orvex is available! Are you ready to "
                         "download it right now?"));
        QCOMPARE(opener.WaitFor(1),
                 QStringList{QString("1|") + ORVEX_WEB_SITE + "/orvex/"});
        // The server saw the program's own agent.
        QVERIFY(QString::fromStdString(server.Requests().at(0))
                    .contains("\r\nUser-Agent: Lumavert Orvex 3.1\r\n"));
    }

    void sameOrOlderVersionSaysNoUpdate_data() {
        QTest::addColumn<QString>("body");
        QTest::newRow("310") << "310";
        QTest::newRow("305") << "305";
        QTest::newRow("3.11 reads as 3") << "3.11";
    }
    void sameOrOlderVersionSaysNoUpdate() {
        QFETCH(QString, body);
        test::FakeDialogs dialogs;
        CheckAgainst(HttpReply(body.toStdString()), dialogs);
        const auto& shown = dialogs.shown;
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, QString("information"));
        QCOMPARE(shown[0].title, QString("No Update"));
        QCOMPARE(shown[0].text, QString("There is no update of Lumavert Orvex yet. You're "
                                        "using the most recent version."));
    }

    void badRepliesAreConnectionProblems_data() {
        QTest::addColumn<QString>("reply");
        QTest::newRow("no empty line") << "HTTP/1.0 200 OK\r\n311";
        QTest::newRow("not a number") << QString::fromStdString(HttpReply("new"));
        QTest::newRow("closed at once") << "";
    }
    void badRepliesAreConnectionProblems() {
        QFETCH(QString, reply);
        test::FakeDialogs dialogs;
        CheckAgainst(reply.toStdString(), dialogs);
        const auto& shown = dialogs.shown;
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, QString("error"));
        QCOMPARE(shown[0].title, QString("Error"));
        QCOMPARE(shown[0].text, QString("Internet connection problems!"));
    }

    void noServerIsAConnectionProblem() {
        test::FakeDialogs dialogs;
        const std::string url =
            "http://127.0.0.1:" + std::to_string(TestHttpServer::UnusedPort()) + "/files/orvex.dat";
        ScopedEnv env("ORVEX_UPDATE_URL", url.c_str());
        QWidget window;
        CheckForUpdates(&window, m_texts, dialogs);
        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.empty(), 15000);
        QCOMPARE(dialogs.shown[0].text, QString("Internet connection problems!"));
    }

    void slowServerLeavesTheWindowResponsive() {
        test::FakeDialogs dialogs;
        TestHttpServer server({{HttpReply("310"), 700}});
        ScopedEnv url("ORVEX_UPDATE_URL", server.Url().c_str());
        QWidget window;
        QElapsedTimer clock;
        clock.start();
        UpdateCheck* check = CheckForUpdates(&window, m_texts, dialogs);
        QVERIFY(clock.elapsed() < 300);
        QVERIFY(check->running());
        // A second request while one runs joins it instead of starting another.
        QCOMPARE(CheckForUpdates(&window, m_texts, dialogs), check);
        bool ticked = false;
        QTimer::singleShot(50, &window, [&ticked] { ticked = true; });
        QTRY_VERIFY(ticked);
        QVERIFY(dialogs.shown.empty());
        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.empty(), 15000);
        QCOMPARE(dialogs.shown[0].title, QString("No Update"));
        QCOMPARE(server.Requests().size(), size_t(1));
    }

    void closingTheWindowDuringACheckDoesNotWait() {
        test::FakeDialogs dialogs;
        TestHttpServer server({{"", 0, 8000}});
        ScopedEnv url("ORVEX_UPDATE_URL", server.Url().c_str());
        auto window = std::make_unique<QWidget>();
        CheckForUpdates(window.get(), m_texts, dialogs);
        QTRY_COMPARE(server.Requests().size(), size_t(1));
        QElapsedTimer clock;
        clock.start();
        window.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(50);
        QVERIFY(dialogs.shown.empty());
    }

    void scheduleIntervals_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("hoursAgo");
        QTest::addColumn<bool>("due");
        QTest::newRow("daily, 25 hours") << 0 << 25 << true;
        QTest::newRow("daily, 23 hours") << 0 << 23 << false;
        QTest::newRow("weekly, 6 days") << 1 << 6 * 24 << false;
        QTest::newRow("weekly, 8 days") << 1 << 8 * 24 << true;
        QTest::newRow("monthly, 31 days") << 2 << 31 * 24 << true;
        QTest::newRow("3 months, 89 days") << 3 << 89 * 24 << false;
        QTest::newRow("6 months, 181 days") << 4 << 181 * 24 << true;
        QTest::newRow("never, 10 years") << 5 << 3650 * 24 << false;
        QTest::newRow("unknown is monthly, 29 days") << 9 << 29 * 24 << false;
        QTest::newRow("unknown is monthly, 31 days") << -1 << 31 * 24 << true;
    }
    void scheduleIntervals() {
        QFETCH(int, range);
        QFETCH(int, hoursAgo);
        QFETCH(bool, due);
        const Date now = 1700000000;
        QCOMPARE(ScheduledCheckDue(range, now - hoursAgo * 3600, now), due);
    }

    void scheduledQuestionAnsweredNoStillMovesTheDate() {
        test::FakeDialogs dialogs;
        ConversionSettings settings;
        settings.UpdateRange = 0;
        const Date now = 1700000000;
        settings.UpdateDate = now - kDay - 3600;
        QWidget window;
        QVERIFY(ScheduledUpdateCheck(&window, settings, m_texts, dialogs, now));
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QCOMPARE(dialogs.shown[0].kind, QString("question"));
        QCOMPARE(dialogs.shown[0].title, QString("Check for Updates"));
        QCOMPARE(dialogs.shown[0].text, QString("Do you want to check for updates?"));
        QCOMPARE(settings.UpdateDate, now);
        QVERIFY(window.findChildren<UpdateCheck*>().isEmpty());
        // Not again within the day.
        QVERIFY(!ScheduledUpdateCheck(&window, settings, m_texts, dialogs, now + kDay - 60));
        QCOMPARE(dialogs.shown.size(), size_t(1));
    }

    void scheduledQuestionAnsweredYesChecks() {
        test::FakeDialogs dialogs;
        dialogs.answerYes = true;
        TestHttpServer server({{HttpReply("310")}});
        ScopedEnv url("ORVEX_UPDATE_URL", server.Url().c_str());
        ConversionSettings settings;
        settings.UpdateRange = 1;
        const Date now = 1700000000;
        settings.UpdateDate = now - 8 * kDay;
        QWidget window;
        QVERIFY(ScheduledUpdateCheck(&window, settings, m_texts, dialogs, now));
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), size_t(2), 15000);
        QCOMPARE(dialogs.shown[1].title, QString("No Update"));
        QCOMPARE(settings.UpdateDate, now);
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
