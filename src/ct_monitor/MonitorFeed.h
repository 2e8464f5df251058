#pragma once

#include <QObject>

#include "core/Severity.h"
#include "ct_monitor/TelephonyFormat.h"

class CtMonitorStore;
class ExtensionTable;
class Logger;
class MonitorModel;
class UdpReplication;

// What the monitor link delivers, applied (LavoraDatiMonitor): extensions
// and groups into the table, each extension taken scheduled for CT_Monitor,
// the tiles a configuration needs, and the lines the log tells of them.
class MonitorFeed : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        ExtensionTable &table;
        CtMonitorStore &store;
        MonitorModel &model;
        const UdpReplication &replication; // only asked whether it is on
    };

    explicit MonitorFeed(Parts parts, QObject *parent = nullptr);

    // A decoded monitor packet (LavoraDatiMonitor).
    void lavoraDatiMonitor(const telephony::MonitorPacket &p);
    // A new stream: a configuration starts afresh.
    void restart() { m_configuring = false; }

    qint64 recordsApplied() const { return m_recordsApplied; }
    // "Record applicati N, ... p50 ... p99 ...": the work of this run.
    QString summary() const;

private:
    void logReceived(const telephony::MonitorPacket &p);
    void logTime(const telephony::MonitorPacket &p);
    void logReplicated(const telephony::MonitorPacket &p);
    bool applyExtension(const telephony::ExtensionRecord &r); // false when the table skipped it
    void applyGroup(const telephony::GroupRecord &r);
    void log(const QString &text, Severity severity = Severity::Info);
    void debug(const QString &text);

    Parts m_parts;
    qint64 m_recordsApplied = 0;
    bool m_configuring = false; // the last packet was an extension configuration
    int m_configuredTop = 0;    // tiles the configuration needs so far
};
