#include "campaign/CustomersService.h"

#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/PhoneLog.h"
#include "campaign/SqlText.h"
#include "core/HtmlFiles.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "dialer_link/BodyBuffer.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/FixedText.h"

namespace {
const QString kRx = QStringLiteral("RX");

QString groupBuiltIn(const QString &top, const QString &group)
{
    return QStringLiteral("SELECT top ") + top
        + QStringLiteral(" [tabella pratiche].*"
                         " FROM  [tabella pratiche] "
                         " INNER JOIN GRUPPI_ESATTORE ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
                         " WHERE (GRUPPI_ESATTORE.GRUPPO = '")
        + sqltext::escaped(group)
        + QStringLiteral("'"
                         " AND (Telefono1 is not null) "
                         " AND (Telefono1<>'') "
                         " AND (FlagQuorin=0 or FlagQuorin is null)) ");
}
} // namespace

QString CustomersService::groupStatement(const QString &top, const QString &group) const
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiGruppo];
    if (!templ.isEmpty())
        return sqltext::replaceFirst(QStringLiteral("SELECT top ") + top + templ, QStringLiteral("##"),
                                     sqltext::escaped(group));
    return groupBuiltIn(top, group) + QStringLiteral(" order by ") + m_ctx.settings.orderBy;
}

QString CustomersService::operatorStatement(const QString &top, const QString &op, const QDateTime &now) const
{
    const QString start = m_ctx.db.dateTimeLiteral(QDateTime(now.date(), QTime(0, 0, 1)));
    const QString end = m_ctx.db.dateTimeLiteral(now.addSecs(qint64(m_ctx.settings.intervallo) * 60));
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiOperatore];
    if (!templ.isEmpty()) {
        // The time placeholders first: an operator code is never read for placeholders.
        QString sql = QStringLiteral("SELECT top ") + top + templ;
        sql = sqltext::replaceFirst(sql, QStringLiteral("#ora1#"), start);
        sql = sqltext::replaceFirst(sql, QStringLiteral("#ora2#"), end);
        return sqltext::replaceFirst(sql, QStringLiteral("##"), sqltext::escaped(op.trimmed()));
    }
    return QStringLiteral("SELECT top ") + top
        + QStringLiteral(" [tabella pratiche].*"
                         " FROM  [tabella pratiche] "
                         " WHERE [codice esattore]= '")
        + sqltext::escaped(op)
        + QStringLiteral("'"
                         " AND (Telefono1 is not null) "
                         " AND (Telefono1<>'') "
                         " AND (FlagQuorin=0 or FlagQuorin is null) "
                         " AND [datarichiamo]>=")
        + start + QStringLiteral(" AND [datarichiamo]<=") + end + QStringLiteral(" order by [datarichiamo]");
}

void CustomersService::rispostaClientiXGruppo(const DialerRequest &request)
{
    const QByteArray &body = request.body;
    const qint32 pairs = packet::readInt32Le(body, 0);
    MainModel &m = m_ctx.model;
    m.lastRequest[2]->setText(QStringLiteral("0"));
    m.lastRequest[4]->setText(QString::number(request.record.id));
    for (qint32 i = 0; i < pairs; ++i) {
        const qsizetype at = 4 + 8 * qsizetype(i);
        if (at + 8 > body.size()) {
            m_ctx.log.scriviLog(QStringLiteral("Richiesta troncata: %1 coppie su %2").arg(i).arg(pairs), Logger::List1, kRx,
                                request.record.id);
            break;
        }
        const qint32 group = packet::readInt32Le(body, at);
        const qint32 wanted = std::max<qint32>(0, packet::readInt32Le(body, at + 4));
        m_ctx.log.scriviLog(QStringLiteral("Cerco %1 cl x gr %2").arg(wanted).arg(group), Logger::List1, kRx,
                            request.record.id);
        m.lastRequest[0]->setText(QString::number(group));
        m.lastRequest[1]->setText(QString::number(wanted));
        m.lastRequest[3]->setText(QString());
        if (!sendGroup(request, group, wanted))
            break; // the database failed; the dialer still gets its QueryEnd
        requestLogRow(request.record.id, QString::number(group), wanted);
    }
    BodyBuffer end;
    end.appendiLong(0);
    m_replies.sendReply(packet::QueryEnd, QStringLiteral("Invio QueryEnd"), request.record, end.body());
}

bool CustomersService::sendGroup(const DialerRequest &request, qint32 group, qint32 wanted)
{
    QList<QSqlRecord> rows;
    QString error;
    if (!m_ctx.db.rows(groupStatement(QString::number(wanted), QString::number(group)), rows, error)) {
        m_ctx.logDbError(error);
        return false;
    }
    MainModel &m = m_ctx.model;
    m.lastRequest[5]->setText(QStringLiteral("0"));
    m.lastRequest[2]->setText(QStringLiteral("0"));
    m_ctx.log.addlist3(QStringLiteral("ID [%1] | grp [%2] | qnt_req [%3] | qnt_out [%4]")
                           .arg(request.record.id).arg(group).arg(wanted).arg(rows.size()), 0);
    if (rows.isEmpty()) {
        m_ctx.log.scriviLog(QStringLiteral("Non trovati clienti x gr.") + QString::number(group), Logger::List1, kRx,
                            request.record.id);
        return true;
    }
    m.lastRequest[5]->setText(QString::number(rows.size()));
    return sendPackets(request, rows, group, QString(), customerrecord::Reply::Group);
}

QByteArray CustomersService::records(const QList<QSqlRecord> &rows, qsizetype first, int k, qint32 group,
                                     customerrecord::Reply reply, QList<qint64> &ids)
{
    QByteArray out;
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime today(now.date(), QTime(0, 0));
    for (int r = 1; r <= k; ++r) {
        const QSqlRecord &row = rows[first + r - 1];
        const qint64 id = customerrecord::number(row, "contatore");
        const auto phone = customerrecord::choosePhone(row);
        phonelog::append(m_ctx.files.paths().appDir, now, id, customerrecord::number(row, "UltimoEsitoQuorin"), phone.kind,
                         phone.number);
        out += customerrecord::build(row, group, r, phone, reply, today);
        m_ctx.log.scriviLog(QStringLiteral("Invio cliente %1 %2 %3")
                                .arg(id)
                                .arg(customerrecord::text(row, "ragione sociale"), customerrecord::text(row, "telefono1")),
                            Logger::List1, QStringLiteral("*"), 0);
        ids.append(id);
    }
    return out;
}

bool CustomersService::sendPackets(const DialerRequest &request, const QList<QSqlRecord> &rows, qint32 group,
                                   const QString &op, customerrecord::Reply reply)
{
    const bool byGroup = reply == customerrecord::Reply::Group;
    const int perPacket = byGroup ? kPerGroupPacket : kPerOperatorPacket;
    MainModel &m = m_ctx.model;
    for (qsizetype first = 0; first < rows.size(); first += perPacket) {
        const int k = static_cast<int>(std::min<qsizetype>(perPacket, rows.size() - first));
        BodyBuffer body;
        if (!byGroup)
            body.appendiBytes(fixedtext::completaStringa(op, 20));
        body.appendiLong(k);
        QList<qint64> ids;
        body.appendiBytes(records(rows, first, k, group, reply, ids));
        QString error;
        const bool marked = m_ctx.db.inTransaction(
            [&](QString &e) {
                for (qint64 id : ids) {
                    if (m_ctx.db.execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=1 WHERE contatore=")
                                             + QString::number(id),
                                         e) < 0)
                        return false;
                }
                return true;
            },
            error);
        if (!marked) {
            m_ctx.logDbError(error); // not marked, so not sent nor counted
            return false;
        }
        MainModel::add(*m.customers[0], k);
        MainModel::add(*m.lastRequest[2], k);
        if (byGroup) {
            m_counters.coda(k);
            m_counters.db(-k);
            m_replies.sendReply(packet::ClientiGruppo, QStringLiteral("Invio %1 clienti x gruppo %2").arg(k).arg(group),
                                request.record, body.body(), false);
        } else {
            m_replies.sendReply(packet::ClientiOperatore, QStringLiteral("Invio %1 clienti x Operatore ").arg(k) + op,
                                request.record, body.body());
        }
    }
    return true;
}

void CustomersService::rispostaClientiXOperatore(const DialerRequest &request)
{
    const qint32 group = packet::readInt32Le(request.body, 0);
    const qint32 wanted = std::max<qint32>(0, packet::readInt32Le(request.body, 4));
    const QString op = fixedtext::pulisciStringa(request.body.mid(8, 20));
    const qint32 id = request.record.id;
    m_ctx.log.scriviLog(QStringLiteral("pd chiede %1 x op ").arg(wanted) + op, Logger::List1, kRx, id);
    MainModel &m = m_ctx.model;
    m.lastRequest[0]->setText(QStringLiteral("0"));
    m.lastRequest[1]->setText(QString::number(wanted));
    m.lastRequest[2]->setText(QStringLiteral("0"));
    m.lastRequest[3]->setText(op);
    m.lastRequest[4]->setText(QString::number(id));

    QList<QSqlRecord> rows;
    QString error;
    if (m_ctx.db.rows(operatorStatement(QString::number(wanted), op, QDateTime::currentDateTime()), rows, error)) {
        m.lastRequest[5]->setText(QStringLiteral("0"));
        m_ctx.log.addlist3(QStringLiteral("ID [%1] | op [").arg(id) + op
                               + QStringLiteral("] | qnt_req [%1] | qnt_out [%2]").arg(wanted).arg(rows.size()),
                           1);
        if (rows.isEmpty()) {
            m_ctx.log.scriviLog(QStringLiteral("Non trovati clienti x Op.") + op, Logger::List1, kRx, id);
        } else {
            m.lastRequest[5]->setText(QString::number(rows.size()));
            sendPackets(request, rows, group, op, customerrecord::Reply::Operator);
        }
    } else {
        m_ctx.logDbError(error);
    }
    BodyBuffer end;
    end.appendiLong(0);
    m_replies.sendReply(packet::QueryEndOp, QStringLiteral("Invio QueryEnd_op"), request.record, end.body());
    requestLogRow(id, op, wanted);
}

void CustomersService::requestLogRow(qint32 id, const QString &who, qint32 wanted)
{
    const auto cell = [](const QString &v) { return QStringLiteral("<td>") + v.toHtmlEscaped() + QStringLiteral("</td>"); };
    const QString row = QStringLiteral("<tr><td>") + textformats::dateTime(QDateTime::currentDateTime())
        + QStringLiteral("</td>") + cell(QString::number(id)) + cell(who) + cell(QString::number(wanted))
        + cell(m_ctx.model.lastRequest[2]->text()) + QStringLiteral("</tr>");
    HtmlFiles(m_ctx.files).salvaFileHtml(row, QStringLiteral("richieste"), true);
}

qint64 CustomersService::count(const QString &sql)
{
    qint64 n = 0;
    QString error;
    if (!m_ctx.db.scalar(sql, n, error)) {
        m_ctx.prompts.message(error);
        return -1;
    }
    m_ctx.prompts.message(QStringLiteral("Records ") + QString::number(n));
    return n;
}

qint64 CustomersService::testGruppo(const QString &group)
{
    const QString &templ = m_ctx.settings.templates[sqltemplates::ClientiGruppo];
    const QString from = templ.isEmpty()
        ? sqltext::parteFrom(groupBuiltIn(QString(), group))
        : sqltext::togliOrderBy(sqltext::parteFrom(sqltext::replaceFirst(templ, QStringLiteral("##"), sqltext::escaped(group))));
    return count(QStringLiteral("SELECT count(*) ") + from);
}

qint64 CustomersService::testOperatore(const QString &op)
{
    const QString statement = operatorStatement(QString(), op, QDateTime::currentDateTime());
    return count(QStringLiteral("SELECT COUNT(*) ") + sqltext::togliOrderBy(sqltext::parteFrom(statement)));
}
