#pragma once

#include <QDateTime>
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
// (a question it asked lets events run) does nothing. The dialer link calls
// packetTick() for each packet it reads: the idle clocks only.
class MainTick {
public:
    struct Actions {
        std::function<void()> connetti;     // act as the "Connetti" button
        std::function<void()> chiudiSocket; // close the link
        std::function<void()> invertiTasti; // "Chiudi" on, "Connetti" off
        std::function<void()> statusReport; // send the central status report
        std::function<void(const QDate &today)> newDay; // the daily chores (old logs deleted)
    };

    MainTick(MainModel &model, Logger &log, Plugins &plugins, RunClock &clock, Actions actions);

    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }

    void tick();
    void packetTick();
    void minuteTick();
    // The daily chores at the first call of each day: at start, then from
    // the minute tick.
    void daily();

    int lastLinkState() const { return m_lastState; }

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
    Actions m_actions;
    std::function<QDateTime()> m_now;

    Every m_statusFiles;
    Every m_ping;
    QDate m_day; // of the last daily chores
    int m_reportTicks = 0;
    int m_lastState = 0;
    bool m_inTick = false;
};
