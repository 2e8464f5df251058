#include "auxiliary/Watchdog.h"

#include "wire/AnsiCodec.h"
#include "wire/LinkSocket.h"

Watchdog::Watchdog(std::function<QString()> report, QObject *parent) : QObject(parent), m_report(std::move(report)) {}

Watchdog::~Watchdog() = default;

void Watchdog::setPeers(const std::map<int, QString> &hosts)
{
    for (int i = 0; i < kPeers; ++i) {
        Peer &p = m_peers[size_t(i)];
        const auto it = hosts.find(i);
        const QString host = it == hosts.end() ? QString() : it->second.trimmed();
        if (host == p.host)
            continue;
        p.host = host;
        p.attempts = 0;
        // Later, in case this runs from one of the socket's own signals.
        if (p.socket)
            p.socket.release()->deleteLater();
        if (host.isEmpty())
            continue;
        p.socket = std::make_unique<LinkSocket>(QStringLiteral("WInsockWatchDog"));
        LinkSocket *socket = p.socket.get();
        // WorkWatchDog at every connection: everybody connected hears the report.
        connect(socket, &LinkSocket::connected, this, &Watchdog::sendReport);
        // What a peer says is not acted upon, but read and thrown away: left
        // unread it would stop the socket noticing that the peer has closed.
        connect(socket, &LinkSocket::readyRead, socket, [socket] {
            while (socket->bytesAvailable() > 0)
                socket->read(LinkSocket::kReadBuffer);
        });
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
    return inUse(peer) ? m_peers[size_t(peer)].attempts : 0;
}

qint64 Watchdog::pending(int peer) const
{
    return inUse(peer) && m_peers[size_t(peer)].socket ? m_peers[size_t(peer)].socket->bytesToWrite() : 0;
}

int Watchdog::firstPeerState() const
{
    return state(0);
}

void Watchdog::connectPeer(Peer &p)
{
    p.connecting.start();
    ++p.attempts;
    p.socket->connectTo(p.host, m_port);
}

void Watchdog::check()
{
    for (Peer &p : m_peers) {
        if (p.host.isEmpty() || !p.socket)
            continue;
        const int s = p.socket->state();
        if (s == socketstates::kConnected)
            continue;
        // A connection under way is given its time (a slow network, a peer
        // that drops packets) instead of being cut off every second.
        if ((s == socketstates::kResolving || s == socketstates::kConnecting) && p.connecting.isValid() && p.connecting.elapsed() < kConnectMs)
            continue;
        connectPeer(p);
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
