#include "campaign/CustomerRow.h"

namespace customerrow {

qint64 number(const QSqlRecord &row, const char *field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    return v.isNull() ? 0 : v.toLongLong();
}

QString text(const QSqlRecord &row, const char *field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString();
}

QDateTime dateTime(const QSqlRecord &row, const char *field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime();
    const QString t = v.toString().trimmed();
    for (const char *format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm",
                               "dd/MM/yyyy HH:mm:ss", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(format));
        if (dt.isValid())
            return dt;
    }
    return {};
}

Phone choosePhone(const QSqlRecord &row)
{
    const qint64 last = number(row, "UltimoEsitoQuorin");
    Phone phone{text(row, "telefono1"), QStringLiteral("t1")};
    if (last < 2 || last > 4)
        return phone;
    // Answering machine, fax or wrong number: try the other phones.
    const QVariant second = row.value(QStringLiteral("telefono2"));
    if (!second.isNull()) {
        const QString t2 = second.toString().trimmed();
        if (t2.size() >= 4)
            return {t2, QStringLiteral("t2")};
    }
    const QVariant contact = row.value(QStringLiteral("tel recapito"));
    if (!contact.isNull()) {
        const QString tr = contact.toString().trimmed();
        if (tr.size() >= 4)
            return {tr, QStringLiteral("tr")};
    }
    // A short or missing second and contact phone: back to the first phone.
    return phone;
}

dialerbody::CustomerRecord build(const QSqlRecord &row, qint32 group, int position, const Phone &phone, Reply reply,
                                 const QDateTime &today)
{
    const QDateTime recall = dateTime(row, "datarichiamo");
    dialerbody::CustomerRecord r;
    r.group = group;
    if (reply == Reply::Operator)
        r.kind = (!recall.isValid() || recall < today) ? 3 : 2;
    r.totAbbattuto = static_cast<qint32>(number(row, "Tot_Abbattuto_Quorin"));
    r.position = position + 3;
    r.tipoMandato = text(row, "tipo mandato");
    r.callList = phone.number;
    r.contatore = QString::number(number(row, "contatore"));
    r.phone = phone.number;
    r.info = text(row, "ragione sociale");
    // A Null recall cannot be formatted: four NULs.
    if (reply == Reply::Operator && recall.isValid())
        r.recall = recall.toString(QStringLiteral("HHmm")).toLatin1();
    r.lastOutcome = static_cast<qint32>(number(row, "UltimoEsitoQuorin"));
    return r;
}

} // namespace customerrow
