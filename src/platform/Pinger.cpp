#include "platform/Pinger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QtEndian>

#ifdef Q_OS_WIN
// The echo service of Windows (IcmpSendEcho) is left to that port: the
// program reports "not permitted" there until it is written.
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

constexpr quint8 kEchoRequest = 8;
constexpr quint8 kEchoReply = 0;

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
}

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

#ifndef Q_OS_WIN
// Non-blocking, and not handed to the programs this one starts (a raw
// socket is a privilege).
int openSocket(int type)
{
    const int fd = ::socket(AF_INET, type, IPPROTO_ICMP);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return fd;
}
#endif

// Four decimal numbers 0..255 joined by dots, nothing else.
bool dottedIpv4(const QString &text, quint32 &address)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    address = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        const uint value = part.toUInt();
        if (value > 255)
            return false;
        address = address << 8 | value;
    }
    return true;
}

} // namespace

Pinger::Pinger(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { finish(kTimedOut); });
    m_id = quint16(QCoreApplication::applicationPid() & 0xFFFF);
}

Pinger::~Pinger()
{
    closeSocket();
}

void Pinger::closeSocket()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
    }
    m_notifier = nullptr;
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
}

int Pinger::open(Kind kind, Kind &used)
{
#ifdef Q_OS_WIN
    Q_UNUSED(kind);
    used = Kind::Any;
    return -1;
#else
    // Unprivileged first: on Linux it needs the user's group in
    // net.ipv4.ping_group_range; then raw, which needs CAP_NET_RAW.
    if (kind != Kind::Raw) {
        const int fd = openSocket(SOCK_DGRAM);
        if (fd >= 0) {
            used = Kind::Datagram;
            return fd;
        }
    }
    if (kind != Kind::Datagram) {
        const int fd = openSocket(SOCK_RAW);
        if (fd >= 0) {
            used = Kind::Raw;
            return fd;
        }
    }
    used = Kind::Any;
    return -1;
#endif
}

bool Pinger::ping(const QString &address, const QByteArray &data, int timeoutMs, Kind kind)
{
    if (busy())
        return false;
    m_kind = Kind::Any;
    // A dotted IPv4 address only: a name is not resolved, nothing is sent.
    if (!dottedIpv4(address.trimmed(), m_target)) {
        QMetaObject::invokeMethod(this, [this] { finish(kBadAddress); }, Qt::QueuedConnection);
        m_fd = -2; // busy until the answer is out
        return true;
    }
    m_fd = open(kind, m_kind);
    if (m_fd < 0) {
        m_fd = -2;
        QMetaObject::invokeMethod(this, [this] { finish(kNotPermitted); }, Qt::QueuedConnection);
        return true;
    }
#ifndef Q_OS_WIN
    ++m_sequence;
    const QByteArray packet = echoRequest(m_id, m_sequence, data);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(m_target);
    m_sentNs = nowNs();
    if (::sendto(m_fd, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to) < 0) {
        const int error = errno;
        closeSocket();
        m_fd = -2;
        const int status = error == EACCES || error == EPERM ? kNotPermitted : error == ENETUNREACH ? 11002
                                                                              : error == EHOSTUNREACH ? 11003
                                                                                                      : kGeneralFailure;
        QMetaObject::invokeMethod(this, [this, status] { finish(status); }, Qt::QueuedConnection);
        return true;
    }
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Pinger::onReadable);
    m_timeout.start(timeoutMs);
#endif
    return true;
}

void Pinger::onReadable()
{
#ifndef Q_OS_WIN
    char buffer[2048];
    // A raw socket sees every ICMP message of the host: a flood of others'
    // is read a bounded batch at a time, the event loop goes on between.
    for (int i = 0; i < 64; ++i) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                finish(kGeneralFailure);
            return;
        }
        const int size = replyDataSize(buffer, qsizetype(n), m_kind, m_id, m_sequence);
        if (size < 0 || ntohl(from.sin_addr.s_addr) != m_target)
            continue;
        finish(kSuccess, size);
        return;
    }
#endif
}

bool Pinger::permitted(Kind kind)
{
    Kind used = Kind::Any;
    const int fd = open(kind, used);
    if (fd < 0)
        return false;
#ifndef Q_OS_WIN
    ::close(fd);
#endif
    return true;
}

QByteArray Pinger::echoRequest(quint16 id, quint16 sequence, const QByteArray &data)
{
    QByteArray packet(8, '\0');
    packet[0] = char(kEchoRequest);
    qToBigEndian<quint16>(id, packet.data() + 4);
    qToBigEndian<quint16>(sequence, packet.data() + 6);
    packet += data;
    qToBigEndian<quint16>(checksum(packet), packet.data() + 2);
    return packet;
}

int Pinger::replyDataSize(const char *bytes, qsizetype size, Kind kind, quint16 id, quint16 sequence)
{
    qsizetype at = 0;
    // A raw socket hands the IP header too; a datagram socket only the ICMP
    // message on Linux, the header too elsewhere (an echo reply starts with
    // type 0, an IPv4 header with 0x4_).
    if (kind == Kind::Raw || (size > 0 && (quint8(bytes[0]) >> 4) == 4)) {
        if (size < 20)
            return -1;
        at = (quint8(bytes[0]) & 0x0F) * 4;
        if (at < 20)
            return -1;
    }
    if (size - at < 8)
        return -1;
    const quint8 type = quint8(bytes[at]);
    const quint16 gotId = qFromBigEndian<quint16>(bytes + at + 4);
    const quint16 gotSequence = qFromBigEndian<quint16>(bytes + at + 6);
    if (type != kEchoReply || gotSequence != sequence || (kind != Kind::Datagram && gotId != id))
        return -1;
    return int(size - at - 8);
}

void Pinger::finish(int status, int dataSize)
{
    if (m_fd == -1)
        return;
    m_timeout.stop();
    Result r;
    r.status = status;
    r.dataSize = dataSize;
    r.kind = m_kind;
    r.rttMs = status == kSuccess ? int((nowNs() - m_sentNs) / 1000000) : 0;
    closeSocket();
    Q_EMIT finished(r);
}

} // namespace platform
