#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QPointer>

#include "dialer_link/ByteSource.h"

class QTcpSocket;

// A TCP client link that reports the socket states 0 to 9 of the original
// socket control: 0 closed, 4 resolving, 6 connecting, 7 connected,
// 8 closing, 9 error. After an error it stays at 9 until closed.
class LinkSocket : public QObject, public ByteSource {
    Q_OBJECT
public:
    static constexpr int kConnected = 7;
    static constexpr qint64 kReadBuffer = 64 * 1024;

    explicit LinkSocket(QString source, QObject *parent = nullptr);

    int state() const;
    bool isConnected() const override { return state() == kConnected; }
    quint16 localPort() const;
    // This end's IPv4 address while connected, empty otherwise.
    QString localAddress() const;
    QString peerName() const { return m_host; }
    qint64 bytesToWrite() const;
    qint64 bytesAvailable() const override;
    // At most `max` of the bytes received; the rest stay in the socket.
    QByteArray read(qint64 max) override;

    void connectTo(const QString &host, quint16 port);
    // Closes gracefully: bytes already written still reach the peer.
    void close();
    qint64 write(const QByteArray &bytes);

    // The error text of the original control: "#number description".
    struct Error {
        int number;
        QString description;
        qint32 scode;
        QString source;
    };
    static int winsockNumber(QAbstractSocket::SocketError error);

Q_SIGNALS:
    void connected();
    // Bytes wait to be read. Unread bytes push back on the peer: the socket
    // holds at most kReadBuffer of them and TCP does the rest.
    void readyRead();
    void errorOccurred(const LinkSocket::Error &error);
    void bytesWritten(qint64 bytes);

private:
    void onError(QAbstractSocket::SocketError error);

    QString m_source;
    QString m_host;
    QPointer<QTcpSocket> m_socket;
    bool m_error = false;
};
