#include "core/MainTick.h"

#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/OutcomeRates.h"
#include "core/Ports.h"
#include "core/RunClock.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"

#include <cstdlib>

namespace {
constexpr int kStatusFileEvery = 5;
constexpr int kPingEvery = 10;
constexpr int kReportEvery = 15;
} // namespace

MainTick::MainTick(MainModel &model, Logger &log, Plugins &plugins, RunClock &clock, QObject *parent)
    : QObject(parent), m_model(model), m_log(log), m_plugins(plugins), m_clock(clock),
      m_now([] { return QDateTime::currentDateTime(); }), m_statusFiles{kStatusFileEvery, {}}, m_ping{kPingEvery, {}}
{
}

bool MainTick::Every::due(const QDateTime &now)
{
    if (!last.isValid())
        last = now.addSecs(-1);
    if (last.secsTo(now) < seconds && last <= now)
        return false;
    last = now;
    return true;
}

void MainTick::tick()
{
    if (m_inTick)
        return;
    m_inTick = true;
    const QDateTime now = m_now();
    const bool filesWritten = statusFiles(now);
    idleClocks(now);
    outcomeRates(now, filesWritten);
    const int state = linkState();
    if (state == socketstates::kConnecting && !m_model.closeEnabled.value())
        Q_EMIT connecting();
    pingOnIdle(state, now);
    reconnect(state);
    m_model.menuClock.setText(textformats::time(now.time()));
    watchdog();
    m_inTick = false;
}

void MainTick::packetTick()
{
    idleClocks(m_now());
}

bool MainTick::statusFiles(const QDateTime &now)
{
    if (!m_statusFiles.due(now))
        return false;
    if (m_plugins.statusPages)
        m_plugins.statusPages->writeStatusFiles();
    return true;
}

void MainTick::idleClocks(const QDateTime &now)
{
    m_model.traffic[MainModel::IdleReceive]->set(m_clock.lastReceive.secsTo(now));
    m_model.traffic[MainModel::IdleSend]->set(m_clock.lastSend.secsTo(now));
}

void MainTick::outcomeRates(const QDateTime &now, bool filesWritten)
{
    if (!m_clock.countingStart.isValid())
        return;
    const qint64 seconds = std::llabs(m_clock.countingStart.secsTo(now));
    m_model.countedSeconds.set(seconds);
    const int total = outcomerates::perHour(int(m_model.outcomes[0]->value()), seconds);
    const int toOperator = outcomerates::perHour(int(m_model.outcomes[7]->value()), seconds);
    m_model.traffic[MainModel::OutcomesPerHour]->set(total);
    m_model.traffic[MainModel::OperatorPerHour]->set(toOperator);
    if (filesWritten && total > 0 && m_plugins.statusPages)
        m_plugins.statusPages->storeOutcomeCounters();
}

int MainTick::linkState()
{
    const int state = m_plugins.link ? m_plugins.link->state() : socketstates::kClosed;
    m_model.codeStatus.setText(QString::number(state));
    auto look = socketstates::appearance(state, m_model.status.text());
    if (state != m_lastState) {
        // ScriviLog decorates the text in place, so on this tick the label
        // shows the text as it went to the list.
        // A link that errs or drops is a warning: it comes back by itself.
        const bool lost = state == socketstates::kError || m_lastState == socketstates::kConnected;
        m_log.scriviLog(look.text, Logger::List1, QString(), 0, lost ? Severity::Warning : Severity::Info);
        m_lastState = state;
    }
    m_model.led.set(look.colour);
    m_model.status.setText(look.text);
    return state;
}

void MainTick::pingOnIdle(int state, const QDateTime &now)
{
    if (!m_model.pingOnIdle.value() || m_model.autoConnect.value() || state != socketstates::kClosed) {
        m_ping.restart(); // ten seconds of idleness again before the next ping
        return;
    }
    if (!m_ping.due(now))
        return;
    if (m_plugins.ping)
        m_plugins.ping->startPing();
}

void MainTick::reconnect(int state)
{
    if (!m_plugins.link)
        return;
    const bool closedAndAuto = state == socketstates::kClosed && m_model.autoConnect.value();
    if (!closedAndAuto && state != socketstates::kError)
        return;
    if (state == socketstates::kError)
        Q_EMIT closeDue();
    Q_EMIT connectDue();
}

void MainTick::watchdog()
{
    if (!m_plugins.watchdog)
        return;
    m_plugins.watchdog->check();
    m_model.ledWatchdog.set(socketstates::appearance(m_plugins.watchdog->firstPeerState(), QString()).colour);
}

void MainTick::minuteTick()
{
    const int hour = m_now().time().hour();
    if (m_plugins.campaign)
        m_plugins.campaign->refreshCounters(hour >= 8 && hour <= 20);
    if (m_plugins.watchdog)
        m_plugins.watchdog->sendReport();
    if (++m_reportTicks >= kReportEvery) {
        m_reportTicks = 0;
        Q_EMIT statusReportDue();
    }
    daily();
}

void MainTick::daily()
{
    const QDate today = m_now().date();
    if (today == m_day)
        return;
    m_day = today;
    Q_EMIT newDay(today);
}
