// The main window's one-second and one-minute ticks.
#include <QtTest>

#include "TestSupport.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/MainTick.h"
#include "core/OutcomeRates.h"
#include "core/RunClock.h"
#include "core/TextFormats.h"

class TestMainTick : public QObject {
    Q_OBJECT
private:
    struct Fixture {
        MainModel model;
        Logger log{model.debugLevel};
        FakeLink link;
        FakePing ping;
        FakeCampaign campaign;
        FakeStatusPages pages;
        FakeWatchdog watchdog;
        Plugins plugins{&link, nullptr, &campaign, &pages, &ping, &watchdog, nullptr};
        RunClock clock;
        QStringList actions;
        QDateTime now{QDate(2026, 12, 6), QTime(10, 0, 0)};
        MainTick tick{model, log, plugins, clock};

        Fixture()
        {
            QObject::connect(&tick, &MainTick::connectDue, [this] { actions << QStringLiteral("connetti"); });
            QObject::connect(&tick, &MainTick::closeDue, [this] {
                actions << QStringLiteral("chiudi");
                link.close();
            });
            QObject::connect(&tick, &MainTick::connecting, [this] {
                actions << QStringLiteral("inverti");
                model.closeEnabled.set(true);
            });
            QObject::connect(&tick, &MainTick::statusReportDue, [this] { actions << QStringLiteral("report"); });
            QObject::connect(&tick, &MainTick::newDay,
                             [this](const QDate &day) { actions << QStringLiteral("day ") + day.toString(Qt::ISODate); });
            clock.lastReceive = now;
            clock.lastSend = now;
            tick.setNow([this] { return now; });
        }
        // One tick a second, as the timer makes them.
        void ticks(int n)
        {
            for (int i = 0; i < n; ++i) {
                tick.tick();
                now = now.addSecs(1);
            }
        }
    };

private Q_SLOTS:
    void pingsEveryTenthIdleTick();
    void linkStateOnEachTick_data();
    void linkStateOnEachTick();
    void ratesNeedACountingStartAndRoundHalvesToEven();
    void statusFilesByTheClockWatchdogEveryTick();
    void aTickInsideATickDoesNothing();
    void idleClocksAndPacketTicks();
    void minuteTicksHourDayAndReport();
    void percentages_data();
    void percentages();
};

void TestMainTick::pingsEveryTenthIdleTick()
{
    Fixture f;
    f.model.pingOnIdle.set(true);
    f.ticks(9);
    QCOMPARE(f.ping.pings, 0);
    f.ticks(1);
    QCOMPARE(f.ping.pings, 1);
    f.ticks(20);
    QCOMPARE(f.ping.pings, 3);
    f.link.currentState = 7; // connected: not idle
    f.ticks(20);
    QCOMPARE(f.ping.pings, 3);
    f.model.autoConnect.set(true); // reconnecting, not pinging
    for (int i = 0; i < 30; ++i) {
        f.link.currentState = 0; // the fake connect moves to 6; keep it idle
        f.ticks(1);
    }
    QCOMPARE(f.ping.pings, 3);
}

void TestMainTick::linkStateOnEachTick_data()
{
    QTest::addColumn<bool>("linked");
    QTest::addColumn<bool>("autoConnect");
    QTest::addColumn<QList<int>>("states"); // one tick each
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("led");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("logged"); // List1 lines: one per change of state
    const QString closed = QStringLiteral("Socket chiusa [NON OK]");
    const QString pending = QStringLiteral("Connessione pendente [NON OK]");
    const auto led = [](Colour c) { return int(c); };
    QTest::newRow("closed") << true << false << QList<int>{0, 0} << closed << led(Colour::Red) << QStringList() << 0;
    QTest::newRow("closed, AutoConnect reconnects")
        << true << true << QList<int>{0} << closed << led(Colour::Red) << QStringList{QStringLiteral("connetti")} << 0;
    QTest::newRow("no link: nothing reconnects")
        << false << true << QList<int>{0, 0, 0} << closed << led(Colour::Red) << QStringList() << 0;
    QTest::newRow("error recycled without AutoConnect")
        << true << false << QList<int>{9} << QStringLiteral("Errore [NON OK]") << led(Colour::Black)
        << QStringList{QStringLiteral("chiudi"), QStringLiteral("connetti")} << 1;
    QTest::newRow("connected, logged once") << true << false << QList<int>{0, 0, 7, 7, 7} << QStringLiteral("Connessione stabilita  [OK]")
                                            << led(Colour::Green) << QStringList() << 1;
    QTest::newRow("dropped") << true << false << QList<int>{7, 0} << closed << led(Colour::Red) << QStringList() << 2;
    QTest::newRow("pending") << true << false << QList<int>{3} << pending << led(Colour::Yellow) << QStringList() << 1;
    QTest::newRow("unknown keeps the text") << true << false << QList<int>{3, 42} << pending << led(Colour::Magenta) << QStringList() << 2;
    QTest::newRow("connecting swaps the buttons once") << true << false << QList<int>{6, 6} << QStringLiteral("Connettendo... [NON OK]")
                                                       << led(Colour::White) << QStringList{QStringLiteral("inverti")} << 1;
}

void TestMainTick::linkStateOnEachTick()
{
    QFETCH(bool, linked);
    QFETCH(bool, autoConnect);
    QFETCH(QList<int>, states);
    QFETCH(QString, status);
    QFETCH(int, led);
    QFETCH(QStringList, actions);
    QFETCH(int, logged);
    Fixture f;
    if (!linked)
        f.plugins.link = nullptr;
    f.model.autoConnect.set(autoConnect);
    for (int state : states) {
        f.link.currentState = state;
        f.ticks(1);
    }
    QCOMPARE(f.actions, actions);
    QCOMPARE(f.model.status.text(), status);
    QCOMPARE(int(f.model.led.value()), led);
    QCOMPARE(f.model.codeStatus.text(), QString::number(linked ? states.last() : 0));
    QCOMPARE(f.tick.lastLinkState(), linked ? states.last() : 0);
    QCOMPARE(f.log.list1().count(), logged);
    if (logged > 0)
        QCOMPARE(f.log.list1().lines().last(), status);
}

void TestMainTick::ratesNeedACountingStartAndRoundHalvesToEven()
{
    Fixture f;
    f.model.outcomes[0]->set(50);
    f.ticks(1);
    QCOMPARE(f.model.traffic[MainModel::OutcomesPerHour]->value(), 0);
    QVERIFY(!f.model.countedSeconds.isSet());
    f.clock.countingStart = f.now.addSecs(-1800);
    f.model.outcomes[7]->set(5);
    f.ticks(1);
    QCOMPARE(f.model.traffic[MainModel::OutcomesPerHour]->value(), 100);
    QCOMPARE(f.model.traffic[MainModel::OperatorPerHour]->value(), 10);
    QCOMPARE(f.model.countedSeconds.value(), 1800);
    // A start time in the future counts its absolute distance; zero counts as 1.
    f.clock.countingStart = f.now;
    f.model.outcomes[0]->set(1);
    f.ticks(1);
    QCOMPARE(f.model.traffic[MainModel::OutcomesPerHour]->value(), 3600);
    QCOMPARE(f.model.countedSeconds.value(), 0);
    // Halves round to even.
    QCOMPARE(outcomerates::perHour(1, 7200), 0); // 0.5
    QCOMPARE(outcomerates::perHour(3, 7200), 2); // 1.5
    QCOMPARE(outcomerates::perHour(5, 7200), 2); // 2.5
    QCOMPARE(outcomerates::perHour(7, 7200), 4); // 3.5
    QCOMPARE(outcomerates::perHour(2, 7000), 1); // 1.03
    QCOMPARE(outcomerates::perHour(0, 0), 0);
}

void TestMainTick::statusFilesByTheClockWatchdogEveryTick()
{
    Fixture f;
    f.watchdog.firstState = 9;
    f.ticks(4);
    QCOMPARE(f.pages.files, 0);
    f.ticks(1);
    QCOMPARE(f.pages.files, 1);
    QCOMPARE(f.pages.stores, 0); // not counting yet
    f.clock.countingStart = f.now.addSecs(-3600);
    f.model.outcomes[0]->set(12);
    f.ticks(5);
    QCOMPARE(f.pages.files, 2);
    QCOMPARE(f.pages.stores, 1); // only on the tick that rewrote the files
    QCOMPARE(f.watchdog.checks, 10); // the watchdog on every tick
    QCOMPARE(f.model.ledWatchdog.value(), Colour::Black);
    // Two calls a second (the link's connect also runs the tick): files every five seconds still.
    for (int s = 0; s < 20; ++s) {
        f.tick.tick();
        f.tick.tick();
        f.now = f.now.addSecs(1);
    }
    QCOMPARE(f.pages.files, 6);
}

void TestMainTick::aTickInsideATickDoesNothing()
{
    Fixture f;
    f.model.autoConnect.set(true);
    // "Connetti" asks a question whose dialog lets the timer fire again.
    int connects = 0;
    MainTick tick(f.model, f.log, f.plugins, f.clock);
    QObject::connect(&tick, &MainTick::connectDue, [&] {
        ++connects;
        tick.tick();
    });
    tick.setNow([&f] { return f.now; });
    tick.tick();
    QCOMPARE(connects, 1);
    f.now = f.now.addSecs(1);
    tick.tick(); // the next tick runs again
    QCOMPARE(connects, 2);
}

void TestMainTick::idleClocksAndPacketTicks()
{
    Fixture f;
    f.model.autoConnect.set(true);
    f.model.pingOnIdle.set(true);
    f.clock.lastReceive = f.now.addSecs(-7);
    for (int i = 0; i < 100; ++i) // a burst of packets within one second
        f.tick.packetTick();
    QCOMPARE(f.model.traffic[MainModel::IdleReceive]->value(), 7);
    QCOMPARE(f.pages.files, 0);
    QCOMPARE(f.ping.pings, 0);
    QCOMPARE(f.watchdog.checks, 0);
    QVERIFY(f.actions.isEmpty()); // no reconnection from the packet reader
    // The tick moves both, and the menu's clock.
    f.clock.lastReceive = f.now.addSecs(-3725);
    f.clock.lastSend = f.now.addSecs(-(86400 + 61));
    f.ticks(1);
    QCOMPARE(f.model.traffic[MainModel::IdleReceive]->value(), 3725);
    QCOMPARE(textformats::elapsedClock(f.model.traffic[MainModel::IdleSend]->value()), QStringLiteral("00:01:01")); // a day wraps like a clock
    QCOMPARE(f.model.menuClock.text(), QStringLiteral("10:00:00"));
}

void TestMainTick::minuteTicksHourDayAndReport()
{
    Fixture f;
    for (const QTime &t : {QTime(20, 59, 59), QTime(21, 0, 0), QTime(7, 59, 0), QTime(8, 0, 0)}) {
        f.now = QDateTime(QDate(2026, 12, 6), t);
        f.tick.minuteTick();
    }
    QCOMPARE(f.campaign.calls, (QStringList{QStringLiteral("counters true"), QStringLiteral("counters false"),
                                            QStringLiteral("counters false"), QStringLiteral("counters true")}));
    QCOMPARE(f.watchdog.reports, 4);
    // The daily chores: once on the first tick of each day, whatever the hour.
    QCOMPARE(f.actions, QStringList{QStringLiteral("day 2026-12-06")});
    f.now = QDateTime(QDate(2026, 12, 7), QTime(0, 0, 30));
    f.tick.minuteTick();
    f.tick.daily();
    f.tick.minuteTick();
    QCOMPARE(f.actions, (QStringList{QStringLiteral("day 2026-12-06"), QStringLiteral("day 2026-12-07")}));
    // The status report on every fifteenth minute tick: six so far.
    for (int i = 0; i < 8; ++i)
        f.tick.minuteTick();
    QVERIFY(!f.actions.contains(QStringLiteral("report")));
    f.tick.minuteTick();
    QCOMPARE(f.actions.count(QStringLiteral("report")), 1);
    for (int i = 0; i < 15; ++i)
        f.tick.minuteTick();
    QCOMPARE(f.actions.count(QStringLiteral("report")), 2);
}

void TestMainTick::percentages_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 25 << 100 << QStringLiteral("25%");
    QTest::newRow("rounds up at .5") << 1 << 8 << QStringLiteral("13%"); // 12.5
    QTest::newRow("rounds down") << 1 << 3 << QStringLiteral("33%");
    QTest::newRow("under 0.5 shows no number") << 1 << 300 << QStringLiteral("%");
    QTest::newRow("exactly 0.5") << 1 << 200 << QStringLiteral("1%");
    QTest::newRow("zero") << 0 << 10 << QStringLiteral("%");
    QTest::newRow("above 100") << 30 << 10 << QStringLiteral("300%");
}

void TestMainTick::percentages()
{
    QFETCH(int, value);
    QFETCH(int, sent);
    QFETCH(QString, text);
    QCOMPARE(outcomerates::percentText(value, sent), text);
}

QTEST_GUILESS_MAIN(TestMainTick)
#include "tst_maintick.moc"
