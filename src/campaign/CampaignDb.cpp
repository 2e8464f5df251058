#include "campaign/CampaignDb.h"

#include "campaign/SqliteDialect.h"

#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

namespace {
constexpr int kCommandTimeoutSeconds = 60;

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
    return true;
}

void CampaignDb::close()
{
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
    const auto r = sqlitedialect::rewrite(sql);
    if (!r.ok) {
        error = QStringLiteral("cannot translate for SQLite (") + r.error + QStringLiteral("): ") + sql;
        return false;
    }
    out = r.sql;
    return true;
}

bool CampaignDb::select(const QString &sql, QSqlQuery &query, QString &error) const
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
    if (!query.exec(statement)) {
        error = describe(query.lastError()) + QStringLiteral(": ") + statement;
        return false;
    }
    return true;
}

int CampaignDb::execute(const QString &sql, QString &error) const
{
    QSqlQuery query;
    if (!select(sql, query, error))
        return -1;
    return query.numRowsAffected();
}

bool CampaignDb::scalar(const QString &sql, qint64 &value, QString &error) const
{
    QSqlQuery query;
    if (!select(sql, query, error))
        return false;
    value = query.next() ? query.value(0).toLongLong() : 0;
    return true;
}

QString CampaignDb::dateTimeLiteral(const QDateTime &when) const
{
    return QLatin1Char('\'')
        + when.toString(m_sqlServer ? QStringLiteral("yyyy-MM-ddTHH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QLatin1Char('\'');
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

bool CampaignDb::rows(const QString &sql, QList<QSqlRecord> &out, QString &error) const
{
    QSqlQuery q;
    if (!select(sql, q, error))
        return false;
    while (q.next())
        out.append(q.record());
    return true;
}
