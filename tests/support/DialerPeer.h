#pragma once

// A fake dialer on loopback for tests: it listens, takes the program's
// connection, sends requests and reads replies through the program's own
// wire format, so a test never frames packets by hand.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTimer>
#include <QTcpSocket>
#include <QtTest>

#include "dialer_link/PacketFormat.h"
#include "wire/Framer.h"

class DialerPeer {
public:
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    Framer framer{{packet::kHeaderOnlyTotlen, packet::kMaxPacketLength}};
    qint32 nextId = 100;
    QString tag = QStringLiteral("FAKE-PD");

    static constexpr qint64 kReadBuffer = 4096;

    DialerPeer() { server.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return server.serverPort(); }

    // Waits for the program to connect.
    bool accept(int ms = 20000)
    {
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, ms))
            return false;
        peer = server.nextPendingConnection();
        // A dialer that does not read must push back: its socket holds little.
        peer->setReadBufferSize(kReadBuffer);
        return true;
    }
    static QByteArray request(qint32 code, qint32 id, const QByteArray &body = {}, const QString &tag = QStringLiteral("FAKE-PD"))
    {
        return packet::encodePacket(packet::requestHeader(code, int(body.size()), 12000), {id, tag}, body);
    }
    // Sends one request; its id.
    qint32 send(qint32 code, const QByteArray &body = {})
    {
        const qint32 id = nextId++;
        peer->write(request(code, id, body, tag));
        return id;
    }
    // The next whole packet; a zero header when none comes in time. Waits
    // on the socket's own signals, so a long stream is read at its pace.
    packet::Packet receive(int ms = 20000)
    {
        packet::Packet p;
        QElapsedTimer clock;
        clock.start();
        Framer::Frame f;
        for (;;) {
            framer.append(peer->readAll());
            f = framer.next();
            const qint64 left = ms - clock.elapsed();
            if (f.status != Framer::Frame::NeedMore || left <= 0)
                break;
            QEventLoop wait;
            QTimer::singleShot(left, &wait, &QEventLoop::quit);
            QObject::connect(peer, &QTcpSocket::readyRead, &wait, &QEventLoop::quit);
            QObject::connect(peer, &QTcpSocket::disconnected, &wait, &QEventLoop::quit);
            wait.exec();
        }
        if (f.status == Framer::Frame::Packet)
            packet::decodePacket(f.bytes, p);
        return p;
    }
};
