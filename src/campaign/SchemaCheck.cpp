#include "campaign/SchemaCheck.h"

#include "campaign/CampaignDb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace schemacheck {
namespace {

QString bare(const QString &name)
{
    return name.startsWith(QLatin1Char('[')) ? name.mid(1, name.size() - 2) : name;
}

} // namespace

const QList<Table> &tables()
{
    static const QList<Table> all{
        {QStringLiteral("[tabella pratiche]"),
         {QStringLiteral("contatore"), QStringLiteral("[codice esattore]"), QStringLiteral("Telefono1"),
          QStringLiteral("telefono2"), QStringLiteral("[tel recapito]"), QStringLiteral("FlagQuorin"),
          QStringLiteral("UltimoEsitoQuorin"), QStringLiteral("[scadenza mandato]"), QStringLiteral("datarichiamo"),
          QStringLiteral("[IMPORTO TOTALE]"), QStringLiteral("Nome"), QStringLiteral("Cognome"),
          QStringLiteral("[ragione sociale]"), QStringLiteral("[tipo mandato]"), QStringLiteral("Tot_Abbattuto_Quorin"),
          QStringLiteral("Tot_Esiti_Quorin"), QStringLiteral("memo")}},
        {QStringLiteral("GRUPPI_ESATTORE"), {QStringLiteral("GRUPPO"), QStringLiteral("CODESATTORE")}},
        {QStringLiteral("Esiti_Quorin"),
         {QStringLiteral("ID_Esito"), QStringLiteral("id_contatore"), QStringLiteral("data"), QStringLiteral("TimeCall"),
          QStringLiteral("Esito"), QStringLiteral("Operatore"), QStringLiteral("campagna"), QStringLiteral("calllist"),
          QStringLiteral("Prog_Quorin")}},
        {QStringLiteral("PLA"), {QStringLiteral("CODSCH"), QStringLiteral("DATPLA"), QStringLiteral("ORAPLA")}},
        {QStringLiteral("CT_Monitor"),
         {QStringLiteral("Interno"), QStringLiteral("ID_Agent"), QStringLiteral("Descrizione"), QStringLiteral("statolog"),
          QStringLiteral("statoAction"), QStringLiteral("statoLinea"), QStringLiteral("statoACD"), QStringLiteral("gruppi"),
          QStringLiteral("OraLogin"), QStringLiteral("OraLogout")}},
        {QStringLiteral("esattori"), {QStringLiteral("[cod_agent]"), QStringLiteral("pw")}},
    };
    return all;
}

QStringList missing(const CampaignDb &db)
{
    QStringList out;
    for (const Table &t : tables()) {
        // No row is read: the columns come with the empty answer.
        QSqlQuery q;
        QString error;
        if (!db.select(QStringLiteral("SELECT * FROM ") + t.name + QStringLiteral(" WHERE 1=0"), q, error)) {
            out << QStringLiteral("table ") + t.name + QStringLiteral(" not found (") + error + QLatin1Char(')');
            continue;
        }
        const QSqlRecord columns = q.record();
        for (const QString &c : t.columns) {
            bool found = false;
            for (int i = 0; i < columns.count() && !found; ++i)
                found = columns.fieldName(i).compare(bare(c), Qt::CaseInsensitive) == 0;
            if (!found)
                out << QStringLiteral("table ") + t.name + QStringLiteral(" has no column ") + c;
        }
    }
    return out;
}

QString prepare(const CampaignDb &db, const QString &sql)
{
    QString statement, error;
    if (!db.translate(sql, statement, error))
        return error;
    QSqlQuery q(db.handle());
    if (q.prepare(statement))
        return {};
    const QString why = q.lastError().text().trimmed();
    return (why.isEmpty() ? QStringLiteral("cannot be prepared") : why) + QStringLiteral(": ") + statement;
}

} // namespace schemacheck
