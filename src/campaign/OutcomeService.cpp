#include "campaign/OutcomeService.h"

#include "campaign/CampaignDb.h"
#include "campaign/Captions.h"
#include "campaign/Counters.h"
#include "campaign/SentLedger.h"
#include "campaign/CustomerRow.h"
#include "campaign/SqlText.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "dialer_link/DialerReplies.h"

const QString OutcomeService::kContaProblemi = QStringLiteral("SELECT            COUNT(ID_contatore) AS cont"
                                                              " From       [Esiti_Quorin]"
                                                              " WHERE      [id_contatore]=##"
                                                              " AND        (ESITO=2 OR ESITO=3 or ESITO=4)");

const QString OutcomeService::kSameOutcome = QStringLiteral(
    "SELECT TOP 1 ID_Esito FROM Esiti_Quorin"
    " WHERE id_contatore=? AND Esito=? AND Prog_Quorin=? AND TimeCall=? AND Operatore=? AND data>=?");

namespace {
bool known(qint32 code)
{
    return code >= 0 && code <= 11;
}

// Codes after which the customer is no longer in the dialer's queue.
bool leavesQueue(qint32 code)
{
    return known(code) && code != 0 && code != 11;
}
} // namespace

void OutcomeService::logRx(const QString &text, qint32 id)
{
    m_ctx.log.scriviLog(text, Logger::List1, QStringLiteral("RX"), id);
}

wire::Status OutcomeService::registraEsito(const DialerRequest &request)
{
    OutcomeRecord o;
    if (wire::Status s = OutcomeRecord::decode(request.body, o); !s.ok())
        return s;
    const QDateTime now = m_ctx.now();
    m_requestId = request.record.id;
    // Wire texts are joined, never run through arg(): a "%1" in an id stays as sent.
    logRx(QStringLiteral("Esito ") + QString::number(o.code) + QStringLiteral(" (") + captions::outcome(o.code)
              + QStringLiteral(") x id ") + o.cleanedId() + QStringLiteral(" d/t ") + textformats::dateTime(now)
              + QStringLiteral(" az") + QString::number(o.az),
          m_requestId);

    // Counters and lines wait for the commit: an outcome that is not stored
    // is neither counted nor acknowledged.
    Effects after;
    if (known(o.code) && o.code != 0) {
        after.append([this, code = o.code] {
            m_ctx.model.outcomes[code]->add(1);
            m_ctx.model.outcomes[0]->add(1);
        });
    }
    QString error;
    bool duplicate = false;
    const auto work = [&](QString &e) {
        return alreadyStored(o, now, duplicate, e) && (duplicate || record(o, now, after, e));
    };
    if (!m_ctx.db.inTransaction(work, error)) {
        m_ctx.logDbError(error + QStringLiteral(" - esito non confermato"));
        return {};
    }
    if (duplicate) {
        // Stored before its acknowledgement was lost: acknowledged again, nothing counted twice.
        logRx(QStringLiteral("ESITO DUPLICATO ") + QString::number(o.code) + QStringLiteral(" x id ") + o.cleanedId()
                  + QStringLiteral(" prog ") + QString::number(o.progressive)
                  + QStringLiteral(": gia' registrato, confermato di nuovo"),
              m_requestId);
        m_ctx.model.metrics.countOutcomeDuplicate();
    } else {
        for (const auto &effect : after)
            effect();
        if (leavesQueue(o.code))
            m_ctx.ledger.remove(textformats::leadingInteger(o.trimmedId()));
        m_ctx.model.metrics.countOutcomeAcknowledged(known(o.code) ? o.code : Metrics::kOtherCode);
    }
    m_replies.sendReply(packet::AckEsito, QStringLiteral("Invio AckEsito"), request.record, {}, false);
    return {};
}

bool OutcomeService::alreadyStored(const OutcomeRecord &o, const QDateTime &now, bool &found, QString &error)
{
    // The dialer reports again an outcome whose acknowledgement it did not
    // get; within a day the same customer, progressive number, TimeCall,
    // code and operator are that outcome. Served by the customer's index.
    QList<QSqlRecord> rows;
    if (!m_ctx.db.rows(kSameOutcome, rows, error,
                       {textformats::leadingInteger(o.trimmedId()), o.code, o.progressive, o.timeCall, o.operatore,
                        m_ctx.db.dateTimeValue(now.addSecs(-kDuplicateWindowSeconds))}))
        return false;
    found = !rows.isEmpty();
    return true;
}

bool OutcomeService::record(const OutcomeRecord &o, const QDateTime &now, Effects &after, QString &error)
{
    const qint64 id = textformats::leadingInteger(o.trimmedId()); // the value of its leading digits
    const QString insert = QStringLiteral(
        "INSERT INTO Esiti_Quorin (id_contatore, data, TimeCall, Esito, Operatore, campagna, calllist, Prog_Quorin)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (m_ctx.db.execute(insert, error,
                         {id, m_ctx.db.dateTimeValue(now), o.timeCall, o.code, o.operatore, o.campagna, o.calllist,
                          o.progressive})
        < 0)
        return false;
    if (!known(o.code)) {
        after.append([this, code = o.code] {
            logRx(QStringLiteral("Esito ") + QString::number(code) + QStringLiteral(" sconosciuto: registrato senza altri effetti"),
                  m_requestId);
        });
        return true;
    }
    after.append([this] { m_counters.coda(-1); });

    QList<QSqlRecord> rows;
    if (!m_ctx.db.rows(QStringLiteral("Select * from [tabella pratiche] where contatore=?"), rows, error, {id}))
        return false;
    const bool exists = !rows.isEmpty();
    QDateTime recall;
    if (exists && !update(rows.first(), o, now, recall, error))
        return false;
    return settle(o, id, exists, recall, after, error);
}

bool OutcomeService::settle(const OutcomeRecord &o, qint64 id, bool exists, const QDateTime &recall, Effects &after,
                            QString &error)
{
    const auto notFound = [&](const QString &shown) {
        after.append([this, shown] { logRx(QStringLiteral("CL ") + shown + QStringLiteral(" non trovato in archivio"), m_requestId); });
        return true;
    };
    switch (o.code) {
    case 1: case 5: case 6: case 8: case 9: case 10:
        return exists ? makeAvailable(id, recall, after, error) : notFound(QString::number(id));
    case 2: case 3: case 4:
        return exists ? negative(o, id, recall, after, error) : notFound(o.trimmedId());
    case 7:
        if (!exists)
            return notFound(o.trimmedId());
        after.append([this] { m_ctx.model.database[MainModel::ToOperator]->add(1); });
        return setFlag(id, 3, error);
    default:
        return true; // 0 and 11: the customer stays sent
    }
}

bool OutcomeService::negative(const OutcomeRecord &o, qint64 id, const QDateTime &recall, Effects &after, QString &error)
{
    const qint64 n = contaProblemi(id, error);
    if (n < 0)
        return false;
    const QString times = QStringLiteral(" Tel.Err/o Fax [") + QString::number(n) + QStringLiteral(" volte]");
    if (n > m_ctx.settings.limiteEsitiNegativi) {
        after.append([this, line = QStringLiteral("CL SCARTATO ") + o.cleanedId() + times] {
            logRx(line, m_requestId);
            m_ctx.model.database[MainModel::Discarded]->add(1);
        });
        return setFlag(id, 2, error);
    }
    after.append([this, line = QStringLiteral("CL ") + o.cleanedId() + times] { logRx(line, m_requestId); });
    return makeAvailable(id, recall, after, error);
}

bool OutcomeService::update(const QSqlRecord &row, const OutcomeRecord &o, const QDateTime &now, QDateTime &recall,
                            QString &error)
{
    const qint64 id = customerrow::number(row, "contatore");
    QStringList sets{QStringLiteral("UltimoEsitoQuorin=?")};
    QVariantList binds{o.code};
    if (o.code == 1 && m_ctx.settings.spostaNonTrovati != 0) {
        recall = now.addSecs(qint64(m_ctx.settings.spostaNonTrovati) * 60);
        sets << QStringLiteral("datarichiamo=?");
        binds << m_ctx.db.dateTimeValue(recall);
        if (m_ctx.db.execute(QStringLiteral("Update PLA set DATPLA=?,ORAPLA=? where CODSCH=?"), error,
                             {recall.toString(QStringLiteral("dd/MM/yyyy")), recall.toString(QStringLiteral("HH:mm")),
                              QString::number(id)})
            < 0)
            return false;
    }
    sets << QStringLiteral("Tot_Esiti_Quorin=?");
    binds << customerrow::number(row, "Tot_Esiti_Quorin") + 1;
    if (o.code == 6) {
        sets << QStringLiteral("Tot_Abbattuto_Quorin=?");
        binds << customerrow::number(row, "Tot_Abbattuto_Quorin") + 1;
    }
    const QVariant memo = row.value(QStringLiteral("memo"));
    QString text = memo.isNull() ? QString() : memo.toString() + QStringLiteral("\r\n");
    text += QStringLiteral(".QUORIN ") + textformats::dateTime(now) + QStringLiteral(" (") + QString::number(o.code)
        + QLatin1Char(' ') + captions::outcome(o.code) + QStringLiteral(")  ") + o.calllist;
    sets << QStringLiteral("memo=?");
    binds << text << id;
    return m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET ") + sets.join(QLatin1Char(','))
                                + QStringLiteral(" WHERE contatore=?"),
                            error, binds)
        >= 0;
}

bool OutcomeService::setFlag(qint64 id, int flag, QString &error)
{
    return m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=? WHERE contatore=?"), error, {flag, id})
        >= 0;
}

bool OutcomeService::makeAvailable(qint64 id, const QDateTime &recall, Effects &after, QString &error)
{
    if (!setFlag(id, 0, error))
        return false;
    const QString line = QStringLiteral("CL ") + QString::number(id)
        + (recall.isValid() ? QStringLiteral(" rischedulato alle ") + textformats::dateTime(recall)
                            : QStringLiteral(" riattivato"));
    after.append([this, line] {
        logRx(line, m_requestId);
        m_counters.db(1);
    });
    return true;
}

sqltext::Filled OutcomeService::problemCountStatement(qint64 id) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::ContaProblemi];
    // The id goes in as a number: a text from the wire never becomes SQL.
    return sqltext::fillPlaceholder(templ.isEmpty() ? kContaProblemi : templ, QStringLiteral("##"), QString::number(id),
                                    m_ctx.db.isPostgres());
}

qint64 OutcomeService::contaProblemi(qint64 id, QString &error)
{
    const sqltext::Filled sql = problemCountStatement(id);
    qint64 n = 0;
    return sql.ok && m_ctx.db.scalar(sql.sql, n, error) ? n : -1;
}
