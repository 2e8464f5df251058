#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>

class Logger;
class MainModel;
struct Plugins;
struct RunClock;

// The steps of the main window's two timers: the one-second tick (clocks,
// rates, link state, ping on idle, reconnection, watchdog) and the one-minute
// tick (counters, watchdog report, status report, the daily chores).
//
// The periodic work (status files, ping on idle) follows the clock, not the
// number of calls, and a tick that starts while another is still running
// (a question it asked lets events run) does nothing. packetTick() runs for
// each packet the dialer link reads: the idle clocks only.
class MainTick : public QObject {
    Q_OBJECT
public:
    MainTick(MainModel &model, Logger &log, Plugins &plugins, RunClock &clock, QObject *parent = nullptr);

    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }

    void tick();
    void packetTick();
    void minuteTick();
    // The daily chores at the first call of each day: at start, then from
    // the minute tick.
    void daily();

    int lastLinkState() const { return m_lastState; }

Q_SIGNALS:
    // The link is due to be closed (it is in error) ...
    void closeDue();
    // ... and connected as the "Connetti" button does.
    void connectDue();
    // The link is connecting: "Chiudi" on, "Connetti" off.
    void connecting();
    // The central status report is due.
    void statusReportDue();
    // The first tick of a day: the daily chores (old logs deleted).
    void newDay(const QDate &today);

private:
    // Work due every `seconds` of the clock; the first time after `seconds`
    // calls one second apart, as the original counted ticks.
    struct Every {
        int seconds;
        QDateTime last;
        bool due(const QDateTime &now);
        void restart() { last = {}; }
    };

    bool statusFiles(const QDateTime &now);
    void idleClocks(const QDateTime &now);
    void outcomeRates(const QDateTime &now, bool filesWritten);
    int linkState();
    void pingOnIdle(int state, const QDateTime &now);
    void reconnect(int state);
    void watchdog();

    MainModel &m_model;
    Logger &m_log;
    Plugins &m_plugins;
    RunClock &m_clock;
    std::function<QDateTime()> m_now;

    Every m_statusFiles;
    Every m_ping;
    QDate m_day; // of the last daily chores
    int m_reportTicks = 0;
    int m_lastState = 0;
    bool m_inTick = false;
};
