#include "ct_monitor/CtMonitorStore.h"

#include "campaign/CampaignDb.h"
#include "core/CappedFile.h"
#include "core/Logger.h"
#include "core/TextFormats.h"
#include "wire/AnsiCodec.h"

#include <QRegularExpression>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
using T = ExtensionTable;

// The columns written, with the row's column they take.
const std::pair<const char *, T::Column> kColumns[] = {
    {"ID_Agent", T::Agent},       {"Descrizione", T::Description}, {"statolog", T::LogState},
    {"statoAction", T::ActionState}, {"statoLinea", T::LineState},  {"statoACD", T::AcdState},
    {"gruppi", T::GroupText},     {"OraLogin", T::LoginTime},     {"OraLogout", T::LogoutTime},
};
// Those that decide whether the stored row is unchanged.
constexpr int kCompared = 8;

QString text(const QSqlRecord &r, const char *field)
{
    const QVariant v = r.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString();
}
} // namespace

CtMonitorStore::CtMonitorStore(CampaignDb &db, Logger &log, ExtensionTable &table, QString aggDbLog, Clock now,
                               QObject *parent)
    : QObject(parent), m_db(db), m_log(log), m_table(table), m_aggDbLog(std::move(aggDbLog)),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
{
    m_clock.start();
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &CtMonitorStore::flush);
}

void CtMonitorStore::logLine(const QString &text, Severity severity)
{
    m_log.scriviLog(text, Logger::Monitor, severity);
}

void CtMonitorStore::schedule(int extension)
{
    if (!ExtensionTable::hasRow(extension))
        return;
    if (!m_dirty.contains(extension))
        m_dirty.insert(extension, m_clock.nsecsElapsed());
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

const QHash<QString, int> &CtMonitorStore::columnSizes()
{
    if (m_sizesRead || !m_db.isOpen())
        return m_sizes;
    m_sizesRead = true;
    // SQLite keeps the declared type as written ("VARCHAR(23)"); other
    // drivers report the size with the field.
    QSqlQuery q(m_db.handle());
    if (m_db.isSqlite() && q.exec(QStringLiteral("PRAGMA table_info(CT_Monitor)"))) {
        static const QRegularExpression size(QStringLiteral("\\((\\d+)\\)"));
        while (q.next()) {
            const auto m = size.match(q.value(2).toString());
            m_sizes[q.value(1).toString().toLower()] = m.hasMatch() ? m.captured(1).toInt() : 0;
        }
        return m_sizes;
    }
    // PostgreSQL keeps unquoted names in lower case, and its driver looks
    // the name up as given.
    const QSqlRecord record = m_db.handle().record(m_db.isPostgres() ? QStringLiteral("ct_monitor") : QStringLiteral("CT_Monitor"));
    for (int i = 0; i < record.count(); ++i)
        m_sizes[record.fieldName(i).toLower()] = std::max(0, record.field(i).length());
    return m_sizes;
}

QString CtMonitorStore::cut(const QString &column, const QString &value)
{
    const int size = columnSizes().value(column.toLower(), 0);
    return size > 0 ? value.left(size) : value;
}

void CtMonitorStore::flush()
{
    m_flushTimer.stop();
    if (m_dirty.isEmpty())
        return;
    if (!m_db.isOpen()) {
        if (!m_closedReported)
            logLine(QStringLiteral("CT_Monitor non aggiornato: database chiuso"), Severity::Warning);
        m_closedReported = true;
        m_dirty.clear();
        return;
    }
    m_closedReported = false;
    const QHash<int, qint64> scheduled = m_dirty;
    QList<int> extensions = scheduled.keys();
    std::sort(extensions.begin(), extensions.end());
    m_dirty.clear();
    int written = 0, unchanged = 0;
    QStringList invariati;
    const QList<int> done = writeRows(extensions, invariati);
    for (int extension : done)
        invariati.contains(QString::number(extension)) ? ++unchanged : ++written;
    sampleLatencies(done, scheduled);
    m_rowsWritten += written;
    for (const QString &extension : std::as_const(invariati))
        logLine(QStringLiteral("Interno ") + extension + QStringLiteral(" INVARIATO"));
    Q_EMIT flushed(written, unchanged);
}

// The rows of `which` in one transaction; those found unchanged are added
// to `sameOut` when it commits.
bool CtMonitorStore::writeTogether(const QList<int> &which, QStringList &sameOut, QString &error)
{
    QStringList same;
    const bool ok = m_db.inTransaction(
        [&](QString &e) {
            same.clear();
            for (int extension : which) {
                bool unchangedRow = false;
                if (!write(extension, e, unchangedRow))
                    return false;
                if (unchangedRow)
                    same << QString::number(extension);
            }
            return true;
        },
        error);
    if (ok)
        sameOut << same;
    return ok;
}

// The extensions whose rows were committed.
QList<int> CtMonitorStore::writeRows(const QList<int> &extensions, QStringList &invariati)
{
    QString error;
    if (writeTogether(extensions, invariati, error))
        return extensions;
    // One row that fails must not take the others with it: each again
    // on its own, each failure logged.
    logLine(QStringLiteral("ERRORE DB CT_Monitor: ") + error, Severity::Error);
    QList<int> done;
    for (int extension : extensions) {
        QString rowError;
        if (writeTogether({extension}, invariati, rowError))
            done.append(extension);
        else
            logLine(QStringLiteral("ERRORE DB CT_Monitor Interno ") + QString::number(extension) + QStringLiteral(": ")
                        + rowError,
                    Severity::Error);
    }
    return done;
}

void CtMonitorStore::sampleLatencies(const QList<int> &done, const QHash<int, qint64> &scheduled)
{
    const qint64 now = m_clock.nsecsElapsed();
    for (int extension : done) {
        const qint64 us = (now - scheduled.value(extension)) / 1000;
        if (m_latencies.size() < kSamples)
            m_latencies.append(us);
        else
            m_latencies[m_nextSample++ % kSamples] = us;
    }
}

// A new row holds empty texts, never Null.
bool CtMonitorStore::insertEmpty(const QString &interno, QString &error)
{
    return m_db.execute(QStringLiteral("INSERT INTO CT_Monitor (Interno, ID_Agent, Descrizione, statolog, statoAction,"
                                       " statoLinea, statoACD, gruppi, OraLogin, OraLogout)"
                                       " VALUES (?, '', '', '', '', '', '', '', '', '')"),
                        error, {interno})
        >= 0;
}

bool CtMonitorStore::write(int extension, QString &error, bool &unchanged)
{
    const QString interno = QString::number(extension);
    const T::Row &row = m_table.row(extension);
    QList<QSqlRecord> rows;
    if (!m_db.rows(QStringLiteral("Select * From CT_Monitor where Interno=?"), rows, error, {interno}))
        return false;
    if (rows.isEmpty() && !insertEmpty(interno, error))
        return false;
    QVariantList values;
    unchanged = true;
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        const auto &[column, from] = kColumns[i];
        const QString value = cut(QString::fromLatin1(column), row[from]);
        const QString stored = rows.isEmpty() ? QString() : text(rows.first(), column);
        if (i < kCompared && value != stored)
            unchanged = false;
        values << value;
    }
    if (unchanged)
        return true;
    values << interno;
    if (m_db.execute(QStringLiteral("UPDATE CT_Monitor SET ID_Agent=?, Descrizione=?, statolog=?, statoAction=?,"
                                    " statoLinea=?, statoACD=?, gruppi=?, OraLogin=?, OraLogout=? WHERE Interno=?"),
                     error, values)
        < 0)
        return false;
    appendAggDbLog(extension, row);
    return true;
}

void CtMonitorStore::appendAggDbLog(int extension, const ExtensionTable::Row &row)
{
    if (m_log.level() <= 0)
        return;
    const QString line = textformats::dateTime(m_now()) + QStringLiteral(" Quo_Interni.id=") + QString::number(extension)
        + QStringLiteral(" op ") + row[T::Agent] + QStringLiteral(" Stato ") + row[T::LogState];
    cappedfile::append(m_aggDbLog, ansi::encode(line) + "\r\n", m_fileLimit,
                       [this] { return cappedfile::restartLine(QStringLiteral("DEBUG-AGGDB.LOG"), m_fileLimit); });
}

bool CtMonitorStore::readBack()
{
    flush(); // what the table holds and the database not yet is written first, never read over
    QList<QSqlRecord> rows;
    QString error;
    // Interno is text: compared with numbers, SQL Server converts it and
    // PostgreSQL refuses. The whole table is a few hundred rows, judged here.
    if (!m_db.isOpen() || !m_db.rows(QStringLiteral("Select * From CT_Monitor"), rows, error)) {
        if (!error.isEmpty())
            logLine(QStringLiteral("ERRORE DB CT_Monitor: ") + error, Severity::Error);
        return false;
    }
    const QDateTime now = m_now();
    for (const QSqlRecord &r : std::as_const(rows)) {
        bool number = false;
        const int extension = text(r, "Interno").trimmed().toInt(&number);
        if (!number || !ExtensionTable::hasRow(extension))
            continue; // the outcome counters' rows, and anything that is not an extension
        T::Row stored;
        for (const auto &[column, to] : kColumns)
            stored[to] = text(r, column);
        m_table.applyStored(extension, stored, now);
    }
    logLine(QStringLiteral("db reads"));
    return true;
}

QString CtMonitorStore::password(const QString &op)
{
    QList<QSqlRecord> rows;
    QString error;
    if (!m_db.isOpen() || !m_db.rows(QStringLiteral("Select * from esattori where [cod_agent]=?"), rows, error, {op})
        || rows.isEmpty())
        return {};
    return text(rows.first(), "pw");
}
