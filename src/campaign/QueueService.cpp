#include "campaign/QueueService.h"

#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/SqlText.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/FixedText.h"

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
constexpr int kRecord = 296;
} // namespace

void QueueEntry::serve(const DialerRequest &r)
{
    switch (m_kind) {
    case GroupRelease:
        m_s.liberaCodaGruppo(r);
        break;
    case OperatorRelease:
        m_s.liberaCodaOperatore(r);
        break;
    case Discard:
        m_s.riceviScartati(r);
        break;
    }
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
    m_replies.sendReply(code, text, request.record, {});
}

void QueueService::liberaCodaGruppo(const DialerRequest &request)
{
    const qint32 group = packet::readInt32Le(request.body, 0);
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaGruppo];
    const QString sql = sqltext::replaceFirst(templ.isEmpty() ? kLiberaGruppo : templ, QStringLiteral("##"), QString::number(group));
    release(request, sql, QStringLiteral("LIBERATI "), QStringLiteral(" CL. grp ") + QString::number(group),
            packet::FreeQueueReply, QStringLiteral("Invio FreeQueue"));
}

void QueueService::liberaCodaOperatore(const DialerRequest &request)
{
    const QString op = fixedtext::pulisciStringa(request.body.mid(4, 20));
    const QDate today = QDate::currentDate();
    const QString &templ = m_ctx.settings.templates[sqltemplates::LiberaOperatore];
    // The time placeholders first: an operator code is never read for placeholders.
    QString sql = templ.isEmpty() ? kLiberaOperatore : templ;
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora1#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(0, 0, 0))));
    sql = sqltext::replaceFirst(sql, QStringLiteral("#ora2#"), m_ctx.db.dateTimeLiteral(QDateTime(today, QTime(23, 59, 59))));
    sql = sqltext::replaceFirst(sql, QStringLiteral("##"), sqltext::escaped(op));
    release(request, sql, QStringLiteral("LIBERATI "), QStringLiteral(" CL x OP ") + op, packet::FreeQueueOpReply,
            QStringLiteral("Invio FreeQueueOP"));
}

void QueueService::riceviScartati(const DialerRequest &request)
{
    dumpRicevuto(request);
    dumpaClienti(request.body, true, request.operatorVariant, request.record.id);
}

void QueueService::dumpRicevuto(const DialerRequest &request)
{
    m_debug.appendLine(DebugFile::stamp() + QStringLiteral(" ID_RICH") + QString::number(request.record.id) + QLatin1Char(' ')
                       + request.record.contact.leftJustified(20, QLatin1Char(' '), true));
    m_debug.appendHexDump(request.body, hexdump::Offsets::Hex);
}

void QueueService::dumpaClienti(const QByteArray &body, bool respinti, bool byOperator, qint32 requestId)
{
    const auto list2 = [&](const QString &line) { m_ctx.log.scriviLog(line, Logger::List2, kRx, requestId); };
    // Received texts are shown at their full width; only NULs become blanks.
    const auto raw = [&](qsizetype at, int width) { return fixedtext::daArrayAchar(body.mid(at, width), width).replace(QChar(u'\0'), QLatin1Char(' ')); };
    const int start = byOperator ? 20 : 0;
    const qint32 count = std::max<qint32>(0, packet::readInt32Le(body, start));
    list2((respinti ? QStringLiteral("Respinti ") : QStringLiteral("Ricevuti ")) + QString::number(count) + QStringLiteral(" clienti "));
    MainModel::add(*m_ctx.model.customers[1], count);
    for (qint32 i = 0; i < count; ++i) {
        const qsizetype rec = start + 4 + qsizetype(kRecord) * i;
        if (rec + kRecord > body.size()) {
            list2(QStringLiteral("Record mancanti: ricevuti %1 clienti su %2").arg(i).arg(count));
            break;
        }
        if (byOperator)
            list2(QStringLiteral("OP=") + raw(0, 20));
        if (m_ctx.level() > 1) {
            list2(QStringLiteral("TipoCl=") + QString::number(packet::readInt32Le(body, rec + 4)));
            list2(QStringLiteral("Tot_Abb=") + QString::number(packet::readInt32Le(body, rec + 8)));
            list2(QStringLiteral("T.Pro=") + QString::number(packet::readInt32Le(body, rec + 12)));
            list2(QStringLiteral("CAMP=") + raw(rec + 16, 20));
            list2(QStringLiteral("CALLLIST=") + raw(rec + 36, 20));
        }
        list2(QStringLiteral("IDGR=") + QString::number(packet::readInt32Le(body, rec)));
        list2(QStringLiteral("id_cl=") + raw(rec + 56, 30));
        list2(QStringLiteral("TEL=") + raw(rec + 86, 20));
        list2(QStringLiteral("info cl=") + raw(rec + 106, 180));
        if (respinti)
            reactivate(body.mid(rec + 56, 30), requestId);
    }
}

void QueueService::reactivate(const QByteArray &idText, qint32 requestId)
{
    QString text = fixedtext::daArrayAchar(idText, 30);
    text.remove(QChar(u'\0'));
    const qint64 id = textformats::leadingInteger(text.trimmed());
    QList<QSqlRecord> rows;
    QString error;
    if (!m_ctx.db.rows(QStringLiteral("Select * from [tabella pratiche] where contatore=") + QString::number(id), rows, error)) {
        m_ctx.logDbError(error);
        return;
    }
    const QString rx = kRx;
    if (rows.isEmpty()) {
        m_ctx.log.scriviLog(QStringLiteral("CL %1 non trovato in archivio").arg(id), Logger::List1, rx, requestId);
        return;
    }
    if (m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE contatore=") + QString::number(id), error) < 0) {
        m_ctx.logDbError(error);
        return;
    }
    m_ctx.log.scriviLog(QStringLiteral("CL %1 riattivato").arg(id), Logger::List1, rx, requestId);
}
