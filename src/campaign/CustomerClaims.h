#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QSqlRecord>
#include <QVariantList>
#include <functional>

#include "campaign/CampaignContext.h"
#include "core/Severity.h"

class SentTimeout;

// A customers query with the values it binds; `refused` says why a value
// could not go into a template's text. A built-in query `takesRows` inside
// the marking transaction where the database locks the rows it reads
// (CampaignDb::takeRows).
struct CustomersStatement {
    QString sql;
    QVariantList binds;
    QString refused;
    bool takesRows = false;
};

// Takes the customers of one answer for this server. Several servers may
// feed their dialers from one database: a customer is sent only if this
// server's mark changed it from not sent, in the transaction that is
// committed before the answer goes out. Rows another server marked between
// the query and the mark are passed over and the answer is topped up from
// the next rows. An installation's own query is run as written; the mark
// carries the built-in "not sent" condition whatever the query was.
class CustomerClaims {
public:
    using StatementFor = std::function<CustomersStatement(qint32 top)>;
    static const QString kMarkSent;
    // Readings of a request's query, the first included, while customers
    // are lost to other servers.
    static constexpr int kRounds = 4;

    CustomerClaims(const CampaignContext &ctx, SentTimeout &sentTimes) : m_ctx(ctx), m_sentTimes(sentTimes) {}

    // Up to `wanted` customers marked sent, in query order, recorded in the
    // ledger; false when the query was refused or the database failed (logged).
    bool take(const StatementFor &statement, qint32 wanted, QList<QSqlRecord> &taken, qint32 requestId);

private:
    struct Claim {
        QList<QSqlRecord> rows;  // of the last reading
        QList<QSqlRecord> taken; // marked by this server
        qint64 lost = 0;         // marked by others first
        QDateTime at;            // when they were sent
    };
    // Inside the transaction: marks the rows read, reading on while others take some.
    bool markRounds(const StatementFor &statement, const CustomersStatement &first, qint32 wanted, Claim &c, QString &error);
    bool markRows(const QList<QSqlRecord> &rows, QSet<qint64> &tried, QList<QSqlRecord> &taken, qint64 &lost,
                  QString &error);
    bool read(const CustomersStatement &s, QList<QSqlRecord> &rows, QString &error) const;
    void remember(const Claim &c, qint32 requestId);
    void logRx(const QString &text, qint32 id, Severity severity = Severity::Info);

    CampaignContext m_ctx;
    SentTimeout &m_sentTimes;
    bool m_ledgerFullSaid = false;
};
