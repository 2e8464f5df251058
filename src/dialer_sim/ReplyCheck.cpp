#include "dialer_sim/ReplyCheck.h"

#include "dialer_link/DialerBodies.h"
#include "wire/FixedText.h"

namespace replycheck {
namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

QString check(const packet::Packet &p, qint32 code, qint32 id, const QString &tag)
{
    const packet::Header &h = p.header;
    if (h.code != code)
        return QStringLiteral("code ") + n(h.code) + QStringLiteral(" where ") + n(code) + QStringLiteral(" was expected");
    if (h.totlen != h.len + 16)
        return QStringLiteral("Totlen ") + n(h.totlen) + QStringLiteral(" does not match Len ") + n(h.len);
    if (h.lineaSvc != -1)
        return QStringLiteral("LineaSVC ") + n(h.lineaSvc) + QStringLiteral(" instead of -1");
    if (code == packet::DbOk || code == packet::DbDown)
        return h.len == 0 ? QString() : QStringLiteral("a header-only packet with Len ") + n(h.len);
    if (h.len != 24 + p.body.size())
        return QStringLiteral("Len ") + n(h.len) + QStringLiteral(" for a body of ") + n(p.body.size()) + QStringLiteral(" bytes");
    if (p.record.id != id)
        return QStringLiteral("id ") + n(p.record.id) + QStringLiteral(" echoed for request ") + n(id);
    if (p.record.contact != tag.leftJustified(packet::kContactSize, QLatin1Char(' '), true))
        return QStringLiteral("tag \"") + p.record.contact + QStringLiteral("\" echoed for \"") + tag + QLatin1Char('"');
    if ((code == packet::QueryEnd || code == packet::QueryEndOp) && p.body != dialerbody::queryEnd())
        return QStringLiteral("an end marker whose body is not a single 0");
    return {};
}

QString checkCustomers(const packet::Packet &p, bool byOperator, qint32 group, const QString &op)
{
    const int perPacket = byOperator ? 9 : 10;
    dialerbody::CustomerList list;
    if (const wire::Status s = dialerbody::decode(p.body, byOperator, list); !s.ok())
        return s.error;
    if (byOperator && fixedtext::pulisciStringa(list.op) != op)
        return QStringLiteral("operator \"") + fixedtext::pulisciStringa(list.op) + QStringLiteral("\" in a reply for \"") + op
            + QLatin1Char('"');
    const qsizetype k = list.records.size();
    if (k < 1 || k > perPacket)
        return n(k) + QStringLiteral(" records in one packet");
    if (p.body.size() != (byOperator ? 20 : 0) + 4 + dialerbody::CustomerRecord::Size * k)
        return n(p.body.size()) + QStringLiteral(" bytes of body for ") + n(k) + QStringLiteral(" records");
    for (qsizetype r = 0; r < k; ++r) {
        const dialerbody::CustomerRecord &rec = list.records[r];
        if (rec.position != r + 4)
            return QStringLiteral("record ") + n(r + 1) + QStringLiteral(" at position ") + n(rec.position);
        if (rec.group != group)
            return QStringLiteral("record of group ") + n(rec.group) + QStringLiteral(" in a reply for group ") + n(group);
        if (fixedtext::pulisciStringa(rec.contatore).isEmpty())
            return QStringLiteral("record ") + n(r + 1) + QStringLiteral(" without a customer id");
    }
    return {};
}

} // namespace replycheck
