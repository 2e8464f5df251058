#pragma once

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>

#include "campaign/ConnectionString.h"
#include "campaign/SqliteDialect.h"

// The one connection to the campaign database. Statements are written in the
// SQL Server dialect and translated for SQLite or PostgreSQL on the way;
// failures come back as text for the caller to log.
//
// A database server can go away. After a failed statement the connection is
// asked a trivial question; when that fails too it is lost: it is closed,
// lost() says so, statements fail at once until reconnect() succeeds.
class CampaignDb : public QObject {
    Q_OBJECT
public:
    CampaignDb();
    ~CampaignDb();
    CampaignDb(const CampaignDb &) = delete;
    CampaignDb &operator=(const CampaignDb &) = delete;

    // False with `error` set when the connection could not be opened.
    bool open(const ConnectionParams &conn, QString &error);
    void close();
    bool isOpen() const;
    bool isSqlServer() const { return m_dialect == Dialect::SqlServer; }
    bool isSqlite() const { return m_dialect == Dialect::Sqlite; }
    bool isPostgres() const { return m_dialect == Dialect::Postgres; }

    bool isLost() const { return m_lost; }
    // One attempt to connect again, bounded by the connection time-out;
    // false with `error` set when the server still does not answer.
    bool reconnect(QString &error);
    QSqlDatabase handle() const;

    // The statement as the backend runs it; false when it cannot be translated.
    bool translate(const QString &sql, QString &out, QString &error) const;

    // Values from the wire, a prompt or a file go in `binds`, one for each
    // "?" of the statement, never into its text.

    // A forward-only result, or false with `error` set.
    bool select(const QString &sql, QSqlQuery &query, QString &error, const QVariantList &binds = {}) const;
    // Runs an action statement; the rows changed, or -1 with `error` set.
    int execute(const QString &sql, QString &error, const QVariantList &binds = {}) const;
    // The first column of the first row as a number (0 when there is none).
    bool scalar(const QString &sql, qint64 &value, QString &error, const QVariantList &binds = {}) const;

    // Runs `work` in one transaction: committed when it returns true,
    // rolled back otherwise. False with `error` set when anything failed.
    bool inTransaction(const std::function<bool(QString &error)> &work, QString &error) const;
    // All rows of a query, read before any change is made.
    bool rows(const QString &sql, QList<QSqlRecord> &out, QString &error, const QVariantList &binds = {}) const;

    // Several servers may take rows of one table at once. Inside a
    // transaction, takeRows() reads rows of `table` for this transaction
    // alone: on PostgreSQL it locks them and passes over the rows another
    // transaction holds (FOR UPDATE OF … SKIP LOCKED); on SQL Server the
    // statement carries tableLockHint() after the table's name instead.
    // SQLite runs one writing transaction at a time: a plain read.
    bool takeRows(const QString &sql, const QString &table, QList<QSqlRecord> &out, QString &error,
                  const QVariantList &binds = {}) const;
    // " WITH (UPDLOCK, READPAST, ROWLOCK)" on SQL Server, empty elsewhere.
    QString tableLockHint() const;
    // Whether takeRows() locks rows (PostgreSQL, SQL Server with the hint).
    bool locksRows() const { return !isSqlite(); }

    // A date-time in the backend's unambiguous literal form, quoted.
    QString dateTimeLiteral(const QDateTime &when) const;
    // A date-time to bind, in the form the backend stores and compares.
    QVariant dateTimeValue(const QDateTime &when) const;

    // The journal mode SQLite reports ("wal"); empty for other backends.
    QString journalMode() const;


Q_SIGNALS:
    // Once each time the connection to a server is found lost, with the reason.
    void lost(const QString &why);

private:
    // A prepared statement kept for reuse, executed with `binds`; finished
    // by the caller once read.
    // `suffix` follows the translated statement.
    QSqlQuery *run(const QString &sql, const QVariantList &binds, QString &error, const QString &suffix = {}) const;
    bool readAll(QSqlQuery *q, QList<QSqlRecord> &out) const;
    bool begin(QSqlDatabase &db, QString &error) const;
    void applySqlitePragmas() const;
    // The session's time zone is the program's: GETDATE() reads its clock.
    void applyPostgresSession() const;
    // False with `error` set when no statement can run now.
    bool ready(QString &error) const;
    // After a failure outside a transaction: is the server still there?
    void noticeFailure() const;
    // The key columns of every index, by table, for the dialect's ordered joins.
    void readIndexes();
    bool hasOrderedIndex(const QString &table, const QList<sqlitedialect::OrderTerm> &terms) const;

    enum class Dialect { SqlServer, Sqlite, Postgres };

    QString m_name;
    Dialect m_dialect = Dialect::Sqlite;
    bool m_server = false; // a connection that can be lost
    mutable bool m_lost = false;
    mutable bool m_inTransaction = false;
    mutable std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
    mutable std::unique_ptr<QSqlQuery> m_scratch;
    std::map<QString, QList<QList<sqlitedialect::OrderTerm>>> m_indexes; // lower-case table -> keys
};
