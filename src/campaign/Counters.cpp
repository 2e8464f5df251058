#include "campaign/Counters.h"

#include "campaign/CampaignDb.h"
#include "campaign/Captions.h"
#include "campaign/SentLedger.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"

#include <QSqlQuery>
#include <QVariant>

const QString Counters::kCodaStatement =
    QStringLiteral("SELECT COUNT(contatore) AS cont"
    " From [tabella pratiche]"
    " where [flagquorin]=1");
const QString Counters::kDaInviareStatement = QStringLiteral("SELECT     COUNT(contatore) AS cont"
    " FROM [tabella pratiche]"
    " WHERE     ([codice esattore] IN"
    " (SELECT     CODESATTORE"
    " FROM       GRUPPI_ESATTORE)) "
    " AND ([scadenza mandato] >= GETDATE()) AND (telefono1 IS NOT NULL) AND (FlagQuorin = 0 OR FlagQuorin IS NULL)");
const QString Counters::kStatiStatement = QStringLiteral("SELECT      COUNT(contatore) AS cont,flagquorin"
    " From [tabella pratiche]"
    " WHERE      ([codice esattore] IN (SELECT CODESATTORE FROM GRUPPI_ESATTORE))"
    " AND        ([flagquorin] > 0)"
    " AND        ([scadenza mandato] >= GETDATE())"
    " AND        (telefono1 IS NOT NULL)"
    " AND        (telefono1<>'')"
    " group by flagquorin");
const QString Counters::kArchivioStatement = QStringLiteral("SELECT      UltimoEsitoQuorin,COUNT(contatore) AS cont,flagquorin"
    " From [tabella pratiche]"
    " WHERE      ([scadenza mandato] >= GETDATE())"
    " AND        (telefono1 IS NOT NULL)"
    " AND        (telefono1<>'')"
    " group by UltimoEsitoQuorin,flagquorin");
const QString Counters::kAzzeraStatement =
    QStringLiteral("UPDATE [tabella pratiche] "
    " SET FlagQuorin=0,UltimoEsitoQuorin=null "
    " WHERE FlagQuorin<>0 ");

namespace {
qint64 numberOf(const QSqlQuery &q, const char *field)
{
    return q.value(QString::fromLatin1(field)).toLongLong(); // Null reads as 0
}
} // namespace

QString Counters::now() const
{
    return textformats::time(QTime::currentTime());
}

void Counters::list2(const QString &line)
{
    m_ctx.log.list2().addEmptyingWhenFull(line);
}

bool Counters::count(const QString &sql, int element)
{
    qint64 value = 0;
    QString error;
    if (!m_ctx.db.scalar(sql, value, error)) {
        m_ctx.log.aggiungiList2(QStringLiteral("ERRORE DB: ") + error, Severity::Error);
        return false;
    }
    m_ctx.model.database[element]->set(value);
    return true;
}

void Counters::contatori(bool soloCoda)
{
    if (m_ctx.model.noDb.value())
        return;
    if (m_ctx.level() > 1)
        m_ctx.log.aggiungiList2(now() + QStringLiteral(") AGGIORNO CONTATORI"));
    auto &d = m_ctx.model.database;
    d[MainModel::InQueue]->set(0);
    if (soloCoda) {
        if (!count(kCodaStatement, MainModel::InQueue))
            return;
    } else {
        for (int e : {MainModel::NotSendable, MainModel::ToOperator, MainModel::Discarded})
            d[e]->set(0);
        const QString &conta = m_ctx.settings.templates[sqltemplates::Conta];
        if (!count(conta.isEmpty() ? kDaInviareStatement : conta, MainModel::ToSend)
            || !count(QStringLiteral("Select count(DISTINCT CODESATTORE) from [GRUPPI_ESATTORE] "), MainModel::Collectors)
            || !count(QStringLiteral("select count(ID_esito) from Esiti_Quorin"), MainModel::OutcomeRows)
            || !count(QStringLiteral("select  COUNT(DISTINCT GRUPPO) from GRUPPI_ESATTORE"), MainModel::Groups))
            return;
        const QString &riep = m_ctx.settings.templates[sqltemplates::Riepilogo];
        QSqlQuery q;
        QString error;
        if (!m_ctx.db.select(riep.isEmpty() ? kStatiStatement : riep, q, error)) {
            m_ctx.log.aggiungiList2(QStringLiteral("ERRORE DB: ") + error, Severity::Error);
            return;
        }
        while (q.next()) {
            const qint64 cont = numberOf(q, "cont");
            switch (numberOf(q, "flagquorin")) {
            case 1:
                d[MainModel::InQueue]->set(cont);
                break;
            case 2:
                d[MainModel::NotSendable]->add(cont);
                d[MainModel::Discarded]->set(cont);
                break;
            case 3:
                d[MainModel::NotSendable]->add(cont);
                d[MainModel::ToOperator]->set(cont);
                break;
            default:
                break;
            }
        }
    }
    if (m_ctx.level() > 1)
        m_ctx.log.aggiungiList2(now() + QStringLiteral(") CONTATORI AGGIORNATI"));
}

void Counters::db(qint64 n)
{
    m_ctx.model.database[MainModel::ToSend]->add(n);
}

void Counters::coda(qint64 n)
{
    m_ctx.model.database[MainModel::InQueue]->add(n);
}

void Counters::dumpArchivio()
{
    m_ctx.log.list2().clear();
    list2(now() + QStringLiteral(") STATO ARCHIVIO"));
    QSqlQuery q;
    QString error;
    if (!m_ctx.db.select(kArchivioStatement, q, error)) {
        list2(QStringLiteral("ERRORE DB: ") + error);
        return;
    }
    while (q.next()) {
        const qint64 e = numberOf(q, "UltimoEsitoQuorin");
        const qint64 f = numberOf(q, "flagquorin");
        list2(QStringLiteral("Ult.ESITO (%1 %2) flagQuorin (%3 %4)  = %5")
                  .arg(QString::number(e), captions::outcome(e), QString::number(f), captions::flag(f),
                       QString::number(numberOf(q, "cont"))));
    }
}

void Counters::riepilogoEsitiGiorno(int mode)
{
    m_ctx.log.list2().clear();
    const QDateTime midnight(QDate::currentDate(), QTime(0, 0));
    if (mode == 2)
        list2(now() + QStringLiteral(") RIEPILOGO ESITI ") + midnight.toString(textformats::kDate));
    else
        list2(now() + QStringLiteral(") RIEPILOGO ESITI TOTALI"));
    QString sql = QStringLiteral("SELECT Esito, COUNT(ID_Esito) AS Tot_esiti"
    " From Esiti_Quorin");
    if (mode == 2)
        sql += QStringLiteral(" WHERE (Data >= ") + m_ctx.db.dateTimeLiteral(midnight) + QLatin1Char(')');
    sql += QStringLiteral(" GROUP BY Esito"
    " ORDER BY tot_esiti DESC");
    QSqlQuery q;
    QString error;
    if (!m_ctx.db.select(sql, q, error)) {
        list2(QStringLiteral("ERRORE DB: ") + error);
        return;
    }
    while (q.next()) {
        const qint64 code = numberOf(q, "Esito");
        const QString caption = captions::outcome(code);
        list2(QStringLiteral("ESITO (%1 %2) = %3")
                  .arg(QString::number(code), caption.isEmpty() ? QStringLiteral("?") : caption,
                       QString::number(numberOf(q, "Tot_esiti"))));
    }
}

void Counters::azzeramentoInizialeDB()
{
    if (m_ctx.model.noDb.value())
        return;
    const QString &statement = m_ctx.settings.templates[sqltemplates::Auto];
    if (statement.size() <= 10)
        return;
    m_ctx.log.aggiungiList2(QStringLiteral("AZZERAMENTO INIZIALE DB"));
    QString error;
    const int n = m_ctx.db.execute(statement, error);
    if (n < 0) {
        m_ctx.prompts.message(error, Severity::Error);
        return;
    }
    m_ctx.ledger.clear(); // the customers this server sent may be anybody's now
    m_ctx.log.aggiungiList2(QStringLiteral("AZZERAMENTO INIZIALE DB TERMINATO. (%1 quo.)").arg(n));
}

void Counters::azzeramentoManuale()
{
    if (!m_ctx.prompts.confirm(QStringLiteral("Confermi azzeramento Flag Quorin?"), true)
        || !m_ctx.prompts.confirm(QStringLiteral("Ultima Richiesta. Confermi azzeramento Flag Quorin?"), true))
        return;
    for (CountValue *count : m_ctx.model.outcomes)
        count->set(0);
    for (CountValue *count : m_ctx.model.customers)
        count->set(0);
    m_ctx.log.list1().clear();
    m_ctx.log.list2().clear();
    QString error;
    const int n = m_ctx.db.execute(kAzzeraStatement, error);
    if (n < 0) {
        list2(QStringLiteral("ERRORE DB: ") + error);
        return;
    }
    m_ctx.ledger.clear(); // the customers this server sent may be anybody's now
    list2(now() + QStringLiteral(") AZZERATI %1 FLAG QUORIN").arg(n));
    m_ctx.clock.startCounting(QDateTime::currentDateTime());
    contatori(false);
}
