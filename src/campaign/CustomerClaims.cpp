#include "campaign/CustomerClaims.h"

#include "campaign/CampaignDb.h"
#include "campaign/CustomerRow.h"
#include "campaign/SentLedger.h"
#include "campaign/SentTimeout.h"
#include "core/Logger.h"
#include "core/MainModel.h"

namespace {
const QString kCustomersTable = QStringLiteral("tabella pratiche");

QString n(qint64 value)
{
    return QString::number(value);
}
} // namespace

void CustomerClaims::logRx(const QString &text, qint32 id, Severity severity)
{
    m_ctx.log.scriviLog(text, Logger::List1, QStringLiteral("RX"), id, severity);
}

const QString CustomerClaims::kMarkSent =
    QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=1 WHERE contatore=? AND (FlagQuorin=0 or FlagQuorin is null)");

bool CustomerClaims::read(const CustomersStatement &s, QList<QSqlRecord> &rows, QString &error) const
{
    return s.takesRows ? m_ctx.db.takeRows(s.sql, kCustomersTable, rows, error, s.binds) : m_ctx.db.rows(s.sql, rows, error, s.binds);
}

bool CustomerClaims::markRows(const QList<QSqlRecord> &rows, QSet<qint64> &tried, QList<QSqlRecord> &taken, qint64 &lost,
                              QString &error)
{
    for (const QSqlRecord &row : rows) {
        const qint64 id = customerrow::number(row, "contatore");
        if (tried.contains(id))
            continue; // a row the query gave twice, or one lost in an earlier round
        tried.insert(id);
        const int changed = m_ctx.db.execute(kMarkSent, error, {id});
        if (changed < 0)
            return false;
        if (changed > 0)
            taken.append(row);
        else
            ++lost;
    }
    return true;
}

bool CustomerClaims::take(const StatementFor &statement, qint32 wanted, QList<QSqlRecord> &taken, qint32 requestId)
{
    const CustomersStatement first = statement(wanted);
    if (!first.refused.isEmpty()) {
        logRx(QStringLiteral("RICHIESTA RIFIUTATA: ") + first.refused, requestId, Severity::Warning);
        return false;
    }
    Claim c;
    QString error;
    // A statement that does not lock is read before the transaction: the
    // database is not held while it runs, and the marks tell what is still free.
    if (!first.takesRows) {
        if (!read(first, c.rows, error)) {
            m_ctx.logDbError(error);
            return false;
        }
        if (c.rows.isEmpty())
            return true;
        c.at = SentLedger::whole(m_ctx.now());
    }
    if (!m_ctx.db.inTransaction([&](QString &e) { return markRounds(statement, first, wanted, c, e); }, error)) {
        m_ctx.logDbError(error); // not marked, so not sent nor counted
        return false;
    }
    taken = c.taken;
    remember(c, requestId);
    return true;
}

bool CustomerClaims::markRounds(const StatementFor &statement, const CustomersStatement &first, qint32 wanted, Claim &c,
                                  QString &error)
{
    if (first.takesRows) {
        if (!read(first, c.rows, error))
            return false;
        c.at = SentLedger::whole(m_ctx.now());
    }
    QSet<qint64> tried;
    qint32 asked = wanted;
    for (int round = 1;; ++round) {
        const qint64 lostBefore = c.lost;
        if (!markRows(c.rows, tried, c.taken, c.lost, error))
            return false;
        const qint32 left = wanted - qint32(c.taken.size());
        if (left <= 0 || c.lost == lostBefore || c.rows.size() < asked || round >= kRounds)
            break;
        // Taken by others meanwhile: the next rows, now that their marks are seen.
        c.rows.clear();
        asked = left;
        if (!read(statement(left), c.rows, error))
            return false;
    }
    QList<qint64> ids;
    for (const QSqlRecord &row : std::as_const(c.taken))
        ids << customerrow::number(row, "contatore");
    return m_sentTimes.stamp(ids, c.at, error);
}

void CustomerClaims::remember(const Claim &c, qint32 requestId)
{
    if (c.lost > 0) {
        m_ctx.model.metrics.countClaimsLost(c.lost);
        logRx(QStringLiteral("GIA' INVIATI DA UN ALTRO SERVER ") + n(c.lost) + QStringLiteral(" CL.: sostituiti dai successivi"),
              requestId);
    }
    for (const QSqlRecord &row : c.taken) {
        if (!m_ctx.ledger.add(customerrow::number(row, "contatore"), c.at) && !m_ledgerFullSaid) {
            m_ledgerFullSaid = true;
            logRx(QStringLiteral("ELENCO DEI CLIENTI IN CODA PIENO (") + n(SentLedger::kMaxEntries)
                      + QStringLiteral("): i successivi restano inviati anche dopo un rilascio della coda"),
                  requestId, Severity::Warning);
        }
    }
}

