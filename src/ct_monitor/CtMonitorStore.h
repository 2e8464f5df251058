#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

#include "core/Severity.h"
#include "ct_monitor/ExtensionTable.h"

class CampaignDb;
class Logger;

// The table CT_Monitor: every extension the monitor link changes is written
// through to it (AggiornaCTMonitorDB), and the table is read back while the
// link is down (DumpDaDb). Writes are gathered for a moment and committed
// together, so a busy call centre costs one commit a flush, not one a record;
// the row written is always the extension's latest state.
class CtMonitorStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kFlushMs = 200;

    using Clock = std::function<QDateTime()>;
    // DEBUG-AGGDB.LOG is written at the log's diagnostic level above 0;
    // `now` stamps its lines and the logout times (unset: the system's clock).
    CtMonitorStore(CampaignDb &db, Logger &log, ExtensionTable &table, QString aggDbLog, Clock now = {},
                   QObject *parent = nullptr);

    // The size limit of DEBUG-AGGDB.LOG.
    void setFileLimit(qint64 bytes) { m_fileLimit = bytes; }

    // AggiornaCTMonitorDB, soon: the extension's row will be written.
    void schedule(int extension);
    // Writes what is scheduled now (also at exit).
    void flush();
    bool pending() const { return !m_dirty.isEmpty(); }

    // DumpDaDb: the table's rows back into the extension table; false when
    // the database cannot be read.
    bool readBack();

    // RicavaPW: the password of an operator; empty when there is none or on
    // any database error. The value is bound, never put in the statement.
    QString password(const QString &op);

    // Size of each text column of CT_Monitor (0: no limit), by lower-case name.
    const QHash<QString, int> &columnSizes();

    // Time from a change being scheduled to its commit, in microseconds,
    // for the last kSamples writes; and how many rows were written.
    static constexpr int kSamples = 100000;
    QList<qint64> latencies() const { return m_latencies; }
    qint64 rowsWritten() const { return m_rowsWritten; }

Q_SIGNALS:
    void flushed(int written, int unchanged);

private:
    bool writeTogether(const QList<int> &which, QStringList &sameOut, QString &error);
    QList<int> writeRows(const QList<int> &extensions, QStringList &invariati);
    void sampleLatencies(const QList<int> &done, const QHash<int, qint64> &scheduled);
    bool write(int extension, QString &error, bool &unchanged);
    bool insertEmpty(const QString &interno, QString &error);
    QString cut(const QString &column, const QString &value);
    void appendAggDbLog(int extension, const ExtensionTable::Row &row);
    void logLine(const QString &text, Severity severity = Severity::Info);

    CampaignDb &m_db;
    Logger &m_log;
    ExtensionTable &m_table;
    QString m_aggDbLog;
    Clock m_now;
    qint64 m_fileLimit = 0;
    QHash<int, qint64> m_dirty; // extension -> when first scheduled (ns)
    QElapsedTimer m_clock;
    QList<qint64> m_latencies;
    qint64 m_nextSample = 0;
    qint64 m_rowsWritten = 0;
    QTimer m_flushTimer;
    QHash<QString, int> m_sizes;
    bool m_sizesRead = false;
    bool m_closedReported = false;
};
