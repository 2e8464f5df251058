#include "campaign/CampaignDb.h"

#include <QFileInfo>
#include <QSqlError>
#include <QTimeZone>
#include <QUuid>

#include "campaign/PostgresDialect.h"
#include "platform/OdbcDrivers.h"

namespace {
constexpr int kCommandTimeoutSeconds = 60;
// A connection attempt holds the event loop at most this long.
constexpr int kConnectTimeoutSeconds = 3;
// Statements differ by their text only, never by their values: a few dozen.
constexpr std::size_t kMaxPrepared = 64;

// An empty text is stored as empty text, as the original stored it, not as
// Null (a null QString binds as Null).
QVariant bindable(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QString && v.toString().isNull())
        return QStringLiteral("");
    return v;
}

QString describe(const QSqlError &e)
{
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("database error") : text;
}
} // namespace

CampaignDb::CampaignDb() : m_name(QStringLiteral("campaign-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

CampaignDb::~CampaignDb()
{
    close();
}

bool CampaignDb::open(const ConnectionParams &conn, QString &error)
{
    close();
    if (conn.kind == ConnectionParams::Kind::Invalid) {
        error = conn.error;
        return false;
    }
    const bool sqlite = conn.kind == ConnectionParams::Kind::Sqlite;
    const bool postgres = conn.kind == ConnectionParams::Kind::Postgres;
    if (sqlite && !QFileInfo::exists(conn.database)) {
        // Opening would create an empty file; the program never creates tables.
        error = QStringLiteral("database file not found: ") + conn.database;
        return false;
    }
    {
        const QString driver = sqlite ? QStringLiteral("QSQLITE") : postgres ? QStringLiteral("QPSQL") : QStringLiteral("QODBC");
        if (!QSqlDatabase::isDriverAvailable(driver)) {
            error = QStringLiteral("Qt SQL driver ") + driver + QStringLiteral(" not installed");
            return false;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_name);
        // "Driver=FreeTDS" works whether or not tdsodbc registered itself.
        db.setDatabaseName(conn.kind == ConnectionParams::Kind::Odbc
                               ? ConnectionParams::withDriverLibrary(conn.database, platform::unregisteredOdbcDriver)
                               : conn.database);
        if (sqlite) {
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kCommandTimeoutSeconds * 1000));
        } else if (postgres) {
            db.setHostName(conn.host);
            db.setPort(conn.port);
            db.setUserName(conn.user);
            db.setPassword(conn.password);
            db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds));
        } else {
            db.setConnectOptions(QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT=%1;SQL_ATTR_LOGIN_TIMEOUT=%2")
                                     .arg(kCommandTimeoutSeconds)
                                     .arg(kConnectTimeoutSeconds));
        }
        if (!db.open()) {
            error = describe(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            return false;
        }
    }
    m_dialect = postgres ? Dialect::Postgres : conn.sqlServer ? Dialect::SqlServer : Dialect::Sqlite;
    m_server = !sqlite;
    m_lost = false;
    if (sqlite) {
        applySqlitePragmas();
        readIndexes();
    }
    if (postgres)
        applyPostgresSession();
    return true;
}

void CampaignDb::applyPostgresSession() const
{
    QSqlQuery q(handle());
    q.exec(QStringLiteral("SET client_min_messages TO WARNING")); // no notices on standard error
    q.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
    q.addBindValue(QString::fromLatin1(QTimeZone::systemTimeZoneId()));
    if (!q.exec()) {
        // A zone the server does not know: its offset now, which is right until the clocks change.
        QSqlQuery offset(handle());
        offset.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
        const int east = QDateTime::currentDateTime().offsetFromUtc();
        // POSIX zones count hours west of Greenwich.
        offset.addBindValue(QStringLiteral("<LT>%1:%2").arg(-east / 3600).arg(std::abs(east) % 3600 / 60, 2, 10, QLatin1Char('0')));
        offset.exec();
    }
}

bool CampaignDb::reconnect(QString &error)
{
    if (!m_lost)
        return true;
    QSqlDatabase db = handle();
    if (!db.open()) {
        error = describe(db.lastError());
        db.close();
        return false;
    }
    m_lost = false;
    if (isPostgres())
        applyPostgresSession();
    return true;
}

bool CampaignDb::ready(QString &error) const
{
    if (m_lost) {
        error = QStringLiteral("connessione al database persa, riconnessione in corso");
        return false;
    }
    if (!isOpen()) {
        error = QStringLiteral("database not open");
        return false;
    }
    return true;
}

void CampaignDb::noticeFailure() const
{
    if (!m_server || m_lost || m_inTransaction || !QSqlDatabase::contains(m_name))
        return;
    QString why;
    if (!isOpen()) {
        why = QStringLiteral("connessione chiusa dal server"); // some drivers know it already
    } else {
        QSqlQuery probe(handle());
        if (probe.exec(QStringLiteral("SELECT 1")))
            return; // the statement failed, not the connection
        why = describe(probe.lastError());
    }
    // Statements prepared on the lost session go with it.
    m_lost = true;
    m_prepared.clear();
    m_scratch.reset();
    handle().close();
    // Found from inside a failed statement, which is a const read.
    Q_EMIT const_cast<CampaignDb *>(this)->lost(why);
}

void CampaignDb::readIndexes()
{
    m_indexes.clear();
    QSqlQuery list(handle());
    if (!list.exec(QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type='index'")))
        return;
    while (list.next()) {
        QSqlQuery info(handle());
        info.prepare(QStringLiteral("SELECT name, desc, key FROM pragma_index_xinfo(?) ORDER BY seqno"));
        info.addBindValue(list.value(0));
        if (!info.exec())
            continue;
        QList<sqlitedialect::OrderTerm> keys;
        bool plain = true;
        while (info.next()) {
            if (info.value(2).toInt() == 0)
                break; // the rowid and other columns stored after the key
            if (info.value(0).isNull())
                plain = false; // an expression
            keys.append({info.value(0).toString().toLower(), info.value(1).toInt() != 0});
        }
        if (plain && !keys.isEmpty())
            m_indexes[list.value(1).toString().toLower()].append(keys);
    }
}

bool CampaignDb::hasOrderedIndex(const QString &table, const QList<sqlitedialect::OrderTerm> &terms) const
{
    const auto it = m_indexes.find(table.toLower());
    if (it == m_indexes.end())
        return false;
    for (const auto &keys : it->second) {
        if (keys.size() < terms.size())
            continue;
        // Read forwards (every direction as the index's) or backwards (every one opposite).
        bool forwards = true, backwards = true;
        for (qsizetype i = 0; i < terms.size(); ++i) {
            if (keys[i].column != terms[i].column.toLower())
                forwards = backwards = false;
            else if (keys[i].descending == terms[i].descending)
                backwards = false;
            else
                forwards = false;
        }
        if (forwards || backwards)
            return true;
    }
    return false;
}

void CampaignDb::applySqlitePragmas() const
{
    // Every acknowledged outcome must survive a power cut: the write-ahead
    // log with a sync at each commit.
    QSqlQuery q(handle());
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

QString CampaignDb::journalMode() const
{
    if (!isSqlite() || !isOpen())
        return {};
    QSqlQuery q(handle());
    return q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() ? q.value(0).toString() : QString();
}

void CampaignDb::close()
{
    m_prepared.clear();
    m_scratch.reset();
    m_indexes.clear();
    m_lost = false;
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool CampaignDb::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase CampaignDb::handle() const
{
    return QSqlDatabase::database(m_name, false);
}

bool CampaignDb::translate(const QString &sql, QString &out, QString &error) const
{
    if (isSqlServer()) {
        out = sql;
        return true;
    }
    if (isPostgres()) {
        const auto r = postgresdialect::rewrite(sql);
        if (!r.ok) {
            error = QStringLiteral("cannot translate for PostgreSQL (") + r.error + QStringLiteral("): ") + sql;
            return false;
        }
        out = r.sql;
        return true;
    }
    const auto r = sqlitedialect::rewrite(
        sql, [this](const QString &table, const QList<sqlitedialect::OrderTerm> &terms) { return hasOrderedIndex(table, terms); });
    if (!r.ok) {
        error = QStringLiteral("cannot translate for SQLite (") + r.error + QStringLiteral("): ") + sql;
        return false;
    }
    out = r.sql;
    return true;
}

bool CampaignDb::select(const QString &sql, QSqlQuery &query, QString &error, const QVariantList &binds) const
{
    if (!ready(error))
        return false;
    QString statement;
    if (!translate(sql, statement, error))
        return false;
    query = QSqlQuery(handle());
    query.setForwardOnly(true);
    bool ok = false;
    if (binds.isEmpty()) {
        ok = query.exec(statement);
    } else if (query.prepare(statement)) {
        for (const QVariant &v : binds)
            query.addBindValue(bindable(v));
        ok = query.exec();
    }
    if (!ok) {
        error = describe(query.lastError()) + QStringLiteral(": ") + statement;
        query = QSqlQuery();
        noticeFailure();
        return false;
    }
    return true;
}

QSqlQuery *CampaignDb::run(const QString &sql, const QVariantList &binds, QString &error, const QString &suffix) const
{
    if (!ready(error))
        return nullptr;
    QString statement;
    if (!translate(sql, statement, error))
        return nullptr;
    statement += suffix;
    if (binds.isEmpty()) {
        // Text without values changes with every value a template took: not worth keeping.
        m_scratch = std::make_unique<QSqlQuery>(handle());
        m_scratch->setForwardOnly(true);
        if (!m_scratch->exec(statement)) {
            error = describe(m_scratch->lastError()) + QStringLiteral(": ") + statement;
            m_scratch.reset();
            noticeFailure();
            return nullptr;
        }
        return m_scratch.get();
    }
    auto it = m_prepared.find(statement);
    if (it == m_prepared.end()) {
        if (m_prepared.size() >= kMaxPrepared)
            m_prepared.clear();
        auto query = std::make_unique<QSqlQuery>(handle());
        query->setForwardOnly(true);
        if (!query->prepare(statement)) {
            error = describe(query->lastError()) + QStringLiteral(": ") + statement;
            query.reset();
            noticeFailure();
            return nullptr;
        }
        it = m_prepared.emplace(statement, std::move(query)).first;
    }
    QSqlQuery *q = it->second.get();
    for (qsizetype i = 0; i < binds.size(); ++i)
        q->bindValue(int(i), bindable(binds[i]));
    if (!q->exec()) {
        error = describe(q->lastError()) + QStringLiteral(": ") + statement;
        q->finish();
        noticeFailure();
        return nullptr;
    }
    return q;
}

int CampaignDb::execute(const QString &sql, QString &error, const QVariantList &binds) const
{
    QSqlQuery *q = run(sql, binds, error);
    if (!q)
        return -1;
    const int n = q->numRowsAffected();
    q->finish();
    return n;
}

bool CampaignDb::scalar(const QString &sql, qint64 &value, QString &error, const QVariantList &binds) const
{
    QSqlQuery *q = run(sql, binds, error);
    if (!q)
        return false;
    value = q->next() ? q->value(0).toLongLong() : 0;
    q->finish();
    return true;
}

QString CampaignDb::dateTimeLiteral(const QDateTime &when) const
{
    return QLatin1Char('\'')
        + when.toString(isSqlServer() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QLatin1Char('\'');
}

QVariant CampaignDb::dateTimeValue(const QDateTime &when) const
{
    if (isSqlServer())
        return when;
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool CampaignDb::inTransaction(const std::function<bool(QString &error)> &work, QString &error) const
{
    if (!ready(error))
        return false;
    QSqlDatabase db = handle();
    if (!begin(db, error)) {
        noticeFailure();
        return false;
    }
    m_inTransaction = true;
    const bool worked = work(error);
    m_inTransaction = false;
    if (!worked) {
        db.rollback();
        noticeFailure();
        return false;
    }
    if (!db.commit()) {
        // Not known to be stored: the caller acknowledges nothing.
        error = describe(db.lastError());
        db.rollback();
        noticeFailure();
        return false;
    }
    return true;
}

bool CampaignDb::begin(QSqlDatabase &db, QString &error) const
{
    if (!isSqlite()) {
        if (db.transaction())
            return true;
        error = describe(db.lastError());
        return false;
    }
    // The write lock from the start: a transaction that reads before it
    // writes would otherwise fail at its first write whenever another
    // program wrote in between, instead of waiting its turn.
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    error = describe(q.lastError());
    return false;
}

bool CampaignDb::readAll(QSqlQuery *q, QList<QSqlRecord> &out) const
{
    if (!q)
        return false;
    while (q->next())
        out.append(q->record());
    q->finish();
    return true;
}

bool CampaignDb::rows(const QString &sql, QList<QSqlRecord> &out, QString &error, const QVariantList &binds) const
{
    return readAll(run(sql, binds, error), out);
}

bool CampaignDb::takeRows(const QString &sql, const QString &table, QList<QSqlRecord> &out, QString &error,
                          const QVariantList &binds) const
{
    QString suffix;
    if (isPostgres()) {
        // After the LIMIT the translation ends with; only the named table's
        // rows are locked, not those of the tables it is joined with.
        suffix = QStringLiteral(" FOR UPDATE OF \"") + table.toLower() + QStringLiteral("\" SKIP LOCKED");
    }
    return readAll(run(sql, binds, error, suffix), out);
}

QString CampaignDb::tableLockHint() const
{
    return isSqlServer() ? QStringLiteral(" WITH (UPDLOCK, READPAST, ROWLOCK)") : QString();
}
