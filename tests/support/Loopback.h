#pragma once

// Peers on loopback for the socket tests: a free port, a host that records
// what it hears, and a read to the other end's close.
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// What `s` receives until the other end closes. An answer the other end
// never finished is marked, so that it does not pass for a whole one.
inline QByteArray readToClose(QTcpSocket &s, QByteArray got = {})
{
    const bool closed = QTest::qWaitFor([&] {
        got += s.readAll();
        return s.state() == QAbstractSocket::UnconnectedState;
    }, 20000);
    return closed ? got + s.readAll() : "not closed: " + got;
}

// A host that takes a connection, says what it is told and records what it hears.
struct ScriptedHost {
    QTcpServer server;
    QPointer<QTcpSocket> peer;
    QByteArray got;

    ScriptedHost()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [this] { got += peer->readAll(); });
        });
    }
    QString port() const { return QString::number(server.serverPort()); }
    bool connected() { return QTest::qWaitFor([this] { return bool(peer); }, 20000); }
    void say(const QByteArray &bytes) { peer->write(bytes); }
    bool heard(const QByteArray &bytes)
    {
        return QTest::qWaitFor([&] { return got.contains(bytes); }, 20000);
    }
};
