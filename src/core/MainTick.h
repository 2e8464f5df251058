#pragma once

#include <QDateTime>
#include <functional>

class Logger;
class MainModel;
struct Plugins;
struct RunClock;

// The steps of the main window's two timers: the one-second tick (clocks,
// rates, link state, ping on idle, reconnection, watchdog) and the one-minute
// tick (counters, watchdog report, status report). Safe to run at any time:
// the link handlers call the one-second tick directly.
class MainTick {
public:
    struct Actions {
        std::function<void()> connetti;     // act as the "Connetti" button
        std::function<void()> chiudiSocket; // close the link
        std::function<void()> invertiTasti; // "Chiudi" on, "Connetti" off
        std::function<void()> statusReport; // send the central status report
    };

    MainTick(MainModel &model, Logger &log, Plugins &plugins, RunClock &clock, Actions actions);

    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }

    void tick();
    void minuteTick();

    int lastLinkState() const { return m_lastState; }

private:
    void statusFiles();
    void idleClocks(const QDateTime &now);
    void outcomeRates(const QDateTime &now);
    int linkState();
    void pingOnIdle(int state);
    void reconnect(int state);
    void watchdog();

    MainModel &m_model;
    Logger &m_log;
    Plugins &m_plugins;
    RunClock &m_clock;
    Actions m_actions;
    std::function<QDateTime()> m_now;

    int m_statusFileTicks = 0;
    int m_pingTicks = 0;
    int m_reportTicks = 0;
    int m_lastState = 0;
};
