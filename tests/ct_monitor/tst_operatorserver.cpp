// The operator-server link: replies framed by their length and logged,
// unknown codes skipped alone, bad lengths drained, and commands that reach
// the server only when the link is up. (A reply that never completes is
// dropped by the reader both links share: the monitor link's test.)
#include <QtTest>

#include "../support/Bytes.h"
#include "../support/Loopback.h"
#include "LinkLog.h"

#include <optional>

#include "ct_monitor/OperatorServerLink.h"
#include "telephony_sim/SimBytes.h"

namespace {

// A reply as the server sends it: header all big-endian, Len equal to
// Totlen unless given.
QByteArray reply(qint32 code, const QByteArray &body, std::optional<qint32> len = std::nullopt)
{
    const qint32 totlen = 16 + qint32(body.size());
    return be32(totlen) + be32(-1) + be32(20600) + be32(code) + be32(len.value_or(totlen)) + body;
}

struct Fixture : LinkLog {
    OperatorServerLink link{log, debug, settings};
};

} // namespace

class TestOperatorServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repliesAreLoggedAndUnknownCodesSkippedWhateverTheSplit();
    void integerRepliesAreLoggedOnlyAtDebugLevel();
    void badLengthIsLoggedAndDrained_data();
    void badLengthIsLoggedAndDrained();
    void commandReachesTheServerOnlyWhenConnected();
    void aLostLinkComesBackByItselfSayingSoOnce();
};

void TestOperatorServer::repliesAreLoggedAndUnknownCodesSkippedWhateverTheSplit()
{
    // The 16 bytes after the header of a 56003 are not part of its text.
    const QByteArray message = reply(56003, QByteArray(16, 'h') + QByteArray("Operatore 12 loggato\0\0\0", 23));
    const QByteArray list = reply(56004, be32(101) + be32(102), 8);
    // Codes nobody knows, with a body and without: only their own packet is skipped.
    const QByteArray stream = message + reply(56099, QByteArray(30, 'u')) + list + reply(55555, {})
        + simbytes::operatorMessage(QStringLiteral("secondo"));
    const QStringList expected{QStringLiteral("56003 msg=Operatore 12 loggato"), QStringLiteral("DA WS4= MSG SCONOSC=56099"),
                               QStringLiteral("56004 Ricevuta lista grp e interni -  tot=2"), QStringLiteral("DA WS4= MSG SCONOSC=55555"),
                               QStringLiteral("56003 msg=secondo")};
    Fixture f;
    QSignalSpy replied(&f.link, &OperatorServerLink::replied);
    for (int cut = 0; cut <= stream.size(); ++cut) {
        f.list.clear();
        replied.clear();
        f.link.feed(stream.left(cut));
        f.link.feed(stream.mid(cut));
        QVERIFY2(f.list.lines() == expected, qPrintable(QStringLiteral("cut at ") + QString::number(cut) + QLatin1Char('\n')
                                                        + f.list.lines().join(u'\n')));
        QList<int> codes;
        for (const QList<QVariant> &args : std::as_const(replied))
            codes << args[0].toInt();
        QCOMPARE(codes, (QList<int>{56003, 56099, 56004, 55555, 56003}));
    }
}

void TestOperatorServer::integerRepliesAreLoggedOnlyAtDebugLevel()
{
    Fixture f;
    const QByteArray integers = reply(56001, be32(7) + be32(-9));
    f.link.feed(integers);
    QVERIFY(f.list.lines().isEmpty());

    f.model.debugLevel.setText(QStringLiteral("1"));
    f.link.feed(integers);
    QCOMPARE(f.endingWith(QStringLiteral("RICEVUTO 56001 IN BODY 7")).size(), 1);
    const QStringList second = f.endingWith(QStringLiteral("(e -9"));
    QCOMPARE(second.size(), 1);
    QVERIFY(f.list.lines().indexOf(second.first()) > f.list.lines().indexOf(f.endingWith(QStringLiteral("IN BODY 7")).first()));

    // A body too short for its two integers is refused, not read as zeros.
    f.list.clear();
    f.link.feed(reply(56001, be32(7)));
    QCOMPARE(f.endingWith(QStringLiteral("DA WS4= PROBLEMA Risposta 56001 troppo corto: 4 byte, attesi 8")).size(), 1);
    QVERIFY(f.endingWith(QStringLiteral("(e 0")).isEmpty());

    // A list of five integers: its count is Len (36, as the server sends it) over four.
    f.list.clear();
    const QByteArray body = be32(3) + be32(101) + be32(102) + be32(0x01020304) + be32(-1);
    f.link.feed(reply(56004, body));
    QCOMPARE(f.endingWith(QStringLiteral("56004 Ricevuta lista grp e interni -  tot=9")).size(), 1);
    QStringList values;
    for (const QString &line : f.list.lines()) {
        const qsizetype at = line.indexOf(QStringLiteral("56004 RIC "));
        if (at >= 0)
            values << line.mid(at + 10);
    }
    QCOMPARE(values, (QStringList{QStringLiteral("3"), QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("16909060"),
                                  QStringLiteral("-1")}));

    // A list that ends inside an integer is refused whole.
    f.list.clear();
    f.link.feed(reply(56004, body.left(6)));
    QCOMPARE(f.endingWith(QStringLiteral("DA WS4= PROBLEMA Risposta 56004 troppo corto: 6 byte, attesi 8")).size(), 1);
    QVERIFY(f.endingWith(QStringLiteral("tot=")).isEmpty());
}

void TestOperatorServer::badLengthIsLoggedAndDrained_data()
{
    QTest::addColumn<qint32>("length");
    QTest::addColumn<QString>("problem");
    const QString zero = QStringLiteral("DA WS4= PROBLEMA PacketLen4=0 RX = ");
    QTest::newRow("zero") << 0 << zero;
    QTest::newRow("negative") << -5 << zero;
    QTest::newRow("above 3100") << 3101 << QStringLiteral("DA WS4= PROBLEMA PacketLen4>3100 RX = ");
    QTest::newRow("far above") << 0x7fffffff << QStringLiteral("DA WS4= PROBLEMA PacketLen4>3100 RX = ");
    QTest::newRow("shorter than the header") << 10 << QStringLiteral("DA WS4= PROBLEMA");
}

void TestOperatorServer::badLengthIsLoggedAndDrained()
{
    QFETCH(qint32, length);
    QFETCH(QString, problem);
    Fixture f;
    // Ten bytes of junk, then a good packet: pending too, so thrown away.
    f.link.feed(be32(length) + QByteArray(10, 'j') + simbytes::operatorMessage(QStringLiteral("perso")));
    QVERIFY2(!f.startingWith(problem).isEmpty(), qPrintable(f.list.lines().join(u'\n')));
    QVERIFY(!f.has(QStringLiteral("56003 msg=perso")));
    QVERIFY(QFile(f.debug.path()).size() > 0);

    f.link.feed(simbytes::operatorMessage(QStringLiteral("dopo")));
    QVERIFY2(f.has(QStringLiteral("56003 msg=dopo")), qPrintable(f.list.lines().join(u'\n')));
}

void TestOperatorServer::commandReachesTheServerOnlyWhenConnected()
{
    Fixture f;
    const telephony::OpCommandBody command{2, 205, QStringLiteral("1001"), QStringLiteral("segreta")};

    // Closed: nothing goes out.
    f.link.sendCommand(command);
    QVERIFY(f.has(QStringLiteral("Socket non connessa")));
    QVERIFY(!f.list.lines().join(u'\n').contains(QStringLiteral("segreta")));

    ScriptedHost server;
    QSignalSpy connected(&f.link.socket(), &LinkSocket::connected);
    f.link.connectTo(QStringLiteral("127.0.0.1"), server.server.serverPort());
    QVERIFY(connected.wait(10000));
    QVERIFY(server.connected());

    // Connected: 55007 with the extension, then 55006 with the command, each
    // naming the link's own port.
    f.list.clear();
    f.link.sendCommand(command);
    QVERIFY(!f.has(QStringLiteral("Socket non connessa")));
    const quint16 port = f.link.socket().localPort();
    QVERIFY(server.heard(telephony::encodeOpExtension(205, port) + telephony::encodeOpCommand(command, port)));
    QCOMPARE(server.got.size(), 24 + 54);
    QVERIFY(!f.list.lines().join(u'\n').contains(QStringLiteral("segreta")));

    // Closed again: the server sees the link go and nothing more.
    QSignalSpy gone(server.peer, &QTcpSocket::disconnected);
    f.link.close();
    f.list.clear();
    f.link.sendCommand(command);
    QVERIFY(f.has(QStringLiteral("Socket non connessa")));
    QVERIFY(gone.wait(10000));
    QCOMPARE(server.got.size(), 24 + 54);
}

void TestOperatorServer::aLostLinkComesBackByItselfSayingSoOnce()
{
    Fixture f;
    f.link.reconnector().setWaits(50, 200);
    ScriptedHost server;
    const quint16 port = server.server.serverPort();
    QSignalSpy accepted(&server.server, &QTcpServer::newConnection);
    f.link.connectTo(QStringLiteral("127.0.0.1"), port);
    QVERIFY(accepted.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(f.link.isConnected(), 10000);

    // The server restarts: the link is lost, refused a few times, each wait
    // twice the one before up to the longest (an error and its close are
    // one failure), and it comes back unasked.
    QList<int> waits;
    connect(&f.link.reconnector(), &wire::Reconnector::attempted, this,
            [&] { waits << f.link.reconnector().nextWaitMs(); });
    server.server.close();
    server.peer->abort();
    QTRY_VERIFY_WITH_TIMEOUT(waits.size() >= 4, 10000);
    QCOMPARE(waits.mid(0, 4), (QList<int>{50, 100, 200, 200}));
    QVERIFY(server.server.listen(QHostAddress::LocalHost, port));
    QVERIFY(accepted.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(f.link.isConnected(), 10000);
    QCOMPARE(f.list.lines().filter(QStringLiteral("Collegamento OprSrv non disponibile (")).size(), 1);
    QCOMPARE(f.list.lines().filter(QStringLiteral("Collegamento OprSrv ripristinato")).size(), 1);
    f.link.sendCommand({1, 105, QStringLiteral("777"), QString()});
    QVERIFY(!f.has(QStringLiteral("Socket non connessa")));

    // Closed by hand, it stays closed.
    f.link.close();
    QCOMPARE(f.link.state(), 0);
    QVERIFY(!f.link.reconnector().retrying());
    QVERIFY(!f.link.reconnector().wanted());
}

QTEST_GUILESS_MAIN(TestOperatorServer)
#include "tst_operatorserver.moc"
