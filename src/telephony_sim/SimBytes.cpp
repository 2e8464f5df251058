#include "telephony_sim/SimBytes.h"

#include <QtEndian>

namespace simbytes {
namespace {

void be(QByteArray &out, qint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

void le(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Latin-1 is enough for what the simulator names; padded with NULs.
void text(QByteArray &out, const QString &value, int width)
{
    QByteArray bytes = value.toLatin1().left(width);
    bytes.append(QByteArray(width - bytes.size(), '\0'));
    out += bytes;
}

// Header of the monitor link: every field big-endian; Len as the server
// sends it, equal to Totlen.
QByteArray packet(qint32 code, const QByteArray &afterHeader)
{
    const qint32 totlen = 16 + qint32(afterHeader.size());
    QByteArray out;
    be(out, totlen);
    be(out, -1);
    be(out, 9992);
    be(out, code);
    be(out, totlen);
    return out + afterHeader;
}

QByteArray testa(int subcode, int count)
{
    QByteArray out;
    le(out, subcode);
    le(out, 0);
    le(out, 0);
    le(out, 0);
    le(out, count);
    return out;
}

QByteArray extension(const Extension &e)
{
    QByteArray r;
    le(r, 0);
    le(r, e.number);
    le(r, 0);
    text(r, e.agent, 13);
    text(r, e.description, 33);
    text(r, e.logState, 23);
    text(r, e.actionState, 23);
    text(r, e.lineState, 23);
    text(r, e.acdState, 36);
    text(r, QString::number(e.number), 22);
    for (int slot = 0; slot < 36; ++slot) {
        r.append('\0');
        r.append(char(slot < e.groups.size() ? e.groups[slot] : 0));
    }
    r.append(QByteArray(145, '\0'));
    text(r, e.loginTime, 8);
    r.append(QByteArray(2, '\0'));
    Q_ASSERT(r.size() == 412);
    return r;
}

QByteArray group(const Group &g)
{
    QByteArray r;
    le(r, g.number);
    r.append(QByteArray(8, '\0'));
    le(r, g.third);
    r.append(QByteArray(16, '\0'));
    text(r, g.name, 16);
    r.append('\0');
    le(r, g.logged);
    le(r, g.free);
    le(r, 0);
    Q_ASSERT(r.size() == 61);
    return r;
}

} // namespace

QByteArray extensions(int subcode, const QList<Extension> &records)
{
    QByteArray body = testa(subcode, int(records.size()));
    for (const Extension &e : records)
        body += extension(e);
    return packet(25000, body);
}

QByteArray groups(int subcode, const QList<Group> &records)
{
    QByteArray body = testa(subcode, int(records.size()));
    for (const Group &g : records)
        body += group(g);
    return packet(25000, body);
}

QByteArray time(const QString &hhmmss)
{
    QByteArray body;
    text(body, hhmmss, 8);
    body.append("\x01\x02\x03\x04\x05\x06", 6);
    return packet(25002, body);
}

QByteArray unknownCode(int code)
{
    return packet(code, QByteArray(14, 'u')); // the length of a time message
}

QByteArray operatorMessage(const QString &text)
{
    QByteArray body(16, '\0'); // the header's extension for 56002 and 56003
    body += text.toLatin1();
    return packet(56003, body);
}

bool takeCommand(QByteArray &stream, Command &out)
{
    if (stream.size() < 20)
        return false;
    const qint32 totlen = qFromBigEndian<qint32>(stream.constData());
    if (totlen < 16 || totlen > 3100) {
        stream.clear(); // nothing sensible follows
        return false;
    }
    if (stream.size() < 4 + totlen)
        return false;
    out = {};
    out.code = qFromBigEndian<qint32>(stream.constData() + 12);
    const QByteArray body = stream.mid(20, totlen - 16);
    stream.remove(0, 4 + totlen);
    const auto int32 = [&](int at) { return at + 4 <= body.size() ? qFromBigEndian<qint32>(body.constData() + at) : 0; };
    const auto str = [&](int at, int width) {
        QByteArray b = body.mid(at, width);
        const qsizetype nul = b.indexOf('\0');
        return QString::fromLatin1(nul < 0 ? b : b.left(nul)).trimmed();
    };
    if (out.code == 55007) {
        out.extension = int32(0);
    } else if (out.code == 55006) {
        out.subcode = int32(0);
        out.extension = int32(4);
        out.op = str(8, 13);
        out.password = str(21, 13);
    }
    return true;
}

} // namespace simbytes
