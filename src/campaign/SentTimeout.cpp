#include "campaign/SentTimeout.h"

#include <QSqlDatabase>
#include <QSqlRecord>

#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/SentLedger.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"

const QString SentTimeout::kTable = QStringLiteral("Quorin_Inviati");

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

bool SentTimeout::refreshPresence()
{
    m_present = m_ctx.db.isOpen() && m_ctx.db.handle().tables().contains(kTable, Qt::CaseInsensitive);
    return m_present;
}

bool SentTimeout::create(QString &error)
{
    QStringList statements;
    if (m_ctx.db.isSqlServer()) {
        statements << QStringLiteral("IF OBJECT_ID('Quorin_Inviati') IS NULL"
                                     " CREATE TABLE Quorin_Inviati (contatore BIGINT PRIMARY KEY, inviato_il DATETIME NOT NULL)")
                   << QStringLiteral("IF NOT EXISTS (SELECT * FROM sys.indexes WHERE name = 'quorin_inviati_il')"
                                     " CREATE INDEX quorin_inviati_il ON Quorin_Inviati (inviato_il)");
    } else {
        const QString when = m_ctx.db.isPostgres() ? QStringLiteral("TIMESTAMP") : QStringLiteral("TEXT");
        statements << QStringLiteral("CREATE TABLE IF NOT EXISTS Quorin_Inviati (contatore BIGINT PRIMARY KEY, inviato_il ")
                + when + QStringLiteral(" NOT NULL)")
                   << QStringLiteral("CREATE INDEX IF NOT EXISTS quorin_inviati_il ON Quorin_Inviati (inviato_il)");
    }
    for (const QString &sql : std::as_const(statements)) {
        if (m_ctx.db.execute(sql, error) < 0)
            return false;
    }
    return true;
}

bool SentTimeout::stamp(const QList<qint64> &ids, const QDateTime &at, QString &error)
{
    if (!m_present)
        return true;
    const QVariant when = m_ctx.db.dateTimeValue(at);
    for (qint64 id : ids) {
        // The customer's row is this transaction's (it has just marked it):
        // nobody else writes its stamp meanwhile.
        const int updated = m_ctx.db.execute(QStringLiteral("UPDATE Quorin_Inviati SET inviato_il=? WHERE contatore=?"), error,
                                             {when, id});
        if (updated < 0)
            return false;
        if (updated == 0
            && m_ctx.db.execute(QStringLiteral("INSERT INTO Quorin_Inviati (contatore, inviato_il) VALUES (?, ?)"), error,
                                {id, when})
                < 0)
            return false;
    }
    return true;
}

bool SentTimeout::adopt(const QDateTime &now, QString &error)
{
    return m_ctx.db.execute(QStringLiteral("INSERT INTO Quorin_Inviati (contatore, inviato_il)"
                                           " SELECT contatore, ? FROM [tabella pratiche] WHERE FlagQuorin=1"
                                           " AND NOT EXISTS (SELECT 1 FROM Quorin_Inviati"
                                           " WHERE Quorin_Inviati.contatore=[tabella pratiche].contatore)"),
                            error, {m_ctx.db.dateTimeValue(now)})
        >= 0;
}

bool SentTimeout::forgetAnswered(const QDateTime &cutoff, QString &error)
{
    // A stamp outlives its customer's outcome (the outcome does not touch
    // it): those past the cutoff go in one statement, each once, so that the
    // minute's batch holds only customers still sent however many calls a
    // minute the campaign makes. A customer sent again meanwhile carries a
    // new stamp and is not past the cutoff.
    return m_ctx.db.execute(QStringLiteral("DELETE FROM Quorin_Inviati WHERE inviato_il<?"
                                           " AND NOT EXISTS (SELECT 1 FROM [tabella pratiche]"
                                           " WHERE [tabella pratiche].contatore=Quorin_Inviati.contatore AND FlagQuorin=1)"),
                            error, {m_ctx.db.dateTimeValue(cutoff)})
        >= 0;
}

int SentTimeout::giveBack(qint64 id, const QDateTime &cutoff, QString &error)
{
    // The customer's row first, as the claim takes it: the two never wait
    // for each other in opposite order.
    const int freed = m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE contatore=? AND FlagQuorin=1"),
                                       error, {id});
    if (freed < 0)
        return -1;
    const int overdue = m_ctx.db.execute(QStringLiteral("DELETE FROM Quorin_Inviati WHERE contatore=? AND inviato_il<?"), error,
                                         {id, m_ctx.db.dateTimeValue(cutoff)});
    if (overdue < 0)
        return -1;
    if (freed > 0 && overdue == 0) {
        // Given back and sent again since the list was read: it stays sent, as it was.
        return m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=1 WHERE contatore=?"), error, {id}) < 0
            ? -1
            : 0;
    }
    return freed > 0 ? 1 : 0;
}

void SentTimeout::tick()
{
    if (m_ctx.model.noDb.value() || !m_ctx.db.isOpen())
        return;
    const bool present = refreshPresence();
    const int hours = m_ctx.settings.oreRilascioInviati;
    if (hours <= 0)
        return;
    QString error;
    if (!present) {
        if (!create(error)) {
            m_ctx.logDbError(error);
            return;
        }
        m_present = true;
        m_ctx.log.aggiungiList2(QStringLiteral("CREATA TABELLA ") + kTable + QStringLiteral(" (OreRilascioInviati ") + n(hours)
                                + QLatin1Char(')'));
    }
    sweep(hours);
}

void SentTimeout::sweep(int hours)
{
    const QDateTime now = m_ctx.now();
    const QDateTime cutoff = now.addSecs(-qint64(hours) * 3600);
    QString error;
    QList<QSqlRecord> overdue;
    if (!adopt(now, error) || !forgetAnswered(cutoff, error)
        || !m_ctx.db.rows(QStringLiteral("SELECT TOP ") + n(kBatch)
                              + QStringLiteral(" contatore FROM Quorin_Inviati WHERE inviato_il<? ORDER BY inviato_il"),
                          overdue, error, {m_ctx.db.dateTimeValue(cutoff)})) {
        m_ctx.logDbError(error);
        return;
    }
    if (overdue.isEmpty())
        return;
    QList<qint64> given;
    const bool done = m_ctx.db.inTransaction(
        [&](QString &e) {
            for (const QSqlRecord &row : std::as_const(overdue)) {
                const qint64 id = row.value(0).toLongLong();
                const int r = giveBack(id, cutoff, e);
                if (r < 0)
                    return false;
                if (r > 0)
                    given << id;
            }
            return true;
        },
        error);
    if (!done) {
        m_ctx.logDbError(error);
        return;
    }
    for (qint64 id : std::as_const(given)) {
        m_ctx.ledger.remove(id);
        m_ctx.log.scriviLog(QStringLiteral("CL ") + n(id) + QStringLiteral(" rilasciato: inviato da oltre ") + n(hours)
                                + QStringLiteral(" ore senza esito"),
                            Logger::List1, QStringLiteral("RX"));
    }
    m_counters.coda(-given.size());
    m_counters.db(given.size());
    m_ctx.model.metrics.countCustomersReturned(given.size());
}
