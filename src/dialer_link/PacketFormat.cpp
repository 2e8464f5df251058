#include "dialer_link/PacketFormat.h"

#include "core/AnsiCodec.h"

#include <QtEndian>

namespace packet {

qint32 readInt32Le(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

qint32 readInt32Be(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
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

QByteArray encodeHeader(const Header &h, Link link)
{
    const bool be = link == Link::OperatorServer;
    const auto put = [be](QByteArray &out, qint32 v) { be ? appendInt32Be(out, v) : appendInt32Le(out, v); };
    QByteArray out;
    out.reserve(kHeaderSize);
    appendInt32Be(out, h.totlen);
    appendInt32Le(out, h.lineaSvc);
    put(out, h.reply);
    put(out, h.code);
    put(out, h.len);
    return out;
}

Header decodeHeader(const QByteArray &bytes, Link link)
{
    const bool be = link == Link::OperatorServer;
    const auto get = [&](qsizetype at) { return be ? readInt32Be(bytes, at) : readInt32Le(bytes, at); };
    return {readInt32Be(bytes, 0), readInt32Le(bytes, 4), get(8), get(12), get(16)};
}

QByteArray encodeRecordId(const RecordId &r)
{
    QByteArray out;
    out.reserve(kRecordIdSize);
    appendInt32Le(out, r.id);
    out += ansi::encode(r.contact).left(kContactSize).leftJustified(kContactSize, ' ');
    return out;
}

RecordId decodeRecordId(const QByteArray &bytes)
{
    return {readInt32Le(bytes, 0), ansi::decode(bytes.mid(4, kContactSize))};
}

Header replyHeader(qint32 code, int bodyLength, quint16 localPort, bool headerOnly)
{
    if (headerOnly)
        return {16, -1, localPort, code, 0};
    return {bodyLength + 40, -1, localPort, code, bodyLength + 24};
}

} // namespace packet
