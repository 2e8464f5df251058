// The ICMP messages of the ping, as bytes: the request we send, and which of
// the messages a socket receives answer it. Pure code, no socket.
#include "platform/Pinger.h"

#include <QtEndian>

namespace platform {
namespace {

constexpr quint8 kEchoRequest = 8;
constexpr quint8 kEchoReply = 0;
constexpr quint8 kUnreachable = 3, kSourceQuench = 4, kTimeExceeded = 11, kParameterProblem = 12;
constexpr quint8 kIcmpProtocol = 1;
constexpr int kIpHeader = 20, kIcmpHeader = 8;

quint16 checksum(const QByteArray &b)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i + 1 < b.size(); i += 2)
        sum += quint32(quint8(b[i]) << 8 | quint8(b[i + 1]));
    if (b.size() % 2)
        sum += quint32(quint8(b[b.size() - 1]) << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

// The length of the IPv4 header at `bytes`, or -1 when there is none whole.
qsizetype ipHeaderLength(const char *bytes, qsizetype size)
{
    if (size < kIpHeader || (quint8(bytes[0]) >> 4) != 4)
        return -1;
    const qsizetype length = (quint8(bytes[0]) & 0x0F) * 4;
    return length >= kIpHeader && length <= size ? length : -1;
}

// Where the ICMP message starts: a raw socket hands the IP header too; a
// datagram socket only the ICMP message on Linux, the header too elsewhere
// (an ICMP message starts with its type, never 0x4_ for those we read).
qsizetype icmpStart(const char *bytes, qsizetype size, Pinger::Kind kind)
{
    if (kind == Pinger::Kind::Raw || (size > 0 && (quint8(bytes[0]) >> 4) == 4))
        return ipHeaderLength(bytes, size);
    return 0;
}

} // namespace

QByteArray Pinger::echoRequest(quint16 id, quint16 sequence, const QByteArray &data)
{
    QByteArray packet(kIcmpHeader, '\0');
    packet[0] = char(kEchoRequest);
    qToBigEndian<quint16>(id, packet.data() + 4);
    qToBigEndian<quint16>(sequence, packet.data() + 6);
    packet += data;
    qToBigEndian<quint16>(checksum(packet), packet.data() + 2);
    return packet;
}

int Pinger::replyDataSize(const char *bytes, qsizetype size, Kind kind, quint16 id, quint16 sequence)
{
    const qsizetype at = icmpStart(bytes, size, kind);
    if (at < 0 || size - at < kIcmpHeader)
        return -1;
    const quint8 type = quint8(bytes[at]);
    const quint16 gotId = qFromBigEndian<quint16>(bytes + at + 4);
    const quint16 gotSequence = qFromBigEndian<quint16>(bytes + at + 6);
    if (type != kEchoReply || gotSequence != sequence || (kind != Kind::Datagram && gotId != id))
        return -1;
    return int(size - at - kIcmpHeader);
}

int Pinger::errorStatus(quint8 type, quint8 code)
{
    switch (type) {
    case kUnreachable:
        switch (code) {
        case 0: case 6: case 9: case 11: // network: unreachable, unknown, prohibited, for its service type
            return 11002;
        case 2:
            return 11004;
        case 3:
            return 11005;
        case 4: // fragmentation needed
            return 11009;
        case 5: // source route failed
            return 11012;
        default: // host: unreachable, unknown, isolated, prohibited, filtered
            return 11003;
        }
    case kTimeExceeded:
        return code == 1 ? 11014 : 11013;
    case kParameterProblem:
        return 11015;
    case kSourceQuench:
        return 11016;
    default:
        return 0;
    }
}

bool Pinger::isOurRequest(const char *echo, qsizetype size, Kind kind, quint16 id, quint16 sequence)
{
    if (size < kIcmpHeader || quint8(echo[0]) != kEchoRequest)
        return false;
    return qFromBigEndian<quint16>(echo + 6) == sequence && (kind == Kind::Datagram || qFromBigEndian<quint16>(echo + 4) == id);
}

int Pinger::quotedErrorStatus(const char *bytes, qsizetype size, Kind kind, quint16 id, quint16 sequence, quint32 target)
{
    const qsizetype at = icmpStart(bytes, size, kind);
    if (at < 0 || size - at < kIcmpHeader)
        return 0;
    const int status = errorStatus(quint8(bytes[at]), quint8(bytes[at + 1]));
    // The error quotes the IP header of the datagram it is about, then its
    // first 8 bytes: it must be our echo, sent to our target.
    const char *quoted = bytes + at + kIcmpHeader;
    const qsizetype rest = size - at - kIcmpHeader;
    const qsizetype header = ipHeaderLength(quoted, rest);
    if (status == 0 || header < 0 || quint8(quoted[9]) != kIcmpProtocol || qFromBigEndian<quint32>(quoted + 16) != target)
        return 0;
    return isOurRequest(quoted + header, rest - header, kind, id, sequence) ? status : 0;
}

} // namespace platform
