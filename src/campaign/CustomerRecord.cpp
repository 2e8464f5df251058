#include "campaign/CustomerRecord.h"

#include "core/AnsiCodec.h"
#include "dialer_link/FixedText.h"
#include "dialer_link/PacketFormat.h"

namespace customerrecord {

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

QByteArray build(const QSqlRecord &row, qint32 group, int position, const Phone &phone, Reply reply,
                 const QDateTime &today)
{
    using fixedtext::completaStringa;
    const QDateTime recall = dateTime(row, "datarichiamo");
    QByteArray r;
    r.reserve(kSize);
    packet::appendInt32Le(r, group);
    qint32 kind = 0;
    if (reply == Reply::Operator)
        kind = (!recall.isValid() || recall < today) ? 3 : 2;
    packet::appendInt32Le(r, kind);
    packet::appendInt32Le(r, static_cast<qint32>(number(row, "Tot_Abbattuto_Quorin")));
    packet::appendInt32Le(r, position + 3);
    r += completaStringa(text(row, "tipo mandato"), 20);
    r += completaStringa(phone.number, 20);
    r += completaStringa(QString::number(number(row, "contatore")), 30);
    r += completaStringa(phone.number, 20);
    r += completaStringa(text(row, "ragione sociale"), 180);
    r += QByteArray(2, '\0');
    if (reply == Reply::Operator && recall.isValid())
        r += recall.toString(QStringLiteral("HHmm")).toLatin1();
    else
        r += QByteArray(4, '\0');
    packet::appendInt32Le(r, static_cast<qint32>(number(row, "UltimoEsitoQuorin")));
    return r;
}

} // namespace customerrecord
