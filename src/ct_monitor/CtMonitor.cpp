#include "ct_monitor/CtMonitor.h"

#include "core/Logger.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "ct_monitor/MonitorCounters.h"

CtMonitor::CtMonitor(Parts parts, UdpReplication &replication, QObject *parent)
    : QObject(parent),
      m_store(parts.db, parts.log, m_table, parts.files.rootFile(QStringLiteral("DEBUG-AGGDB.LOG"))),
      m_links({parts.log, parts.debug, parts.settings, parts.main, m_model, replication, m_flags}),
      m_feed({parts.log, m_table, m_store, m_model, replication}),
      m_commands(m_table, m_model, m_store, m_links.operatorLink(), parts.prompts, parts.log),
      m_tiles(m_table, m_model.search),
      m_actions({parts.log, parts.prompts, parts.notice, parts.phone, m_tiles, parts.files}),
      m_session({parts.log, parts.settings, parts.files, m_flags, m_links, m_feed, m_store, m_table, m_model, m_tiles,
                 m_actions})
{
    MonitorLink &monitor = m_links.monitor();
    connect(&monitor, &MonitorLink::packetReceived, &m_feed, &MonitorFeed::lavoraDatiMonitor);
    // A configuration starts afresh on every new stream.
    connect(&monitor.reconnector(), &wire::Reconnector::attempted, &m_feed, &MonitorFeed::restart);
    connect(&m_model.tiles, &TextValue::textChanged, this,
            [this](const QString &text) { m_tiles.setCount(int(textformats::leadingInteger(text))); });
    connect(&m_table, &ExtensionTable::countersChanged, this,
            [this, &main = parts.main] { monitorcounters::show(m_table, m_model, main); });
    connect(&m_actions, &MonitorActions::held, &m_session, &MonitorSession::hold);
    parts.log.setDestination(Logger::Monitor, [this] { return &m_model.list; });
    parts.log.setDestination(Logger::MonitorAlt, [this] { return &m_model.list; });
}

CtMonitor::~CtMonitor()
{
    m_store.flush();
}
