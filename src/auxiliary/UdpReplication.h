#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>

class Logger;
class QUdpSocket;

// The mirror of the monitor stream to a second copy of the program: every
// byte read on the monitor link is sent, in order and unchanged, as its own
// UDP datagram. Nothing is framed, acknowledged or retried.
//
// A datagram the peer refuses (the replica is not running) is ignored; any
// other send error is logged once and the mirror turns off: it never ends
// the program. Bytes wait in a bounded queue and leave at a steady rate
// ("ReplicaUDP_DatagrammiAlSecondo"): nothing acknowledges them, so a burst
// sent faster than the replica reads is lost in its socket. A queue left
// full is cut, once logged.
class UdpReplication : public QObject {
    Q_OBJECT
public:
    explicit UdpReplication(Logger &log, QObject *parent = nullptr);
    ~UdpReplication() override;

    // The target of a dotted address text, as the original reads it: host
    // names are not resolved and give 0.0.0.0.
    static QHostAddress address(const QString &text);

    // Closes an earlier mirror, then opens one towards `host` and `port`.
    // False (and "Connection failed !!!") for 0.0.0.0, port 0 or a socket
    // that cannot be connected.
    bool open(const QString &host, quint16 port);
    void close();
    bool isOn() const { return m_on; }
    QString target() const;

    static constexpr qsizetype kQueueLimit = 1024 * 1024;
    static constexpr int kFailuresBeforeOff = 64;
    // Datagrams a second unless set: a replica on this machine or across a
    // LAN keeps up with it (see docs/operations.md for the figures).
    static constexpr int kDefaultRate = 20000;
    static constexpr int kTickMs = 5;
    // Credit a late tick may spend at once: the replica's socket must take a
    // burst while its program is busy.
    static constexpr int kMaxBurstMs = 20;

    // Datagrams a second; 0 or less: the default.
    void setRate(int datagramsPerSecond);
    int rate() const { return m_rate; }

    // One datagram per byte, soon.
    void send(const QByteArray &bytes);
    qint64 sent() const { return m_sent; }
    qint64 dropped() const { return m_dropped; }
    qsizetype queued() const { return m_queue.size() - m_head; }

Q_SIGNALS:
    void turnedOff();

private:
    void list2(const QString &text);
    void sendSome();

    Logger &m_log;
    QPointer<QUdpSocket> m_socket;
    QHostAddress m_host;
    quint16 m_port = 0;
    bool m_on = false;
    qint64 m_sent = 0;
    qint64 m_dropped = 0;
    bool m_dropReported = false;
    int m_failures = 0; // sends failed in a row
    QByteArray m_queue;
    qsizetype m_head = 0;
    QTimer m_pump;
    int m_rate = kDefaultRate;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    double m_credit = 0; // datagrams that may leave now
};
