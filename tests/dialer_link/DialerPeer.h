#pragma once

// A fake dialer on loopback for tests: it listens, takes the program's
// connection, sends requests and reads replies through the program's own
// wire format, so a test never frames packets by hand.
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "dialer_link/Framer.h"
#include "dialer_link/PacketFormat.h"

class DialerPeer {
public:
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    Framer framer{{packet::kHeaderOnlyTotlen, packet::kMaxPacketLength}};
    qint32 nextId = 100;
    QString tag = QStringLiteral("FAKE-PD");

    DialerPeer() { server.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return server.serverPort(); }

    // Waits for the program to connect.
    bool accept(int ms = 20000)
    {
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, ms))
            return false;
        peer = server.nextPendingConnection();
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
    // The next whole packet; a zero header when none comes in time.
    packet::Packet receive(int ms = 20000)
    {
        packet::Packet p;
        Framer::Frame f;
        QTest::qWaitFor([&] {
            framer.append(peer->readAll());
            f = framer.next();
            return f.status != Framer::Frame::NeedMore;
        }, ms);
        if (f.status == Framer::Frame::Packet)
            packet::decodePacket(f.bytes, p);
        return p;
    }
};
