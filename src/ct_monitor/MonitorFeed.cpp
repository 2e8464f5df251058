#include "ct_monitor/MonitorFeed.h"

#include "auxiliary/UdpReplication.h"
#include "core/Logger.h"
#include "ct_monitor/CtMonitorStore.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorModel.h"

#include <algorithm>
#include <cmath>

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

MonitorFeed::MonitorFeed(Parts parts, QObject *parent) : QObject(parent), m_parts(parts)
{
}

void MonitorFeed::log(const QString &text, Severity severity)
{
    m_parts.log.scriviLog(text, Logger::Monitor, severity);
}

void MonitorFeed::debug(const QString &text)
{
    if (m_parts.log.level() > 0)
        log(text);
}

void MonitorFeed::lavoraDatiMonitor(const telephony::MonitorPacket &p)
{
    if (p.header.code == telephony::Time) {
        logTime(p);
        return;
    }
    const bool configuration = p.sub.subcode == telephony::ExtensionConfig;
    if (configuration && !m_configuring)
        m_configuredTop = 0; // a new configuration begins
    m_configuring = configuration;
    logReceived(p);
    for (const telephony::ExtensionRecord &r : p.extensions) {
        // The configuration comes in packets of six: the tiles are those of
        // every extension it names and the table took, never beyond the table.
        if (applyExtension(r) && configuration)
            m_configuredTop = std::max(m_configuredTop, r.number - ExtensionTable::kFirst + 1);
    }
    if (configuration && m_configuredTop > 0)
        m_parts.model.tiles.setText(n(m_configuredTop));
    for (const telephony::GroupRecord &r : p.groups)
        applyGroup(r);
    m_recordsApplied += p.extensions.size() + p.groups.size();
    m_parts.table.recount();
}

void MonitorFeed::logTime(const telephony::MonitorPacket &p)
{
    log(QStringLiteral("Ricevuta Ora e altri dati sconosciuti"));
    logReplicated(p);
    QString line = QStringLiteral("ora ") + p.time.time;
    for (quint8 b : p.time.bytes)
        line += QLatin1Char(' ') + n(b);
    log(line);
}

void MonitorFeed::logReplicated(const telephony::MonitorPacket &p)
{
    if (m_parts.replication.isOn())
        log(QStringLiteral("replico cod. ") + n(p.header.code) + QStringLiteral(" PktL2 = len msg ") + n(p.header.len));
}

void MonitorFeed::logReceived(const telephony::MonitorPacket &p)
{
    switch (p.sub.subcode) {
    case telephony::ExtensionConfig:
        log(QStringLiteral(" Ricevuta Configurazione ") + n(p.sub.count) + QStringLiteral(" Interni"));
        break;
    case telephony::GroupConfig:
        log(QStringLiteral("Ricevuta Configurazione ") + n(p.sub.count) + QStringLiteral(" Gruppi"));
        break;
    case telephony::ExtensionChange:
        debug(QStringLiteral("Ricevuta Variazione Stato ") + n(p.sub.count) + QStringLiteral(" Interni"));
        break;
    default:
        break;
    }
    logReplicated(p);
}

bool MonitorFeed::applyExtension(const telephony::ExtensionRecord &r)
{
    if (!m_parts.table.applyExtension(r, QDateTime::currentDateTime()))
        return false;
    if (m_parts.log.level() > 0) {
        log(n(r.number) + QLatin1Char(' ') + r.logState + QLatin1Char(' ') + r.actionState + QLatin1Char(' ') + r.lineState);
        log(r.agent + QLatin1Char('|') + r.description + QLatin1Char('|') + r.logState + QLatin1Char('|') + r.actionState
            + QLatin1Char('|') + r.lineState + QLatin1Char('|') + r.acdState + QLatin1Char('|') + r.numberText
            + QLatin1Char('|') + r.loginTime);
    }
    m_parts.store.schedule(r.number); // FlagAggiornaDB: the title holds "quorin"
    return true;
}

void MonitorFeed::applyGroup(const telephony::GroupRecord &r)
{
    if (!m_parts.table.applyGroup(r))
        return;
    debug(QStringLiteral("GRP=") + n(r.number) + QStringLiteral(" (") + r.name + QStringLiteral(") ") + QStringLiteral(" op.lg=")
          + n(r.logged) + QStringLiteral(" op.fr=") + n(r.free) + QStringLiteral(" op.?\?=") + n(r.further));
}

QString MonitorFeed::summary() const
{
    QList<qint64> us = m_parts.store.latencies();
    std::sort(us.begin(), us.end());
    const auto at = [&us](double p) {
        if (us.isEmpty())
            return QStringLiteral("-");
        const auto i = std::clamp<qsizetype>(static_cast<qsizetype>(std::ceil(p * us.size())) - 1, 0, us.size() - 1);
        return QString::number(us[i] / 1000.0, 'f', 1);
    };
    return QStringLiteral("Record applicati ") + n(m_recordsApplied) + QStringLiteral(", righe CT_Monitor scritte ")
        + n(m_parts.store.rowsWritten()) + QStringLiteral(", applicazione e scrittura p50 ") + at(0.5)
        + QStringLiteral(" ms p99 ") + at(0.99) + QStringLiteral(" ms");
}
