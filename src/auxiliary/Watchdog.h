#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "core/Ports.h"

class LinkSocket;
namespace wire {
class Reconnector;
}

// The watchdog's sending side: up to ten peers ("WatchDogIP0".."9", port
// 1526), each kept up by its Reconnector once the first check opens it,
// told the status report at each new connection and every minute. Nothing
// a peer sends is read; a peer that does not read gets no more reports
// once 64 KB wait for it.
class Watchdog : public QObject, public WatchdogPort {
    Q_OBJECT
public:
    static constexpr int kPeers = 10;
    static constexpr quint16 kPort = 1526;
    static constexpr qint64 kMaxPending = 64 * 1024;

    // `report`: the text to send, built when it is sent.
    explicit Watchdog(std::function<QString()> report, QObject *parent = nullptr);
    ~Watchdog() override;

    // WatchdogPort
    void setPeers(const std::map<int, QString> &hosts) override;
    void check() override;        // every second: a configured peer not yet opened is opened
    int firstPeerState() const override;
    void sendReport() override;   // every minute, and at each connection

    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    // Shorter waits between attempts, for tests.
    void setRetryWaits(int firstMs, int longestMs);
    bool inUse(int peer) const;
    int state(int peer) const;
    // Connections started towards `peer` so far.
    int attempts(int peer) const;
    // Bytes of reports waiting to go to `peer`.
    qint64 pending(int peer) const;
    qint64 reportsSent() const { return m_sent; }
    qint64 reportsSkipped() const { return m_skipped; }

Q_SIGNALS:
    // A peer is `down`, or back (one line each, for List2).
    void said(const QString &line, bool down);

private:
    struct Peer {
        QString host;
        std::unique_ptr<LinkSocket> socket;
        wire::Reconnector *reconnector = nullptr; // the socket's child
    };
    void drop(Peer &p);
    void create(Peer &p);

    std::function<QString()> m_report;
    std::array<Peer, kPeers> m_peers;
    quint16 m_port = kPort;
    int m_firstWaitMs;
    int m_longestWaitMs;
    qint64 m_sent = 0;
    qint64 m_skipped = 0;
};
