#include "campaign/QueueService.h"

#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/SqlText.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/DialerReplies.h"

#include <QSqlRecord>

const QString QueueService::kLiberaGruppo = QStringLiteral(
    "UPDATE [tabella pratiche] set flagquorin=0 "
    " FROM  [tabella pratiche] "
    " INNER JOIN GRUPPI_ESATTORE ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
    " WHERE (GRUPPI_ESATTORE.GRUPPO = '##'"
    " AND   [scadenza mandato] >=GETDATE()"
    " AND   FlagQuorin=1 ) ");
const QString QueueService::kLiberaOperatore = QStringLiteral(
    "UPDATE [tabella pratiche] set flagquorin=0 "
    " FROM  [tabella pratiche] "
    " WHERE ([CODICE ESATTORE]= '##'"
    " AND   [scadenza mandato] >=GETDATE()"
    " AND   FlagQuorin=1 ) "
    " AND [datarichiamo]>=#ora1#"
    " AND [datarichiamo]<=#ora2#");

namespace {
const QString kRx = QStringLiteral("RX");
} // namespace

wire::Status QueueEntry::serve(const DialerRequest &r)
{
    switch (m_kind) {
    case GroupRelease:
        return m_s.liberaCodaGruppo(r);
    case OperatorRelease:
        return m_s.liberaCodaOperatore(r);
    case Discard:
        return m_s.riceviScartati(r);
    }
    return {};
}

void QueueService::release(const DialerRequest &request, const QString &sql, const QString &before, const QString &after,
                           qint32 code, const QString &text)
{
    QString error;
    const int n = m_ctx.db.execute(sql, error);
    if (n < 0) {
        m_ctx.logDbError(error); // nothing released, nothing answered
        return;
    }
    m_ctx.log.scriviLog(before + QString::number(n) + after, Logger::List1, kRx, request.record.id);
    m_counters.coda(-n);
    m_counters.db(n);
    m_ctx.model.metrics.countQueueRelease(code == packet::FreeQueueOpReply);
    m_replies.sendReply(code, text, request.record, {});
}

sqltext::Filled QueueService::groupReleaseStatement(qint32 group) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaGruppo];
    return sqltext::fillPlaceholder(templ.isEmpty() ? kLiberaGruppo : templ, QStringLiteral("##"), QString::number(group),
                                    m_ctx.db.isPostgres());
}

sqltext::Filled QueueService::operatorReleaseStatement(const QString &op, const QDate &today) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaOperatore];
    // The time placeholders first: an operator code is never read for placeholders.
    QString sql = templ.isEmpty() ? kLiberaOperatore : templ;
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora1#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(0, 0, 0))));
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora2#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(23, 59, 59))));
    return sqltext::fillPlaceholder(sql, QStringLiteral("##"), op, m_ctx.db.isPostgres());
}

wire::Status QueueService::liberaCodaGruppo(const DialerRequest &request)
{
    dialerbody::GroupRelease r;
    if (wire::Status s = dialerbody::decode(request.body, r); !s.ok())
        return s;
    const sqltext::Filled sql = groupReleaseStatement(r.group);
    release(request, sql.sql, QStringLiteral("LIBERATI "), QStringLiteral(" CL. grp ") + QString::number(r.group),
            packet::FreeQueueReply, QStringLiteral("Invio FreeQueue"));
    return {};
}

wire::Status QueueService::liberaCodaOperatore(const DialerRequest &request)
{
    dialerbody::OperatorRelease r;
    if (wire::Status s = dialerbody::decode(request.body, r); !s.ok())
        return s;
    const sqltext::Filled filled = operatorReleaseStatement(r.op, m_ctx.now().date());
    if (!filled.ok) {
        // Refused before it reaches the database: nothing released, an empty answer.
        m_ctx.log.scriviLog(QStringLiteral("RICHIESTA RIFIUTATA: ") + filled.error, Logger::List1, kRx, request.record.id,
                           Severity::Warning);
        m_ctx.log.scriviLog(QStringLiteral("LIBERATI 0 CL x OP ") + r.op, Logger::List1, kRx, request.record.id);
        m_replies.sendReply(packet::FreeQueueOpReply, QStringLiteral("Invio FreeQueueOP"), request.record, {});
        return {};
    }
    release(request, filled.sql, QStringLiteral("LIBERATI "), QStringLiteral(" CL x OP ") + r.op, packet::FreeQueueOpReply,
            QStringLiteral("Invio FreeQueueOP"));
    return {};
}

wire::Status QueueService::riceviScartati(const DialerRequest &request)
{
    dialerbody::CustomerList list;
    if (wire::Status s = dialerbody::decode(request.body, request.operatorVariant, list); !s.ok())
        return s;
    dumpRicevuto(request);
    return dumpaClienti(request.body, true, request.operatorVariant, request.record.id);
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
    MainModel::add(*m_ctx.model.customers[MainModel::CustomersRefused], count);
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
    if (m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE contatore=?"), error, {id}) < 0) {
        m_ctx.logDbError(error);
        return;
    }
    m_ctx.log.scriviLog(QStringLiteral("CL ") + QString::number(id) + QStringLiteral(" riattivato"), Logger::List1, kRx,
                        requestId);
}
