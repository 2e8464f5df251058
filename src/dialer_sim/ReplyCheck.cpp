#include "dialer_sim/ReplyCheck.h"

#include "dialer_link/FixedText.h"

namespace replycheck {

bool take(QByteArray &stream, Packet &out)
{
    if (stream.size() < 4)
        return false;
    const qint32 totlen = packet::readInt32Be(stream, 0);
    if (totlen < 16 || totlen > packet::kMaxPacketLength) {
        out = {};
        out.header.totlen = totlen; // reported as a violation by check()
        stream.clear();
        return true;
    }
    if (stream.size() < 4 + totlen)
        return false;
    out.header = packet::decodeHeader(stream);
    out.record = totlen >= 40 ? packet::decodeRecordId(stream.mid(20, 24)) : packet::RecordId{};
    out.body = stream.mid(44, totlen - 40);
    stream.remove(0, 4 + totlen);
    return true;
}

QString check(const Packet &p, qint32 code, qint32 id, const QString &tag)
{
    const packet::Header &h = p.header;
    if (h.code != code)
        return QStringLiteral("code %1 where %2 was expected").arg(h.code).arg(code);
    if (h.totlen != h.len + 16)
        return QStringLiteral("Totlen %1 does not match Len %2").arg(h.totlen).arg(h.len);
    if (h.lineaSvc != -1)
        return QStringLiteral("LineaSVC %1 instead of -1").arg(h.lineaSvc);
    if (code == packet::DbOk || code == packet::DbDown)
        return h.len == 0 ? QString() : QStringLiteral("a header-only packet with Len %1").arg(h.len);
    if (h.len != 24 + p.body.size())
        return QStringLiteral("Len %1 for a body of %2 bytes").arg(h.len).arg(p.body.size());
    if (p.record.id != id)
        return QStringLiteral("id %1 echoed for request %2").arg(p.record.id).arg(id);
    if (p.record.contact != tag.leftJustified(packet::kContactSize, QLatin1Char(' '), true))
        return QStringLiteral("tag \"%1\" echoed for \"%2\"").arg(p.record.contact, tag);
    if ((code == packet::QueryEnd || code == packet::QueryEndOp) && p.body != QByteArray(4, '\0'))
        return QStringLiteral("an end marker whose body is not a single 0");
    return {};
}

QString checkCustomers(const Packet &p, bool byOperator, qint32 group, const QString &op)
{
    const int start = byOperator ? 20 : 0;
    const int perPacket = byOperator ? 9 : 10;
    if (byOperator && fixedtext::pulisciStringa(p.body.left(20)) != op)
        return QStringLiteral("operator \"%1\" in a reply for \"%2\"").arg(fixedtext::pulisciStringa(p.body.left(20)), op);
    const qint32 k = packet::readInt32Le(p.body, start);
    if (k < 1 || k > perPacket)
        return QStringLiteral("%1 records in one packet").arg(k);
    if (p.body.size() != start + 4 + 296 * k)
        return QStringLiteral("%1 bytes of body for %2 records").arg(p.body.size()).arg(k);
    for (int r = 0; r < k; ++r) {
        const qsizetype rec = start + 4 + 296 * qsizetype(r);
        if (packet::readInt32Le(p.body, rec + 12) != r + 4)
            return QStringLiteral("record %1 at position %2").arg(r + 1).arg(packet::readInt32Le(p.body, rec + 12));
        if (packet::readInt32Le(p.body, rec) != group)
            return QStringLiteral("record of group %1 in a reply for group %2").arg(packet::readInt32Le(p.body, rec)).arg(group);
        if (fixedtext::pulisciStringa(p.body.mid(rec + 56, 30)).isEmpty())
            return QStringLiteral("record %1 without a customer id").arg(r + 1);
    }
    return {};
}

} // namespace replycheck
