#include "campaign/EmptyAnswerDiagnosis.h"

#include "campaign/CampaignDb.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

// The conditions as the built-in customers queries write them; `#window#`
// is the recall condition, which differs between group and operator.
const QString kCounts = QStringLiteral(
    "SELECT COUNT(*),"
    " SUM(CASE WHEN Telefono1 is null OR Telefono1='' THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN FlagQuorin=1 THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN FlagQuorin=2 THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN FlagQuorin=3 THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN #outside# THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN [scadenza mandato] is null OR [scadenza mandato] < ? THEN 1 ELSE 0 END),"
    " SUM(CASE WHEN (Telefono1 is not null) AND (Telefono1<>'') AND (FlagQuorin=0 or FlagQuorin is null)#inside#"
    " THEN 1 ELSE 0 END)");

QString counts(const QString &outside, const QString &inside)
{
    QString sql = kCounts;
    sql.replace(QStringLiteral("#outside#"), outside);
    sql.replace(QStringLiteral("#inside#"), inside);
    return sql;
}

bool read(const CampaignDb &db, const QString &sql, const QVariantList &binds, EmptyAnswerDiagnosis &d)
{
    QSqlQuery q;
    if (!db.select(sql, q, d.error, binds))
        return false;
    if (!q.next())
        return true; // no row: nothing to count
    qint64 *fields[] = {&d.customers, &d.noPhone, &d.alreadySent, &d.negativeLimit, &d.toOperator, &d.outsideRecall,
                        &d.mandateExpired, &d.available};
    for (int i = 0; i < 8; ++i)
        *fields[i] = q.value(i).toLongLong(); // SUM of no rows is NULL: 0
    return true;
}

QString n(qint64 v)
{
    return QString::number(v);
}

QDateTime wholeSeconds(const QDateTime &t)
{
    return t.addMSecs(-t.time().msec());
}

} // namespace

EmptyAnswerDiagnosis EmptyAnswerDiagnosis::forGroup(const CampaignDb &db, qint32 group, const QDateTime &now)
{
    EmptyAnswerDiagnosis d;
    d.subject = Subject::Group;
    d.who = n(group);
    const QDateTime at = wholeSeconds(now);
    if (!db.scalar(QStringLiteral("SELECT COUNT(*) FROM GRUPPI_ESATTORE WHERE GRUPPO = ?"), d.collectors, d.error, {group}))
        return d;
    read(db,
         counts(QStringLiteral("datarichiamo > ?"), {})
             + QStringLiteral(" FROM [tabella pratiche]"
                              " INNER JOIN GRUPPI_ESATTORE ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
                              " WHERE GRUPPI_ESATTORE.GRUPPO = ?"),
         {db.dateTimeValue(at), db.dateTimeValue(at), group}, d);
    return d;
}

EmptyAnswerDiagnosis EmptyAnswerDiagnosis::forOperator(const CampaignDb &db, const QString &op, const QDateTime &now,
                                                       int intervalloMinutes)
{
    EmptyAnswerDiagnosis d;
    d.subject = Subject::Operator;
    d.who = op.trimmed();
    // The operator query's window, to the second as its literals are.
    const QDateTime at = wholeSeconds(now);
    const QVariant start = db.dateTimeValue(QDateTime(at.date(), QTime(0, 0, 1)));
    const QVariant end = db.dateTimeValue(at.addSecs(qint64(intervalloMinutes) * 60));
    if (!db.scalar(QStringLiteral("SELECT COUNT(*) FROM GRUPPI_ESATTORE WHERE CODESATTORE = ?"), d.collectors, d.error,
                   {d.who}))
        return d;
    read(db,
         counts(QStringLiteral("(datarichiamo is null OR datarichiamo < ? OR datarichiamo > ?)"),
                QStringLiteral(" AND datarichiamo >= ? AND datarichiamo <= ?"))
             + QStringLiteral(" FROM [tabella pratiche] WHERE [codice esattore] = ?"),
         {start, end, db.dateTimeValue(at), start, end, d.who}, d);
    return d;
}

QString EmptyAnswerDiagnosis::summary() const
{
    const bool group = subject == Subject::Group;
    QString s = QStringLiteral("DIAGNOSI ") + (group ? QStringLiteral("gr. ") : QStringLiteral("op. ")) + who + QStringLiteral(": ");
    if (!ok())
        return s + QStringLiteral("ERRORE DB ") + error;
    // The recall window is a condition of the operator's query only; the
    // mandate of neither built-in query (installations' own often add both).
    const QString recall = QStringLiteral("fuori finestra richiamo ") + n(outsideRecall);
    return s + n(customers) + QStringLiteral(" clienti, ") + n(available) + QStringLiteral(" inviabili; esclusi: senza telefono ")
        + n(noPhone) + QStringLiteral(", gia' inviati ") + n(alreadySent) + QStringLiteral(", limite esiti negativi ")
        + n(negativeLimit) + QStringLiteral(", all'operatore ") + n(toOperator) + (group ? QString() : QStringLiteral(", ") + recall)
        + QStringLiteral("; inoltre: ") + (group ? recall + QStringLiteral(", ") : QString())
        + QStringLiteral("mandato scaduto ") + n(mandateExpired)
        + (group ? QStringLiteral("; esattori nel gruppo ") : QStringLiteral("; gruppi dell'esattore ")) + n(collectors);
}

QStringList EmptyAnswerDiagnosis::lines() const
{
    const bool group = subject == Subject::Group;
    QStringList out{(group ? QStringLiteral("Gruppo ") : QStringLiteral("Operatore ")) + who};
    if (!ok()) {
        out << QStringLiteral("errore del database: ") + error;
        return out;
    }
    const auto line = [&out](const QString &label, qint64 value) { out << label.leftJustified(34, QLatin1Char(' ')) + n(value); };
    line(group ? QStringLiteral("esattori nel gruppo") : QStringLiteral("gruppi che comprendono l'esattore"), collectors);
    line(QStringLiteral("clienti"), customers);
    line(QStringLiteral("senza telefono"), noPhone);
    line(QStringLiteral("gia' inviati (in coda)"), alreadySent);
    line(QStringLiteral("limite esiti negativi"), negativeLimit);
    line(QStringLiteral("passati all'operatore"), toOperator);
    if (!group)
        line(QStringLiteral("fuori dalla finestra di richiamo"), outsideRecall);
    line(QStringLiteral("inviabili"), available);
    out << QStringLiteral("non esclusi dalla query predefinita:");
    if (group)
        line(QStringLiteral("richiamo piu' tardi"), outsideRecall);
    line(QStringLiteral("mandato scaduto o assente"), mandateExpired);
    if (group && collectors == 0)
        out << QStringLiteral("il gruppo non comprende alcun esattore");
    if (!group && collectors == 0)
        out << QStringLiteral("l'esattore non fa parte di alcun gruppo: le richieste per gruppo non lo servono");
    return out;
}
