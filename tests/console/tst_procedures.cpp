// The one-click procedures against a scripted screen, on a clock the test
// moves: the login on demand, the shortcut when already connected, the
// quiet stop when a prompt does not come, and the log file of the moment.
#include <QtTest>

#include "console/ConsoleClock.h"
#include "console/ConsoleProcedures.h"
#include "console/PromptWaits.h"
#include "console/Vt100Screen.h"

namespace {

struct Rig : ConsoleProcedures::Link {
    Vt100Screen screen;
    ManualClock clock;
    PromptWaits waits{screen, clock};
    bool connected = false;
    int opened = 0;
    QStringList sent;
    QDateTime now{QDate(2026, 12, 6), QTime(10, 44, 59)};
    ConsoleProcedures procedures{*this, waits};
    bool isConnected() const override { return connected; }
    void open() override { ++opened; }
    void send(const QString &t) override { sent << t; }
    QDateTime time() const override { return now; }
    QList<std::pair<QString, bool>> finished;

    Rig()
    {
        QObject::connect(&procedures, &ConsoleProcedures::finished, &procedures,
                         [this](const QString &name, bool ok) { finished.append({name, ok}); });
    }
    // The host writes a line on the screen.
    void host(const QByteArray &text)
    {
        screen.feed(text);
        waits.screenChanged();
    }
};

} // namespace

class TestProcedures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginOnDemandThenTheTool();
    void alreadyConnectedStartsWithQ();
    void aPromptThatDoesNotComeStopsQuietly();
    void theLogOfTheQuarterHour();
    void aNewProcedureEndsTheOneUnderWay();
    void waitsWithoutATimeTakeFiveSeconds();
};

void TestProcedures::loginOnDemandThenTheTool()
{
    Rig r;
    r.procedures.workPd();
    QCOMPARE(r.opened, 1);
    QVERIFY(r.sent.isEmpty());
    r.host("\r\nlogin: ");
    QCOMPARE(r.sent, QStringList{QStringLiteral("quocom")});
    r.clock.advance(4000);
    r.host("\r\nPassword: ");
    QCOMPARE(r.sent.last(), QStringLiteral("vadrin"));
    r.host("\r\n[tormix/lan]$ ");
    QCOMPARE(r.sent.last(), QStringLiteral("q"));
    // Not yet in the dialer's folder: after a second, "cd", then "cd modules/pd".
    r.clock.advance(999);
    QCOMPARE(r.sent.last(), QStringLiteral("q"));
    r.clock.advance(1);
    QCOMPARE(r.sent.mid(3), (QStringList{QStringLiteral("cd"), QStringLiteral("cd modules/pd")}));
    r.host("\r\n[tormix/lan/modules/pd]$ ");
    QCOMPARE(r.sent.last(), QStringLiteral("pdmon"));
    QCOMPARE(r.finished, (QList<std::pair<QString, bool>>{{QStringLiteral("pd"), true}}));
}

void TestProcedures::alreadyConnectedStartsWithQ()
{
    Rig r;
    r.connected = true;
    r.host("[tormix/lan/modules/pd]$ ");
    r.procedures.workPrcmon();
    QCOMPARE(r.opened, 0);
    QCOMPARE(r.sent, (QStringList{QStringLiteral("q"), QStringLiteral("prcmon")})); // the target is on screen already
    r.sent.clear();
    r.procedures.traceCalling();
    QCOMPARE(r.sent, (QStringList{QStringLiteral("q"), QStringLiteral("quotrace | grep CALLING")}));
}

void TestProcedures::aPromptThatDoesNotComeStopsQuietly()
{
    Rig r;
    r.procedures.workQuoTrace();
    r.host("login: ");
    r.clock.advance(5000); // no "Password:" in five seconds
    QCOMPARE(r.sent, QStringList{QStringLiteral("quocom")});
    r.host("Password: ");
    r.clock.advance(60000);
    QCOMPARE(r.sent, QStringList{QStringLiteral("quocom")}); // nothing after the stop, the password least of all
    QCOMPARE(r.finished, (QList<std::pair<QString, bool>>{{QStringLiteral("quotrace"), false}}));
    // Connected, but neither the target nor the home prompt ever shows.
    Rig home;
    home.connected = true;
    home.procedures.workPd();
    home.clock.advance(1000);
    QCOMPARE(home.sent, (QStringList{QStringLiteral("q"), QStringLiteral("cd")}));
    home.clock.advance(1000);
    QCOMPARE(home.sent.size(), 2);
    QCOMPARE(home.finished.value(0).second, false);
}

void TestProcedures::theLogOfTheQuarterHour()
{
    QCOMPARE(ConsoleProcedures::logFile(QDateTime(QDate(2026, 1, 2), QTime(10, 44))), QStringLiteral("log.1030"));
    QCOMPARE(ConsoleProcedures::logFile(QDateTime(QDate(2026, 1, 2), QTime(10, 45))), QStringLiteral("log.1045"));
    QCOMPARE(ConsoleProcedures::logFile(QDateTime(QDate(2026, 1, 2), QTime(0, 14, 59))), QStringLiteral("log.0000"));
    QCOMPARE(ConsoleProcedures::logFile(QDateTime(QDate(2026, 1, 2), QTime(23, 15))), QStringLiteral("log.2315"));
    QCOMPARE(ConsoleProcedures::logFolder(QDateTime(QDate(2026, 1, 2), QTime(9, 0))), QStringLiteral("logfiles/pd/02-01-2026"));
    Rig r;
    r.connected = true;
    r.host("[tormix/lan]$ ");
    r.procedures.workLog(QStringLiteral("TESTCALL"));
    QCOMPARE(r.sent.last(), QStringLiteral("cd /home/quocom/logfiles/pd/06-12-2026"));
    r.now = r.now.addSecs(1); // the folder takes a moment: 10:45:00, the next quarter
    r.host("\r\n[tormix/lan/home/quocom/logfiles/pd/06-12-2026]$ ");
    QCOMPARE(r.sent.last(), QStringLiteral("tail -f log.1045 | grep TESTCALL"));
}

void TestProcedures::aNewProcedureEndsTheOneUnderWay()
{
    Rig r;
    r.procedures.workPd(); // waits for "login:"
    r.connected = true;     // the connection came up meanwhile
    r.procedures.workPrcmon();
    QCOMPARE(r.sent, QStringList{QStringLiteral("q")}); // the new one, already logged in
    r.host("login: Password: ");
    r.clock.advance(20000); // the first one's deadlines pass: nothing of it happens
    QCOMPARE(r.sent, (QStringList{QStringLiteral("q"), QStringLiteral("cd")}));
    QCOMPARE(r.finished, (QList<std::pair<QString, bool>>{{QStringLiteral("prcmon"), false}}));
    // Cancelled: nothing more.
    Rig c;
    c.procedures.workPd();
    c.procedures.cancel();
    c.host("login: Password: [tormix/lan/modules/pd]");
    c.clock.advance(20000);
    QVERIFY(c.sent.isEmpty());
    QVERIFY(c.finished.isEmpty());
}

void TestProcedures::waitsWithoutATimeTakeFiveSeconds()
{
    Rig r;
    bool answered = false, found = true;
    r.waits.waitFor(QStringLiteral("never"), 0, [&](bool f) {
        answered = true;
        found = f;
    });
    r.clock.advance(4999);
    QVERIFY(!answered);
    r.clock.advance(1);
    QVERIFY(answered && !found);
    // Already there: true at once.
    r.host("ready");
    answered = false;
    r.waits.waitFor(QStringLiteral("ready"), 1, [&](bool f) {
        answered = true;
        found = f;
    });
    QVERIFY(answered && found);
}

QTEST_GUILESS_MAIN(TestProcedures)
#include "tst_procedures.moc"
