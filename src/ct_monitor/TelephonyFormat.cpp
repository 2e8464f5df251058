#include "ct_monitor/TelephonyFormat.h"

#include "wire/AnsiCodec.h"
#include "wire/FixedText.h"

#include <QtEndian>

namespace telephony {
namespace {

constexpr int kLength = packet::kLengthFieldSize;
constexpr int kHeaderFields = packet::kHeaderSize - kLength; // LineaSVC, Reply, Code, Len

qint32 le(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}

QString text(const QByteArray &b, qsizetype at, int width)
{
    return fixedtext::pulisciStringa(b.mid(at, width));
}

ExtensionRecord extensionAt(const QByteArray &b, qsizetype at)
{
    using R = ExtensionRecord;
    R r;
    r.number = le(b, at + R::Number);
    r.agent = text(b, at + R::Agent, R::AgentWidth);
    r.description = text(b, at + R::Description, R::DescriptionWidth);
    r.logState = text(b, at + R::LogState, R::StateWidth);
    r.actionState = text(b, at + R::ActionState, R::StateWidth);
    r.lineState = text(b, at + R::LineState, R::StateWidth);
    r.acdState = text(b, at + R::AcdState, R::AcdWidth);
    r.numberText = text(b, at + R::NumberText, R::NumberTextWidth);
    for (int slot = 0; slot < R::GroupSlots; ++slot)
        r.groups.append(static_cast<quint8>(b[at + R::Groups + 2 * slot + 1]));
    r.loginTime = text(b, at + R::LoginTime, R::LoginWidth);
    return r;
}

GroupRecord groupAt(const QByteArray &b, qsizetype at)
{
    using R = GroupRecord;
    R r;
    r.number = le(b, at + R::Number);
    r.third = le(b, at + R::Third);
    r.name = text(b, at + R::Name, R::NameWidth);
    r.logged = le(b, at + R::Logged);
    r.free = le(b, at + R::Free);
    r.further = le(b, at + R::Further);
    return r;
}

void putLe(QByteArray &b, qsizetype at, qint32 v)
{
    qToLittleEndian<qint32>(v, b.data() + at);
}

void putText(QByteArray &b, qsizetype at, const QString &value, int width)
{
    b.replace(at, width, fixedtext::completaStringa(value, width));
}

QByteArray extensionBytes(const ExtensionRecord &r)
{
    using R = ExtensionRecord;
    QByteArray b(R::Size, '\0');
    putLe(b, R::Number, r.number);
    putText(b, R::Agent, r.agent, R::AgentWidth);
    putText(b, R::Description, r.description, R::DescriptionWidth);
    putText(b, R::LogState, r.logState, R::StateWidth);
    putText(b, R::ActionState, r.actionState, R::StateWidth);
    putText(b, R::LineState, r.lineState, R::StateWidth);
    putText(b, R::AcdState, r.acdState, R::AcdWidth);
    putText(b, R::NumberText, r.numberText, R::NumberTextWidth);
    // The decoder reads only the second byte of a slot.
    for (int slot = 0; slot < R::GroupSlots && slot < r.groups.size(); ++slot)
        b[R::Groups + 2 * slot + 1] = static_cast<char>(r.groups[slot]);
    putText(b, R::LoginTime, r.loginTime, R::LoginWidth);
    return b;
}

QByteArray groupBytes(const GroupRecord &r)
{
    using R = GroupRecord;
    QByteArray b(R::Size, '\0');
    putLe(b, R::Number, r.number);
    putLe(b, R::Third, r.third);
    putText(b, R::Name, r.name, R::NameWidth);
    putLe(b, R::Logged, r.logged);
    putLe(b, R::Free, r.free);
    putLe(b, R::Further, r.further);
    return b;
}

QByteArray subHeaderBytes(const MonitorHeader &sub)
{
    QByteArray b(MonitorHeader::Size, '\0');
    putLe(b, MonitorHeader::Subcode, sub.subcode);
    for (int i = 0; i < 3; ++i)
        putLe(b, MonitorHeader::Words + 4 * i, sub.words[i]);
    putLe(b, MonitorHeader::Count, sub.count);
    return b;
}

// The server's header. Reply is the monitor port on all it sends, the
// operator server's replies included; the program never reads it.
QByteArray serverPacket(qint32 code, const QByteArray &body)
{
    const qint32 totlen = kHeaderFields + qint32(body.size());
    return packet::encodeHeader({totlen, -1, kMonitorPort, code, totlen}, packet::Link::Monitor) + body;
}

// RecOra, after the header of a 25002.
wire::Status decodeTime(const QByteArray &framed, MonitorPacket &out)
{
    const qsizetype at = kLength + kHeaderFields;
    if (framed.size() < at + TimeRecord::Size)
        return wire::Status::tooShort(QStringLiteral("RecOra"), std::max<qsizetype>(0, framed.size() - at), TimeRecord::Size);
    out.time.time = fixedtext::daArrayAchar(framed.mid(at + TimeRecord::Time, TimeRecord::TimeWidth), TimeRecord::TimeWidth);
    for (int i = 0; i < TimeRecord::ByteCount; ++i)
        out.time.bytes[i] = static_cast<quint8>(framed[at + TimeRecord::Bytes + i]);
    return {};
}

} // namespace

bool pacchettoBuono(qint32 length)
{
    return length == 30 || length == 97 || length == 280 || length == 448 || length == 2508;
}

wire::Status decodeMonitor(const QByteArray &framed, MonitorPacket &out)
{
    out = {};
    if (wire::Status s = packet::decodeHeader(framed, out.header, packet::Link::Monitor); !s.ok())
        return s;
    const qsizetype framedAfterLength = framed.size() - kLength;
    if (out.header.code == Time)
        return decodeTime(framed, out);
    if (out.header.code != Monitor)
        return {}; // the caller reports the unknown code
    const qsizetype subAt = kLength + kHeaderFields;
    if (framed.size() < subAt + MonitorHeader::Size)
        return wire::Status::tooShort(QStringLiteral("TestaMonitor"), std::max<qsizetype>(0, framed.size() - subAt),
                                      MonitorHeader::Size);
    out.sub.subcode = le(framed, subAt + MonitorHeader::Subcode);
    for (int i = 0; i < 3; ++i)
        out.sub.words[i] = le(framed, subAt + MonitorHeader::Words + 4 * i);
    out.sub.count = le(framed, subAt + MonitorHeader::Count);
    // The records fill what Len announces after the 36 header bytes, but
    // never more than the packet holds.
    const qsizetype first = subAt + MonitorHeader::Size;
    const qsizetype announced = std::max<qsizetype>(0, qsizetype(out.header.len) - (kHeaderFields + MonitorHeader::Size));
    const qsizetype bytes = std::min(announced, framedAfterLength - (kHeaderFields + MonitorHeader::Size));
    const bool extensions = out.sub.subcode == ExtensionConfig || out.sub.subcode == ExtensionChange;
    const bool groups = out.sub.subcode == GroupConfig || out.sub.subcode == GroupChange;
    if (!extensions && !groups)
        return wire::Status::refused(QStringLiteral("sottocodice sconosciuto ") + QString::number(out.sub.subcode));
    const int size = extensions ? ExtensionRecord::Size : GroupRecord::Size;
    qsizetype at = first;
    for (; at + size <= first + bytes; at += size) {
        if (extensions)
            out.extensions.append(extensionAt(framed, at));
        else
            out.groups.append(groupAt(framed, at));
    }
    out.leftOver = first + bytes - at;
    return {};
}

QByteArray encodeExtensions(const MonitorHeader &sub, const QList<ExtensionRecord> &records)
{
    QByteArray body = subHeaderBytes(sub);
    for (const ExtensionRecord &r : records)
        body += extensionBytes(r);
    return serverPacket(Monitor, body);
}

QByteArray encodeGroups(const MonitorHeader &sub, const QList<GroupRecord> &records)
{
    QByteArray body = subHeaderBytes(sub);
    for (const GroupRecord &r : records)
        body += groupBytes(r);
    return serverPacket(Monitor, body);
}

QByteArray encodeTime(const TimeRecord &time)
{
    QByteArray body(TimeRecord::Size, '\0');
    putText(body, TimeRecord::Time, time.time, TimeRecord::TimeWidth);
    for (int i = 0; i < TimeRecord::ByteCount; ++i)
        body[TimeRecord::Bytes + i] = static_cast<char>(time.bytes[i]);
    return serverPacket(Time, body);
}

QByteArray encodeUnknown(qint32 code, int bodyLength)
{
    return serverPacket(code, QByteArray(std::max(0, bodyLength), 'u'));
}

QByteArray encodeOpExtension(qint32 extension, quint16 localPort)
{
    QByteArray body;
    packet::appendInt32Be(body, extension);
    return packet::encodeHeader({kHeaderFields + 4, -1, localPort, OpExtension, 4}, packet::Link::OperatorServer) + body;
}

QByteArray encodeOpCommand(const OpCommandBody &c, quint16 localPort)
{
    QByteArray body;
    packet::appendInt32Be(body, c.subcode);
    packet::appendInt32Be(body, c.extension);
    body += fixedtext::completaStringa(c.op, OpCommandBody::TextWidth);
    body += fixedtext::completaStringa(c.password, OpCommandBody::TextWidth);
    return packet::encodeHeader({kHeaderFields + OpCommandBody::Size, -1, localPort, OpCommand, OpCommandBody::Size},
                                packet::Link::OperatorServer)
        + body;
}

wire::Status decodeOpExtension(const QByteArray &body, qint32 &extension)
{
    if (body.size() < 4)
        return wire::Status::tooShort(QStringLiteral("OpExtension"), body.size(), 4);
    extension = qFromBigEndian<qint32>(body.constData());
    return {};
}

wire::Status decodeOpCommand(const QByteArray &body, OpCommandBody &out)
{
    if (body.size() < OpCommandBody::Size)
        return wire::Status::tooShort(QStringLiteral("OpCommand"), body.size(), OpCommandBody::Size);
    out.subcode = qFromBigEndian<qint32>(body.constData() + OpCommandBody::Subcode);
    out.extension = qFromBigEndian<qint32>(body.constData() + OpCommandBody::Extension);
    out.op = text(body, OpCommandBody::Operator, OpCommandBody::TextWidth);
    out.password = text(body, OpCommandBody::Password, OpCommandBody::TextWidth);
    return {};
}

wire::Status decodeOperatorReply(const QByteArray &framed, OperatorReply &out)
{
    out = {};
    if (wire::Status s = packet::decodeHeader(framed, out.header, packet::Link::Monitor); !s.ok())
        return s;
    const bool extended = out.header.code == ReplyCode || out.header.code == ReplyMessage;
    const qsizetype at = kLength + kHeaderFields + (extended ? OperatorReply::HeaderExtension : 0);
    if (framed.size() < at)
        return wire::Status::tooShort(QStringLiteral("Risposta OprSvr"), framed.size(), at);
    out.body = framed.mid(at);
    return {};
}

wire::Status decodeReplyPair(const QByteArray &body, ReplyPair &out)
{
    if (body.size() < ReplyPair::Size)
        return wire::Status::tooShort(QStringLiteral("Risposta 56001"), body.size(), ReplyPair::Size);
    out.first = packet::readInt32Be(body, ReplyPair::First);
    out.second = packet::readInt32Be(body, ReplyPair::Second);
    return {};
}

wire::Status decodeReplyList(const QByteArray &body, QList<qint32> &out)
{
    out.clear();
    if (body.size() % 4 != 0)
        return wire::Status::tooShort(QStringLiteral("Risposta 56004"), body.size(), (body.size() / 4 + 1) * 4);
    for (qsizetype at = 0; at < body.size(); at += 4)
        out.append(packet::readInt32Be(body, at));
    return {};
}

QString replyText(const QByteArray &body)
{
    return fixedtext::pulisciStringa(body);
}

QByteArray encodeOperatorMessage(const QString &text)
{
    return serverPacket(ReplyMessage, QByteArray(OperatorReply::HeaderExtension, '\0') + ansi::encode(text));
}

} // namespace telephony
