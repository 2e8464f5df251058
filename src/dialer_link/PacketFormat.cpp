#include "dialer_link/PacketFormat.h"

#include "wire/AnsiCodec.h"


namespace packet {

QByteArray encodeRecordId(const RecordId &r)
{
    QByteArray out;
    out.reserve(kRecordIdSize);
    appendInt32Le(out, r.id);
    out += ansi::encode(r.contact).left(kContactSize).leftJustified(kContactSize, ' ');
    return out;
}

wire::Status decodeRecordId(const QByteArray &bytes, RecordId &out, qsizetype at)
{
    if (bytes.size() - at < kRecordIdSize)
        return wire::Status::tooShort(QStringLiteral("RecordId"), std::max<qsizetype>(0, bytes.size() - at), kRecordIdSize);
    out.id = readInt32Le(bytes, at);
    out.contact = ansi::decode(bytes.mid(at + 4, kContactSize));
    return {};
}

Header replyHeader(qint32 code, int bodyLength, quint16 localPort, bool headerOnly)
{
    if (headerOnly)
        return {kHeaderOnlyTotlen, -1, localPort, code, 0};
    return {bodyLength + kMinRequestTotlen, -1, localPort, code, bodyLength + kRecordIdSize};
}

Header requestHeader(qint32 code, int bodyLength, qint32 reply, qint32 lineaSvc)
{
    return {bodyLength + kMinRequestTotlen, lineaSvc, reply, code, bodyLength + kRecordIdSize};
}

QByteArray encodePacket(const Header &h, const RecordId &r, const QByteArray &body)
{
    QByteArray out = encodeHeader(h);
    if (h.totlen > kHeaderOnlyTotlen)
        out += encodeRecordId(r) + body;
    return out;
}

wire::Status decodePacket(const QByteArray &framed, Packet &out)
{
    out = {};
    if (wire::Status s = decodeHeader(framed, out.header); !s.ok())
        return s;
    if (out.header.totlen <= kHeaderOnlyTotlen && out.header.len == 0)
        return {};
    if (wire::Status s = decodeRecordId(framed, out.record, kHeaderSize); !s.ok())
        return s;
    const qsizetype framedBody = framed.size() - kPrefixSize;
    // In qsizetype: a Len near the lowest int must not wrap round.
    const qsizetype announced = std::max<qsizetype>(0, qsizetype(out.header.len) - kRecordIdSize);
    out.body = framed.mid(kPrefixSize, std::min(framedBody, announced));
    return {};
}

} // namespace packet
