#include "campaign/CampaignDb.h"

#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

namespace {
constexpr int kCommandTimeoutSeconds = 60;
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

bool CampaignDb::open(const ConnectionSpec &conn, QString &error)
{
    close();
    if (conn.kind == ConnectionSpec::Kind::Invalid) {
        error = conn.error;
        return false;
    }
    const bool sqlite = conn.kind == ConnectionSpec::Kind::Sqlite;
    if (sqlite && !QFileInfo::exists(conn.database)) {
        // Opening would create an empty file; the program never creates tables.
        error = QStringLiteral("database file not found: ") + conn.database;
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC"), m_name);
        db.setDatabaseName(conn.database);
        if (sqlite)
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kCommandTimeoutSeconds * 1000));
        else
            db.setConnectOptions(QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(kCommandTimeoutSeconds));
        if (!db.open()) {
            error = describe(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            return false;
        }
    }
    m_sqlServer = conn.sqlServer;
    if (sqlite) {
        applySqlitePragmas();
        readIndexes();
    }
    return true;
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
    if (m_sqlServer || !isOpen())
        return {};
    QSqlQuery q(handle());
    return q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() ? q.value(0).toString() : QString();
}

void CampaignDb::close()
{
    m_prepared.clear();
    m_scratch.reset();
    m_indexes.clear();
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
    if (m_sqlServer) {
        out = sql;
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
    if (!isOpen()) {
        error = QStringLiteral("database not open");
        return false;
    }
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
        return false;
    }
    return true;
}

QSqlQuery *CampaignDb::run(const QString &sql, const QVariantList &binds, QString &error) const
{
    if (!isOpen()) {
        error = QStringLiteral("database not open");
        return nullptr;
    }
    QString statement;
    if (!translate(sql, statement, error))
        return nullptr;
    if (binds.isEmpty()) {
        // Text without values changes with every value a template took: not worth keeping.
        m_scratch = std::make_unique<QSqlQuery>(handle());
        m_scratch->setForwardOnly(true);
        if (!m_scratch->exec(statement)) {
            error = describe(m_scratch->lastError()) + QStringLiteral(": ") + statement;
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
        + when.toString(m_sqlServer ? QStringLiteral("yyyy-MM-ddTHH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QLatin1Char('\'');
}

QVariant CampaignDb::dateTimeValue(const QDateTime &when) const
{
    if (m_sqlServer)
        return when;
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool CampaignDb::inTransaction(const std::function<bool(QString &error)> &work, QString &error) const
{
    QSqlDatabase db = handle();
    if (!db.transaction()) {
        error = describe(db.lastError());
        return false;
    }
    if (!work(error)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        error = describe(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

bool CampaignDb::rows(const QString &sql, QList<QSqlRecord> &out, QString &error, const QVariantList &binds) const
{
    QSqlQuery *q = run(sql, binds, error);
    if (!q)
        return false;
    while (q->next())
        out.append(q->record());
    q->finish();
    return true;
}
