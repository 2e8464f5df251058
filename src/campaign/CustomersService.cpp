#include "campaign/CustomersService.h"


#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/DiagnosisWorker.h"
#include "campaign/PhoneLog.h"
#include "campaign/SqlText.h"
#include "core/HtmlFiles.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "dialer_link/DialerReplies.h"

namespace {
const QString kRx = QStringLiteral("RX");
const QString kPlaceholder = QStringLiteral("##");

// The table a group's customers come from; a statement that takes its rows
// adds the backend's lock hint after it.
const QString kGroupTable = QStringLiteral(" FROM  [tabella pratiche] ");
// The rest through the dispatch state; the group is bound.
const QString kGroupWhere = QStringLiteral(
    " INNER JOIN GRUPPI_ESATTORE ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
    " WHERE (GRUPPI_ESATTORE.GRUPPO = ?"
    " AND (Telefono1 is not null) "
    " AND (Telefono1<>'') "
    " AND (FlagQuorin=0 or FlagQuorin is null)) ");
const QString kGroupFrom = kGroupTable + kGroupWhere;

QString n(qint64 value)
{
    return QString::number(value);
}

CustomersService::Statement fill(const QString &sql, const QString &value, bool numbersQuoted)
{
    const sqltext::Filled f = sqltext::fillPlaceholder(sql, kPlaceholder, value, numbersQuoted);
    return {f.sql, {}, f.error};
}
} // namespace

qint32 CustomersService::capped(qint32 quantity, qint64 left, qint32 requestId)
{
    const qint32 wanted = std::max<qint32>(0, quantity);
    const qint32 allowed = static_cast<qint32>(std::clamp<qint64>(left, 0, wanted));
    if (allowed < wanted)
        logRx(QStringLiteral("RICHIESTA LIMITATA: ") + n(wanted) + QStringLiteral(" clienti chiesti, ") + n(allowed)
                  + QStringLiteral(" serviti (LimiteClientiRichiesta ") + n(m_ctx.settings.limiteClientiRichiesta)
                  + QLatin1Char(')'),
              requestId, Severity::Warning);
    return allowed;
}

void CustomersService::logRx(const QString &text, qint32 id, Severity severity)
{
    m_ctx.log.scriviLog(text, Logger::List1, kRx, id, severity);
}

CustomersService::Statement CustomersService::groupStatement(qint32 top, const QVariant &group) const
{
    const QString head = QStringLiteral("SELECT top ") + n(top);
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiGruppo];
    if (!templ.isEmpty())
        return fill(head + templ, group.toString(), m_ctx.db.isPostgres());
    return {head + QStringLiteral(" [tabella pratiche].*") + kGroupTable + m_ctx.db.tableLockHint().trimmed() + kGroupWhere
                + QStringLiteral(" order by ") + m_ctx.settings.orderBy,
            {group}, {}, m_ctx.db.locksRows()};
}

CustomersService::Statement CustomersService::groupProbe(qint32 group) const
{
    if (!m_ctx.settings.templates[sqltemplates::ClientiGruppo].isEmpty())
        return {}; // an installation's query is run as written, never rewritten into another
    // Collector by collector, stopping at the first customer: a LIMIT 1 over
    // the join lets PostgreSQL's planner choose a scan of the whole table,
    // which for a group with nobody left reads it all.
    return {QStringLiteral("SELECT count(*) FROM GRUPPI_ESATTORE WHERE (GRUPPI_ESATTORE.GRUPPO = ?)"
                           " AND EXISTS (SELECT 1 FROM [tabella pratiche]"
                           " WHERE [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
                           " AND (Telefono1 is not null) "
                           " AND (Telefono1<>'') "
                           " AND (FlagQuorin=0 or FlagQuorin is null))"),
            {group}, {}};
}

CustomersService::Statement CustomersService::operatorStatement(qint32 top, const QString &op, const QDateTime &now) const
{
    const QString start = m_ctx.db.dateTimeLiteral(QDateTime(now.date(), QTime(0, 0, 1)));
    const QString end = m_ctx.db.dateTimeLiteral(now.addSecs(qint64(m_ctx.settings.intervallo) * 60));
    const QString head = QStringLiteral("SELECT top ") + n(top);
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiOperatore];
    if (!templ.isEmpty()) {
        // The time placeholders first: an operator code is never read for placeholders.
        QString sql = sqltext::replaceFirst(head + templ, QStringLiteral("#ora1#"), start);
        sql = sqltext::replaceFirst(sql, QStringLiteral("#ora2#"), end);
        return fill(sql, op.trimmed(), m_ctx.db.isPostgres());
    }
    return {head + QStringLiteral(" [tabella pratiche].*") + kGroupTable + m_ctx.db.tableLockHint().trimmed()
                + QStringLiteral(" WHERE [codice esattore]= ?"
                                 " AND (Telefono1 is not null) "
                                 " AND (Telefono1<>'') "
                                 " AND (FlagQuorin=0 or FlagQuorin is null) "
                                 " AND [datarichiamo]>=")
                + start + QStringLiteral(" AND [datarichiamo]<=") + end + QStringLiteral(" order by [datarichiamo]"),
            {op}, {}, m_ctx.db.locksRows()};
}

bool CustomersService::groupHasCustomers(qint32 group, bool &failed)
{
    failed = false;
    const Statement probe = groupProbe(group);
    if (probe.sql.isEmpty())
        return true;
    qint64 collectors = 0; // of the group with a customer to send
    QString error;
    if (!m_ctx.db.scalar(probe.sql, collectors, error, probe.binds)) {
        m_ctx.logDbError(error);
        failed = true;
        return false;
    }
    return collectors > 0;
}

wire::Status CustomersService::rispostaClientiXGruppo(const DialerRequest &request)
{
    dialerbody::CustomersRequest decoded;
    const wire::Status status = dialerbody::decode(request.body, decoded);
    MainModel &m = m_ctx.model;
    if (status.ok()) {
        m.lastRequest[MainModel::LastSent]->set(0);
        m.lastRequest[MainModel::LastId]->set(request.record.id);
        qint64 left = m_ctx.settings.limiteClientiRichiesta;
        for (const auto &pair : std::as_const(decoded.pairs)) {
            const qint32 wanted = capped(pair.quantity, left, request.record.id);
            logRx(QStringLiteral("Cerco ") + n(wanted) + QStringLiteral(" cl x gr ") + n(pair.group), request.record.id);
            m.lastRequest[MainModel::LastGroup]->set(pair.group);
            m.lastRequest[MainModel::LastWanted]->set(wanted);
            m.lastOperator.setText(QString());
            qint64 sent = 0;
            if (!sendGroup(request, pair.group, wanted, sent))
                break; // refused or the database failed: the dialer still gets its QueryEnd
            left -= sent;
            requestLogRow(request.record.id, n(pair.group), wanted, sent);
        }
    }
    // The end marker always comes, so the dialer never waits for one.
    m_replies.sendReply(packet::QueryEnd, QStringLiteral("Invio QueryEnd"), request.record, dialerbody::queryEnd());
    return status;
}

bool CustomersService::sendGroup(const DialerRequest &request, qint32 group, qint32 wanted, qint64 &sent)
{
    QList<QSqlRecord> rows;
    bool failed = false;
    if (wanted > 0 && groupHasCustomers(group, failed)
        && !m_claims.take([this, group](qint32 top) { return groupStatement(top, group); }, wanted, rows, request.record.id))
        return false;
    if (failed)
        return false;
    MainModel &m = m_ctx.model;
    m.lastRequest[MainModel::LastFound]->set(0);
    m.lastRequest[MainModel::LastSent]->set(0);
    m_ctx.log.addlist3(QStringLiteral("ID [") + n(request.record.id) + QStringLiteral("] | grp [") + n(group)
                           + QStringLiteral("] | qnt_req [") + n(wanted) + QStringLiteral("] | qnt_out [")
                           + n(rows.size()) + QLatin1Char(']'),
                       0);
    if (rows.isEmpty()) {
        logRx(QStringLiteral("Non trovati clienti x gr.") + n(group), request.record.id);
        if (wanted > 0) {
            m_ctx.model.metrics.countEmptyAnswer(false, n(group));
            explainEmpty(false, n(group), request.record.id);
        }
        return true;
    }
    m.lastRequest[MainModel::LastFound]->set(rows.size());
    sendPackets(request, rows, group, QString(), customerrow::Reply::Group);
    sent = rows.size();
    return true;
}

QList<dialerbody::CustomerRecord> CustomersService::records(const QList<QSqlRecord> &rows, qsizetype first, int k,
                                                            qint32 group, customerrow::Reply reply, QList<Sent> &sent)
{
    QList<dialerbody::CustomerRecord> out;
    const QDateTime today(m_ctx.now().date(), QTime(0, 0));
    for (int r = 1; r <= k; ++r) {
        const QSqlRecord &row = rows[first + r - 1];
        const auto phone = customerrow::choosePhone(row);
        out.append(customerrow::build(row, group, r, phone, reply, today));
        sent.append({customerrow::number(row, "contatore"), customerrow::number(row, "UltimoEsitoQuorin"), phone,
                     customerrow::text(row, "ragione sociale") + QLatin1Char(' ') + customerrow::text(row, "telefono1")});
    }
    return out;
}

void CustomersService::logSent(const QList<Sent> &sent)
{
    const QDateTime now = m_ctx.now();
    for (const Sent &c : sent) {
        phonelog::append(m_ctx.files.paths().appDir, now, c.id, c.lastOutcome, c.phone.kind, c.phone.number,
                         m_ctx.settings.fileLimitBytes());
        logRx(QStringLiteral("Invio cliente ") + n(c.id) + QLatin1Char(' ') + c.nameAndPhone, 0);
    }
}

void CustomersService::sendPackets(const DialerRequest &request, const QList<QSqlRecord> &rows, qint32 group,
                                   const QString &op, customerrow::Reply reply)
{
    const bool byGroup = reply == customerrow::Reply::Group;
    const int perPacket = byGroup ? kPerGroupPacket : kPerOperatorPacket;
    // Every customer of the answer was marked sent in one commit, before the
    // first packet is written: one sync a request, not one a packet.
    QList<QList<dialerbody::CustomerRecord>> packets;
    QList<QList<Sent>> sent;
    for (qsizetype first = 0; first < rows.size(); first += perPacket) {
        const int k = static_cast<int>(std::min<qsizetype>(perPacket, rows.size() - first));
        sent.append(QList<Sent>());
        packets.append(records(rows, first, k, group, reply, sent.last()));
    }
    MainModel &m = m_ctx.model;
    for (qsizetype p = 0; p < packets.size(); ++p) {
        const int k = static_cast<int>(packets[p].size());
        logSent(sent[p]);
        m.customers[MainModel::CustomersSent]->add(k);
        m.metrics.countCustomersDelivered(!byGroup, k);
        m.lastRequest[MainModel::LastSent]->add(k);
        const QByteArray body = dialerbody::encode(dialerbody::CustomerList{!byGroup, op, packets[p]});
        if (byGroup) {
            m_counters.coda(k);
            m_counters.db(-k);
            m_replies.sendReply(packet::ClientiGruppo,
                                QStringLiteral("Invio ") + n(k) + QStringLiteral(" clienti x gruppo ") + n(group),
                                request.record, body, false);
        } else {
            m_replies.sendReply(packet::ClientiOperatore, QStringLiteral("Invio ") + n(k) + QStringLiteral(" clienti x Operatore ") + op,
                                request.record, body);
        }
    }
}

wire::Status CustomersService::rispostaClientiXOperatore(const DialerRequest &request)
{
    dialerbody::OperatorRequest r;
    const wire::Status status = dialerbody::decode(request.body, r);
    qint64 left = m_ctx.settings.limiteClientiRichiesta;
    const qint32 wanted = status.ok() ? capped(r.quantity, left, request.record.id) : 0;
    const qint64 sent = status.ok() ? sendOperator(request, r, wanted) : 0;
    // The end marker always comes, so the dialer never waits for one.
    m_replies.sendReply(packet::QueryEndOp, QStringLiteral("Invio QueryEnd_op"), request.record, dialerbody::queryEnd());
    if (status.ok())
        requestLogRow(request.record.id, r.op, wanted, sent);
    return status;
}

qint64 CustomersService::sendOperator(const DialerRequest &request, const dialerbody::OperatorRequest &r, qint32 wanted)
{
    const qint32 id = request.record.id;
    logRx(QStringLiteral("pd chiede ") + n(wanted) + QStringLiteral(" x op ") + r.op, id);
    MainModel &m = m_ctx.model;
    m.lastRequest[MainModel::LastGroup]->set(0);
    m.lastRequest[MainModel::LastWanted]->set(wanted);
    m.lastRequest[MainModel::LastSent]->set(0);
    m.lastOperator.setText(r.op);
    m.lastRequest[MainModel::LastId]->set(id);

    QList<QSqlRecord> rows;
    const QDateTime now = m_ctx.now();
    if (wanted > 0 && !m_claims.take([&](qint32 top) { return operatorStatement(top, r.op, now); }, wanted, rows, id))
        return 0;
    m.lastRequest[MainModel::LastFound]->set(0);
    m_ctx.log.addlist3(QStringLiteral("ID [") + n(id) + QStringLiteral("] | op [") + r.op + QStringLiteral("] | qnt_req [")
                           + n(wanted) + QStringLiteral("] | qnt_out [") + n(rows.size()) + QLatin1Char(']'),
                       1);
    if (rows.isEmpty()) {
        logRx(QStringLiteral("Non trovati clienti x Op.") + r.op, id);
        if (wanted > 0) {
            m_ctx.model.metrics.countEmptyAnswer(true, r.op.trimmed());
            explainEmpty(true, r.op, id);
        }
        return 0;
    }
    m.lastRequest[MainModel::LastFound]->set(rows.size());
    sendPackets(request, rows, r.group, r.op, customerrow::Reply::Operator);
    return rows.size();
}

void CustomersService::requestLogRow(qint32 id, const QString &who, qint32 wanted, qint64 sent)
{
    const auto cell = [](const QString &v) { return QStringLiteral("<td>") + v.toHtmlEscaped() + QStringLiteral("</td>"); };
    const QString row = QStringLiteral("<tr><td>") + textformats::dateTime(m_ctx.now()) + QStringLiteral("</td>")
        + cell(n(id)) + cell(who) + cell(n(wanted)) + cell(n(sent))
        + QStringLiteral("</tr>");
    HtmlFiles(m_ctx.files).appendRequestRow(row, m_ctx.settings.fileLimitBytes());
}

qint64 CustomersService::count(const Statement &s)
{
    if (!s.refused.isEmpty()) {
        m_ctx.prompts.message(s.refused, Severity::Warning);
        return -1;
    }
    qint64 value = 0;
    QString error;
    if (!m_ctx.db.scalar(s.sql, value, error, s.binds)) {
        m_ctx.prompts.message(error, Severity::Error);
        return -1;
    }
    m_ctx.prompts.message(QStringLiteral("Records ") + n(value));
    return value;
}

void CustomersService::explainEmpty(bool byOperator, const QString &who, qint32 requestId)
{
    // The dialer asks again and again while a group is dry: the counting
    // queries run once a minute per subject, not at every request.
    const QString key = (byOperator ? QStringLiteral("op.") : QStringLiteral("gr.")) + who;
    const QDateTime now = m_ctx.now();
    const auto it = m_explained.find(key);
    if (it != m_explained.end() && it->second.secsTo(now) >= 0 && it->second.secsTo(now) < 60)
        return;
    if (m_explained.size() >= 1000)
        m_explained.clear(); // bounded, whatever the dialer names
    m_explained[key] = now;
    if (!m_diagnoses)
        return;
    // Counted on the worker's connection; the line comes once the dialer has
    // its QueryEnd and whatever it asked meanwhile. A worker with too many
    // waiting skips this one: the next empty answer a minute on tries again.
    m_diagnoses->request({byOperator, who.trimmed()}, now, m_ctx.settings.intervallo,
                         [this, alive = std::weak_ptr<int>(m_alive), requestId, byOperator](const EmptyAnswerDiagnosis &d) {
                             if (alive.expired())
                                 return;
                             m_ctx.model.metrics.countDiagnosis();
                             if (d.ok() && d.customers == 0)
                                 return; // nobody to send: nothing to explain
                             if (d.ok())
                                 m_ctx.model.metrics.countEmptyAnswerWithCustomers(byOperator, d.who);
                             logRx(d.summary(), requestId);
                         });
}

qint64 CustomersService::testGruppo(const QString &group)
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiGruppo];
    if (templ.isEmpty())
        return count({QStringLiteral("SELECT count(*) ") + sqltext::parteFrom(kGroupFrom), {group}, {}});
    Statement s = fill(templ, group, m_ctx.db.isPostgres());
    s.sql = QStringLiteral("SELECT count(*) ") + sqltext::togliOrderBy(sqltext::parteFrom(s.sql));
    return count(s);
}

qint64 CustomersService::testOperatore(const QString &op)
{
    Statement s = operatorStatement(0, op, m_ctx.now());
    s.sql = QStringLiteral("SELECT COUNT(*) ") + sqltext::togliOrderBy(sqltext::parteFrom(s.sql));
    return count(s);
}
