#include "pbx_lines/PbxFormat.h"

#include "wire/AnsiCodec.h"
#include "wire/FixedText.h"

#include <QtEndian>

namespace pbx {
namespace {

constexpr int kBody = packet::kHeaderSize; // the body follows the 20-byte header
constexpr int kBlock = 24;                 // six integers before the 52000 records

qint32 be(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<qint32>(b.constData() + at);
}

LineRecord recordAt(const QByteArray &b, qsizetype at, bool lines)
{
    using R = LineRecord;
    R r;
    r.number = be(b, at + R::Number);
    r.first = be(b, at + R::First);
    r.state = be(b, at + R::State);
    r.second = be(b, at + R::Second);
    r.mask = lines ? 0 : be(b, at + R::Mask);
    r.name = fixedtext::pulisciStringa(b.mid(at + (lines ? R::LinesName : R::SingleName), R::NameWidth));
    return r;
}

QByteArray packetOf(qint32 code, const QByteArray &body)
{
    const qint32 len = qint32(body.size());
    return packet::encodeHeader({kBody - 4 + len, 0, 0, code, len}, packet::Link::Monitor) + body;
}

QByteArray recordBytes(const LineRecord &r, bool lines)
{
    using R = LineRecord;
    QByteArray b(lines ? R::LinesSize : R::SingleSize, '\0');
    const auto put = [&b](int at, qint32 v) { qToBigEndian<qint32>(v, b.data() + at); };
    put(R::Number, r.number);
    put(R::First, r.first);
    put(R::State, r.state);
    put(R::Second, r.second);
    if (!lines)
        put(R::Mask, r.mask);
    b.replace(lines ? R::LinesName : R::SingleName, R::NameWidth, fixedtext::completaStringa(r.name, R::NameWidth));
    return b;
}

} // namespace

QByteArray encodeLines(const QList<LineRecord> &records, const std::array<qint32, 6> &block)
{
    QByteArray body;
    for (qint32 v : block)
        packet::appendInt32Be(body, v);
    for (const LineRecord &r : records)
        body += recordBytes(r, true);
    return packetOf(Lines, body);
}

QByteArray encodeSingle(const QList<LineRecord> &records)
{
    QByteArray body;
    for (const LineRecord &r : records)
        body += recordBytes(r, false);
    return packetOf(LineOrExtension, body);
}

QByteArray encodeCall(const CallRecord &call)
{
    QByteArray body;
    for (qint32 v : call.values)
        packet::appendInt32Be(body, v);
    body += ansi::encode(call.text);
    return packetOf(CallMessage, body);
}

QByteArray encodeUnknown(qint32 code, int bodyLength)
{
    return packetOf(code, QByteArray(std::max(0, bodyLength), '\0'));
}

wire::Status decode(const QByteArray &framed, Packet &out)
{
    out = {};
    if (wire::Status s = packet::decodeHeader(framed, out.header, packet::Link::Monitor); !s.ok())
        return s;
    const qsizetype end = framed.size();
    switch (out.header.code) {
    case Lines:
    case LineOrExtension: {
        const bool lines = out.header.code == Lines;
        const qsizetype first = kBody + (lines ? kBlock : 0);
        if (end < first)
            return wire::Status::tooShort(QStringLiteral("Linee PBX"), end - kBody, first - kBody);
        const int size = lines ? LineRecord::LinesSize : LineRecord::SingleSize;
        qsizetype at = first;
        for (; at + size <= end; at += size)
            out.records.append(recordAt(framed, at, lines));
        out.leftOver = end - at;
        return {};
    }
    case CallMessage: {
        if (end < kBody + CallRecord::Integers)
            return wire::Status::tooShort(QStringLiteral("Messaggio PBX"), end - kBody, CallRecord::Integers);
        for (int i = 0; i < 4; ++i)
            out.call.values[i] = be(framed, kBody + 4 * i);
        const qsizetype at = kBody + CallRecord::Integers;
        const qsizetype announced = std::max<qsizetype>(0, qsizetype(out.header.len) - CallRecord::Integers);
        const QByteArray text = framed.mid(at, std::min(announced, end - at));
        out.call.width = text.size();
        out.call.text = fixedtext::pulisciStringa(text);
        return {};
    }
    default:
        return {};
    }
}

QString binary(qint32 mask)
{
    return QString::number(static_cast<quint32>(mask), 2);
}

QString cleanCallText(const QString &text)
{
    QString t = text;
    for (QChar &c : t) {
        if (c.unicode() < 32 || c.unicode() >= 127 || c == QLatin1Char('.')) // DEL is a control byte too
            c = QLatin1Char(' ');
    }
    return t.trimmed().replace(QStringLiteral("  "), QStringLiteral(" "));
}

QString printable(const QString &text)
{
    QString t = text;
    for (QChar &c : t) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return t;
}

} // namespace pbx
