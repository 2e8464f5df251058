#include "ct_monitor/MonitorSession.h"

#include "core/Logger.h"
#include "core/Settings.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"
#include "ct_monitor/CtMonitorStore.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorActions.h"
#include "ct_monitor/MonitorFeed.h"
#include "ct_monitor/MonitorFlags.h"
#include "ct_monitor/MonitorLinks.h"
#include "ct_monitor/MonitorModel.h"
#include "ct_monitor/MonitorTiles.h"

namespace {
constexpr int kTickMs = 1000;
constexpr int kDatabaseTickMs = 5000;
} // namespace

MonitorSession::MonitorSession(Parts parts, QObject *parent) : QObject(parent), m_parts(parts)
{
    connect(&m_timer, &QTimer::timeout, this, &MonitorSession::tick);
}

void MonitorSession::log(const QString &text)
{
    m_parts.log.scriviLog(text, Logger::Monitor);
}

bool MonitorSession::isOpen() const
{
    return m_parts.model.loaded.value();
}

bool MonitorSession::running() const
{
    // In edit mode the links are closed on purpose.
    MonitorLink &monitor = m_parts.links.monitor();
    return m_parts.actions.editMode() || monitor.state() != socketstates::kClosed || monitor.wanted();
}

void MonitorSession::toggle()
{
    // In edit mode the links are closed on purpose: "ACD" still closes the window.
    if (isOpen() && running()) {
        close();
        return;
    }
    open();
}

void MonitorSession::showAndFill()
{
    if (!isOpen() || !running())
        open();
    m_parts.tiles.refill();
    Q_EMIT refillRequested();
}

void MonitorSession::startTimer()
{
    m_timer.start(m_parts.flags.usaDb ? kDatabaseTickMs : kTickMs);
}

void MonitorSession::open()
{
    if (!isOpen()) {
        m_parts.flags = MonitorFlags::read(m_parts.files.settingsFile());
        m_parts.links.monitor().setAcceptedSender(m_parts.flags.ascoltaUdpMittente);
        m_parts.store.setFileLimit(m_parts.settings.fileLimitBytes());
        m_parts.model.tiles.setText(QStringLiteral("96"));
        m_parts.actions.leggiPosizioni(); // the stored layout, when there is one
        m_parts.links.open();
        startTimer();
        m_parts.model.loaded.set(true);
    }
    // Armed at every opening from the menu, the socket of an earlier one first closed.
    m_parts.links.startReplication();
    m_parts.links.connectMonitor();
    m_parts.links.updateLeds();
}

void MonitorSession::close()
{
    const bool wasOpen = isOpen();
    m_closing = true; // edit mode ends without starting what closes next
    m_parts.actions.leaveEditMode();
    m_closing = false;
    m_timer.stop();
    m_parts.links.close();
    m_parts.store.flush();
    m_parts.model.loaded.set(false);
    m_parts.links.updateLeds();
    if (wasOpen && m_parts.feed.recordsApplied() > 0)
        log(m_parts.feed.summary());
}

void MonitorSession::hold(bool on)
{
    if (on) {
        m_timer.stop();
        Q_EMIT mainTimersHeld(true);
        m_parts.links.hold(true);
        log(QStringLiteral("Modalità edit: timer e collegamenti fermi"));
    } else {
        Q_EMIT mainTimersHeld(false);
        if (isOpen() && !m_closing) {
            startTimer();
            m_parts.links.hold(false);
        }
        log(QStringLiteral("Fine modalità edit"));
    }
    m_parts.links.updateLeds();
}

void MonitorSession::tick()
{
    m_parts.actions.tick();
    m_parts.links.updateLeds();
    m_parts.model.caption.setText(QStringLiteral("Operatori/Interni - ") + m_parts.model.search.text() + QLatin1Char(' ')
                                  + textformats::time(QTime::currentTime()));
    if (m_parts.links.monitor().isUp())
        return;
    if (m_parts.store.readBack())
        m_parts.table.recount(); // the legend and the counters follow what was read
    m_parts.links.retry();
}
