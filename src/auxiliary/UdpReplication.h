#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>

class Logger;
class QUdpSocket;

// The mirror of the monitor stream to a second copy of the program: every
// byte read on the monitor link is sent, in order and unchanged, as its own
// UDP datagram. Nothing is framed, acknowledged or retried.
//
// A datagram the peer refuses (the replica is not running) is ignored; any
// other send error is logged once and the mirror turns off: it never ends
// the program.
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

    // One datagram per byte.
    void send(const QByteArray &bytes);
    qint64 sent() const { return m_sent; }

Q_SIGNALS:
    void turnedOff();

private:
    void list2(const QString &text);

    Logger &m_log;
    QPointer<QUdpSocket> m_socket;
    QHostAddress m_host;
    quint16 m_port = 0;
    bool m_on = false;
    qint64 m_sent = 0;
};
