#include "telephony_sim/SimBytes.h"

#include "ct_monitor/TelephonyFormat.h"

namespace simbytes {
namespace {

telephony::MonitorHeader testa(int subcode, qsizetype count)
{
    telephony::MonitorHeader sub;
    sub.subcode = subcode;
    sub.count = qint32(count);
    return sub;
}

telephony::ExtensionRecord record(const Extension &e)
{
    telephony::ExtensionRecord r;
    r.number = e.number;
    r.agent = e.agent;
    r.description = e.description;
    r.logState = e.logState;
    r.actionState = e.actionState;
    r.lineState = e.lineState;
    r.acdState = e.acdState;
    r.numberText = QString::number(e.number);
    r.groups = e.groups;
    r.loginTime = e.loginTime;
    return r;
}

telephony::GroupRecord record(const Group &g)
{
    telephony::GroupRecord r;
    r.number = g.number;
    r.third = g.third;
    r.name = g.name;
    r.logged = g.logged;
    r.free = g.free;
    return r;
}

} // namespace

QByteArray extensions(int subcode, const QList<Extension> &records)
{
    QList<telephony::ExtensionRecord> out;
    out.reserve(records.size());
    for (const Extension &e : records)
        out.append(record(e));
    return telephony::encodeExtensions(testa(subcode, records.size()), out);
}

QByteArray groups(int subcode, const QList<Group> &records)
{
    QList<telephony::GroupRecord> out;
    out.reserve(records.size());
    for (const Group &g : records)
        out.append(record(g));
    return telephony::encodeGroups(testa(subcode, records.size()), out);
}

QByteArray time(const QString &hhmmss)
{
    telephony::TimeRecord t;
    t.time = hhmmss;
    for (int i = 0; i < telephony::TimeRecord::ByteCount; ++i)
        t.bytes[i] = quint8(i + 1); // only logged: any recognisable values do
    return telephony::encodeTime(t);
}

QByteArray unknownCode(int code)
{
    return telephony::encodeUnknown(code, telephony::TimeRecord::Size); // the length of a time message
}

QByteArray operatorMessage(const QString &text)
{
    return telephony::encodeOperatorMessage(text);
}

bool decodeCommand(const QByteArray &framed, Command &out)
{
    packet::Header h;
    if (!packet::decodeHeader(framed, h, packet::Link::OperatorServer).ok())
        return false;
    const QByteArray body = framed.mid(packet::kHeaderSize);
    out = {};
    out.code = h.code;
    if (h.code == telephony::OpExtension) {
        qint32 extension = 0;
        if (telephony::decodeOpExtension(body, extension).ok())
            out.extension = extension;
    } else if (h.code == telephony::OpCommand) {
        telephony::OpCommandBody c;
        if (telephony::decodeOpCommand(body, c).ok()) {
            out.subcode = c.subcode;
            out.extension = c.extension;
            out.op = c.op;
            out.password = c.password;
        }
    }
    return true;
}

} // namespace simbytes
