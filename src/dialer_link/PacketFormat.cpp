#include "dialer_link/PacketFormat.h"

#include "core/AnsiCodec.h"

#include <QtEndian>

namespace packet {

qint32 readInt32Le(const QByteArray &bytes, qsizetype offset)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= bytes.size());
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

qint32 readInt32Be(const QByteArray &bytes, qsizetype offset)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= bytes.size());
    return qFromBigEndian<qint32>(bytes.constData() + offset);
}

void appendInt32Le(QByteArray &out, qint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    out.append(b, 4);
}

void appendInt32Be(QByteArray &out, qint32 value)
{
    char b[4];
    qToBigEndian(value, b);
    out.append(b, 4);
}

namespace {
// Byte order of Reply, Code and Len; Totlen is always big-endian, LineaSVC
// big-endian on the monitor links only.
bool bigEndianFields(Link link)
{
    return link != Link::Dialer;
}
} // namespace

QByteArray encodeHeader(const Header &h, Link link)
{
    const auto put = [](QByteArray &out, qint32 v, bool be) { be ? appendInt32Be(out, v) : appendInt32Le(out, v); };
    QByteArray out;
    out.reserve(kHeaderSize);
    appendInt32Be(out, h.totlen);
    put(out, h.lineaSvc, link == Link::Monitor);
    put(out, h.reply, bigEndianFields(link));
    put(out, h.code, bigEndianFields(link));
    put(out, h.len, bigEndianFields(link));
    return out;
}

wire::Status decodeHeader(const QByteArray &bytes, Header &out, Link link)
{
    if (bytes.size() < kHeaderSize)
        return wire::Status::tooShort(QStringLiteral("Header"), bytes.size(), kHeaderSize);
    const auto get = [&](qsizetype at, bool be) { return be ? readInt32Be(bytes, at) : readInt32Le(bytes, at); };
    out.totlen = readInt32Be(bytes, offset::Totlen);
    out.lineaSvc = get(offset::LineaSvc, link == Link::Monitor);
    out.reply = get(offset::Reply, bigEndianFields(link));
    out.code = get(offset::Code, bigEndianFields(link));
    out.len = get(offset::Len, bigEndianFields(link));
    return {};
}

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
