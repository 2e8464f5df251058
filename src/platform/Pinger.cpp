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
#ifdef Q_OS_LINUX
#include <cstring>
#include <linux/errqueue.h>
#endif

namespace platform {
namespace {

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
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
#ifdef Q_OS_LINUX
            // ICMP errors about our requests, queued apart (readErrorQueue).
            const int on = 1;
            ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
#endif
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
    // An error about our request ends the ping at once: a datagram socket
    // queues it apart, a raw socket reads it as a message below.
    if (const int status = readErrorQueue()) {
        finish(status);
        return;
    }
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
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            // A datagram socket reports a queued ICMP error once more this
            // way: the queue tells whether it is about this request.
            if (m_kind != Kind::Datagram)
                finish(kGeneralFailure);
            else if (const int status = readErrorQueue())
                finish(status);
            return;
        }
        const int size = replyDataSize(buffer, qsizetype(n), m_kind, m_id, m_sequence);
        if (size >= 0 && ntohl(from.sin_addr.s_addr) == m_target) {
            finish(kSuccess, size);
            return;
        }
        if (const int status = quotedErrorStatus(buffer, qsizetype(n), m_kind, m_id, m_sequence, m_target)) {
            finish(status);
            return;
        }
    }
#endif
}

int Pinger::readErrorQueue()
{
#ifdef Q_OS_LINUX
    if (m_kind != Kind::Datagram)
        return 0;
    for (int i = 0; i < 16; ++i) {
        char echo[576];
        alignas(cmsghdr) char control[512];
        sockaddr_in to{}; // the destination of the request the error is about
        iovec io{echo, sizeof echo};
        msghdr m{};
        m.msg_name = &to;
        m.msg_namelen = sizeof to;
        m.msg_iov = &io;
        m.msg_iovlen = 1;
        m.msg_control = control;
        m.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(m_fd, &m, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (n < 0)
            return 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
            if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err e;
            std::memcpy(&e, CMSG_DATA(c), sizeof e);
            if (e.ee_origin != SO_EE_ORIGIN_ICMP || ntohl(to.sin_addr.s_addr) != m_target
                || !isOurRequest(echo, qsizetype(n), m_kind, m_id, m_sequence))
                continue;
            if (const int status = errorStatus(e.ee_type, e.ee_code))
                return status;
        }
    }
#endif
    return 0;
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
