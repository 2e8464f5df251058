#include "auxiliary/Watchdog.h"

#include "wire/AnsiCodec.h"
#include "wire/LinkSocket.h"
#include "wire/Reconnector.h"

Watchdog::Watchdog(std::function<QString()> report, QObject *parent)
    : QObject(parent), m_report(std::move(report)), m_firstWaitMs(wire::Reconnector::kFirstWaitMs),
      m_longestWaitMs(wire::Reconnector::kLongestWaitMs)
{
}

Watchdog::~Watchdog() = default;

void Watchdog::setPeers(const std::map<int, QString> &hosts)
{
    for (int i = 0; i < kPeers; ++i) {
        Peer &p = m_peers[size_t(i)];
        const auto it = hosts.find(i);
        const QString host = it == hosts.end() ? QString() : it->second.trimmed();
        if (host == p.host)
            continue;
        drop(p);
        p.host = host;
        if (!host.isEmpty())
            create(p);
    }
}

void Watchdog::drop(Peer &p)
{
    if (!p.socket)
        return;
    p.reconnector->close();
    p.reconnector = nullptr;
    // Later, in case this runs from one of the socket's own signals.
    p.socket.release()->deleteLater();
}

void Watchdog::create(Peer &p)
{
    p.socket = std::make_unique<LinkSocket>(QStringLiteral("WInsockWatchDog"));
    LinkSocket *socket = p.socket.get();
    p.reconnector = new wire::Reconnector(*socket, QStringLiteral("WatchDog ") + p.host, socket);
    p.reconnector->setTarget(p.host, m_port);
    p.reconnector->setWaits(m_firstWaitMs, m_longestWaitMs);
    connect(p.reconnector, &wire::Reconnector::said, this, &Watchdog::said);
    // WorkWatchDog at every connection: everybody connected hears the report.
    connect(socket, &LinkSocket::connected, this, &Watchdog::sendReport);
    // What a peer says is not acted upon, but read and thrown away: left
    // unread it would stop the socket noticing that the peer has closed.
    connect(socket, &LinkSocket::readyRead, socket, [socket] {
        while (socket->bytesAvailable() > 0)
            socket->read(LinkSocket::kReadBuffer);
    });
}

void Watchdog::setRetryWaits(int firstMs, int longestMs)
{
    m_firstWaitMs = firstMs;
    m_longestWaitMs = longestMs;
    for (Peer &p : m_peers) {
        if (p.reconnector)
            p.reconnector->setWaits(firstMs, longestMs);
    }
}

bool Watchdog::inUse(int peer) const
{
    return peer >= 0 && peer < kPeers && !m_peers[size_t(peer)].host.isEmpty();
}

int Watchdog::state(int peer) const
{
    return inUse(peer) && m_peers[size_t(peer)].socket ? m_peers[size_t(peer)].socket->state() : 0;
}

int Watchdog::attempts(int peer) const
{
    return inUse(peer) && m_peers[size_t(peer)].reconnector ? m_peers[size_t(peer)].reconnector->attempts() : 0;
}

qint64 Watchdog::pending(int peer) const
{
    return inUse(peer) && m_peers[size_t(peer)].socket ? m_peers[size_t(peer)].socket->bytesToWrite() : 0;
}

int Watchdog::firstPeerState() const
{
    return state(0);
}

void Watchdog::check()
{
    for (Peer &p : m_peers) {
        if (p.reconnector && !p.reconnector->wanted()) {
            p.reconnector->setTarget(p.host, m_port); // the port may have been set since
            p.reconnector->open();
        }
    }
}

void Watchdog::sendReport()
{
    QByteArray bytes;
    for (Peer &p : m_peers) {
        if (p.host.isEmpty() || !p.socket || !p.socket->isConnected())
            continue;
        if (p.socket->bytesToWrite() > kMaxPending) {
            ++m_skipped; // this peer reads nothing: it gets no more until it does
            continue;
        }
        if (bytes.isEmpty())
            bytes = ansi::encode(m_report ? m_report() : QString());
        p.socket->write(bytes);
        ++m_sent;
    }
}
