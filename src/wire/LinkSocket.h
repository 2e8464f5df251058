#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QPointer>

#include "wire/ByteSource.h"
#include "wire/SocketState.h"

class QTcpSocket;

// A TCP link that reports the socket states 0 to 9 of the original socket
// control (socketstates): 0 closed, 4 resolving, 6 connecting, 7 connected,
// 8 closing, 9 error. After an error it stays at 9 until closed. A client
// link connects; a listener's accepted connection is adopted.
class LinkSocket : public QObject, public ByteSource {
    Q_OBJECT
public:
    static constexpr qint64 kReadBuffer = 64 * 1024;

    explicit LinkSocket(QString source, QObject *parent = nullptr);
    ~LinkSocket() override;

    int state() const;
    bool isConnected() const override { return state() == socketstates::kConnected; }
    quint16 localPort() const;
    // This end's IPv4 address while connected, empty otherwise.
    QString localAddress() const;
    // The host connected to, or the address of the peer adopted.
    QString peerName() const { return m_host; }
    qint64 bytesToWrite() const;
    qint64 bytesAvailable() const override;
    // At most `max` of the bytes received; the rest stay in the socket.
    QByteArray read(qint64 max) override;

    void connectTo(const QString &host, quint16 port);
    // Takes a connection a listener accepted (announced as connected()).
    void adopt(QTcpSocket *socket);
    // Closes gracefully: bytes already written still reach the peer.
    void close();
    // Closes at once, dropping what was not yet sent.
    void abort();
    qint64 write(const QByteArray &bytes);
    // What the socket holds unread before TCP pushes back (kReadBuffer).
    void setReadBufferSize(qint64 bytes);

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
    // The peer went away (after errorOccurred when it was a fault).
    void disconnected();
    void bytesWritten(qint64 bytes);

private:
    void attach(QTcpSocket *socket);
    void detach(bool graceful);
    void onError(QAbstractSocket::SocketError error);

    QString m_source;
    QString m_host;
    QPointer<QTcpSocket> m_socket;
    qint64 m_readBuffer = kReadBuffer;
    bool m_error = false;
};
