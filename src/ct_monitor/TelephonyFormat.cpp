#include "ct_monitor/TelephonyFormat.h"

#include "dialer_link/FixedText.h"

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
    if (out.header.code == Time) {
        const qsizetype at = kLength + kHeaderFields;
        if (framed.size() < at + TimeRecord::Size)
            return wire::Status::tooShort(QStringLiteral("RecOra"), std::max<qsizetype>(0, framed.size() - at), TimeRecord::Size);
        out.time.time = fixedtext::daArrayAchar(framed.mid(at + TimeRecord::Time, 8), 8);
        for (int i = 0; i < 6; ++i)
            out.time.bytes[i] = static_cast<quint8>(framed[at + TimeRecord::Bytes + i]);
        return {};
    }
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
    const qsizetype at = kLength + kHeaderFields + (extended ? 16 : 0);
    if (framed.size() < at)
        return wire::Status::tooShort(QStringLiteral("Risposta OprSvr"), framed.size(), at);
    out.body = framed.mid(at);
    return {};
}

} // namespace telephony
