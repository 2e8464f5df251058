#include "campaign/QueueService.h"

#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/SentLedger.h"
#include "campaign/SentTimeout.h"
#include "campaign/SqlText.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/DialerReplies.h"

#include <QSqlRecord>

// The customers in the queue of a group or of an operator's day, as the
// dialer's releases name them; each is then given back only if this server
// sent it.
const QString QueueService::kInCodaGruppo = QStringLiteral(
    "SELECT [tabella pratiche].contatore"
    " FROM  [tabella pratiche] "
    " INNER JOIN GRUPPI_ESATTORE ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
    " WHERE (GRUPPI_ESATTORE.GRUPPO = ?"
    " AND   [scadenza mandato] >=GETDATE()"
    " AND   FlagQuorin=1 ) ");
const QString QueueService::kInCodaOperatore = QStringLiteral(
    "SELECT contatore"
    " FROM  [tabella pratiche] "
    " WHERE ([CODICE ESATTORE]= ?"
    " AND   [scadenza mandato] >=GETDATE()"
    " AND   FlagQuorin=1 ) "
    " AND [datarichiamo]>=#ora1#"
    " AND [datarichiamo]<=#ora2#");

namespace {
const QString kRx = QStringLiteral("RX");
// Gives one customer back, if it is still sent.
const QString kRilascia = QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE contatore=? AND FlagQuorin=1");
// The same, if it is still sent as this server sent it: given back by
// another server's time-out and sent again, it carries a later stamp.
const QString kRilasciaSeMio = kRilascia
    + QStringLiteral(" AND EXISTS (SELECT 1 FROM Quorin_Inviati"
                     " WHERE Quorin_Inviati.contatore=[tabella pratiche].contatore AND Quorin_Inviati.inviato_il=?)");
} // namespace

int QueueService::releaseOwn(const QString &select, const QVariantList &binds, qsizetype &others, QString &error)
{
    QList<QSqlRecord> rows;
    if (!m_ctx.db.rows(select, rows, error, binds))
        return -1;
    QList<qint64> own;
    for (const QSqlRecord &row : std::as_const(rows)) {
        const qint64 id = row.value(0).toLongLong();
        if (m_ctx.ledger.contains(id))
            own << id;
    }
    others = rows.size() - own.size();
    QList<qint64> given;
    const bool done = m_ctx.db.inTransaction(
        [&](QString &e) {
            const bool stamped = m_sentTimes.tablePresent();
            for (qint64 id : std::as_const(own)) {
                const int n = stamped ? m_ctx.db.execute(kRilasciaSeMio, e, {id, m_ctx.db.dateTimeValue(m_ctx.ledger.sentAt(id))})
                                      : m_ctx.db.execute(kRilascia, e, {id});
                if (n < 0)
                    return false;
                if (n > 0)
                    given << id;
            }
            return true;
        },
        error);
    if (!done)
        return -1;
    for (qint64 id : std::as_const(given))
        m_ctx.ledger.remove(id);
    others += own.size() - given.size();
    return int(given.size());
}

void QueueService::release(const DialerRequest &request, const Release &r)
{
    QString error;
    qsizetype others = 0;
    const int n = r.templ.isEmpty() ? releaseOwn(r.select, r.binds, others, error) : m_ctx.db.execute(r.templ, error);
    if (n < 0) {
        m_ctx.logDbError(error); // nothing released, nothing answered
        return;
    }
    m_ctx.log.scriviLog(QStringLiteral("LIBERATI ") + QString::number(n) + r.who, Logger::List1, kRx, request.record.id);
    if (others > 0) {
        m_ctx.log.scriviLog(QStringLiteral("NON LIBERATI ") + QString::number(others) + r.who
                                + QStringLiteral(": non inviati da questo server in questa sessione"),
                            Logger::List1, kRx, request.record.id);
    }
    m_counters.coda(-n);
    m_counters.db(n);
    m_ctx.model.metrics.countQueueRelease(r.code == packet::FreeQueueOpReply);
    m_replies.sendReply(r.code, r.text, request.record, {});
}

sqltext::Filled QueueService::groupReleaseStatement(qint32 group) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaGruppo];
    if (templ.isEmpty())
        return {true, kInCodaGruppo, {}}; // the group is bound
    return sqltext::fillPlaceholder(templ, QStringLiteral("##"), QString::number(group), m_ctx.db.isPostgres());
}

sqltext::Filled QueueService::operatorReleaseStatement(const QString &op, const QDate &today) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaOperatore];
    // The time placeholders first: an operator code is never read for placeholders.
    QString sql = templ.isEmpty() ? kInCodaOperatore : templ;
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora1#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(0, 0, 0))));
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora2#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(23, 59, 59))));
    if (templ.isEmpty())
        return {true, sql, {}}; // the operator is bound
    return sqltext::fillPlaceholder(sql, QStringLiteral("##"), op, m_ctx.db.isPostgres());
}

void QueueService::use(Release &r, sqltemplates::Template which, const QString &sql, const QVariant &value) const
{
    if (m_ctx.settings.templates[which].isEmpty()) {
        r.select = sql;
        r.binds = {value};
    } else {
        r.templ = sql; // the installation's own statement, run as written
    }
}

wire::Status QueueService::liberaCodaGruppo(const DialerRequest &request)
{
    dialerbody::GroupRelease g;
    if (wire::Status s = dialerbody::decode(request.body, g); !s.ok())
        return s;
    Release r{{}, {}, {}, QStringLiteral(" CL. grp ") + QString::number(g.group), packet::FreeQueueReply,
              QStringLiteral("Invio FreeQueue")};
    use(r, sqltemplates::LiberaGruppo, groupReleaseStatement(g.group).sql, g.group);
    release(request, r);
    return {};
}

wire::Status QueueService::liberaCodaOperatore(const DialerRequest &request)
{
    dialerbody::OperatorRelease o;
    if (wire::Status s = dialerbody::decode(request.body, o); !s.ok())
        return s;
    const sqltext::Filled filled = operatorReleaseStatement(o.op, m_ctx.now().date());
    if (!filled.ok) {
        // Refused before it reaches the database: nothing released, an empty answer.
        m_ctx.log.scriviLog(QStringLiteral("RICHIESTA RIFIUTATA: ") + filled.error, Logger::List1, kRx, request.record.id,
                           Severity::Warning);
        m_ctx.log.scriviLog(QStringLiteral("LIBERATI 0 CL x OP ") + o.op, Logger::List1, kRx, request.record.id);
        m_replies.sendReply(packet::FreeQueueOpReply, QStringLiteral("Invio FreeQueueOP"), request.record, {});
        return {};
    }
    Release r{{}, {}, {}, QStringLiteral(" CL x OP ") + o.op, packet::FreeQueueOpReply, QStringLiteral("Invio FreeQueueOP")};
    use(r, sqltemplates::LiberaOperatore, filled.sql, o.op);
    release(request, r);
    return {};
}

wire::Status QueueService::riceviScartati(bool byOperator, const DialerRequest &request)
{
    dialerbody::CustomerList list;
    if (wire::Status s = dialerbody::decode(request.body, byOperator, list); !s.ok())
        return s;
    dumpRicevuto(request);
    return dumpaClienti(request.body, true, byOperator, request.record.id);
}

void QueueService::dumpRicevuto(const DialerRequest &request)
{
    m_debug.appendLine(DebugFile::stamp() + QStringLiteral(" ID_RICH") + QString::number(request.record.id) + QLatin1Char(' ')
                       + request.record.contact.leftJustified(20, QLatin1Char(' '), true));
    m_debug.appendHexDump(request.body, hexdump::Offsets::Hex);
}

wire::Status QueueService::dumpaClienti(const QByteArray &body, bool respinti, bool byOperator, qint32 requestId)
{
    dialerbody::CustomerList list;
    if (wire::Status s = dialerbody::decode(body, byOperator, list); !s.ok())
        return s;
    const auto list2 = [&](const QString &line) { m_ctx.log.scriviLog(line, Logger::List2, kRx, requestId); };
    // Received texts are shown at their full width; only NULs become blanks.
    const auto shown = [](QString text) { return text.replace(QChar(u'\0'), QLatin1Char(' ')); };
    const auto count = list.records.size();
    list2((respinti ? QStringLiteral("Respinti ") : QStringLiteral("Ricevuti ")) + QString::number(count)
          + QStringLiteral(" clienti "));
    m_ctx.model.customers[MainModel::CustomersRefused]->add(count);
    m_ctx.model.metrics.countCustomersRefused(count);
    for (const dialerbody::CustomerRecord &r : std::as_const(list.records)) {
        if (byOperator)
            list2(QStringLiteral("OP=") + shown(list.op));
        if (m_ctx.level() > 1) {
            list2(QStringLiteral("TipoCl=") + QString::number(r.kind));
            list2(QStringLiteral("Tot_Abb=") + QString::number(r.totAbbattuto));
            list2(QStringLiteral("T.Pro=") + QString::number(r.position));
            list2(QStringLiteral("CAMP=") + shown(r.tipoMandato));
            list2(QStringLiteral("CALLLIST=") + shown(r.callList));
        }
        list2(QStringLiteral("IDGR=") + QString::number(r.group));
        list2(QStringLiteral("id_cl=") + shown(r.contatore));
        list2(QStringLiteral("TEL=") + shown(r.phone));
        list2(QStringLiteral("info cl=") + shown(r.info));
        if (respinti)
            reactivate(r.contatore, requestId);
    }
    return {};
}

void QueueService::reactivate(const QString &idText, qint32 requestId)
{
    QString text = idText;
    text.remove(QChar(u'\0'));
    const qint64 id = textformats::leadingInteger(text.trimmed());
    QList<QSqlRecord> rows;
    QString error;
    if (!m_ctx.db.rows(QStringLiteral("Select * from [tabella pratiche] where contatore=?"), rows, error, {id})) {
        m_ctx.logDbError(error);
        return;
    }
    if (rows.isEmpty()) {
        m_ctx.log.scriviLog(QStringLiteral("CL ") + QString::number(id) + QStringLiteral(" non trovato in archivio"),
                            Logger::List1, kRx, requestId, Severity::Warning);
        return;
    }
    // Only a customer still sent comes back: one discarded or passed to an
    // operator since, or sent again by another server, stays as it is.
    const int n = m_ctx.db.execute(kRilascia, error, {id});
    if (n < 0) {
        m_ctx.logDbError(error);
        return;
    }
    m_ctx.ledger.remove(id);
    m_ctx.log.scriviLog(QStringLiteral("CL ") + QString::number(id)
                            + (n > 0 ? QStringLiteral(" riattivato") : QStringLiteral(" non riattivato: non risulta inviato")),
                        Logger::List1, kRx, requestId);
}
