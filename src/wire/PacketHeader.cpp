#include "wire/PacketHeader.h"

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

} // namespace packet
