#pragma once

#include <QObject>
#include <QPointer>

class Logger;
class QUdpSocket;

// Winsock5 (towards the telephony server's UDP port 7777, pointed there at
// each operator-server connection) and Winsock6 (listening on local port
// 7777). Nothing is sent on them; what arrives is counted in the log and
// thrown away.
class ServerUdpSockets : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kPort = 7777;
    static constexpr int kPerTurn = 64; // datagrams read at one turn of the event loop

    ServerUdpSockets(Logger &log, QObject *parent = nullptr);

    // Winsock6 on `localPort` (7777), once; a port in use is logged once.
    void listen(quint16 localPort = kPort);
    // Winsock5 towards `host` on `port` (7777).
    void pointAt(const QString &host, quint16 port = kPort);
    void close();
    quint16 listeningPort() const;

Q_SIGNALS:
    void arrived(int socket, qint64 bytes);

private:
    void drain(QUdpSocket *socket, int number);

    Logger &m_log;
    QPointer<QUdpSocket> m_ws5;
    QPointer<QUdpSocket> m_ws6;
    bool m_refusedReported = false;
};
