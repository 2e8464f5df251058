// The mirror of the monitor stream: one datagram a byte, in order, and the
// targets and failures that must not end the program.
#include <QtTest>

#include "auxiliary/UdpReplication.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/ObservableValue.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

class TestReplication : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyByteIsItsOwnDatagramInOrder();
    void targetsThatCannotBeReached_data();
    void targetsThatCannotBeReached();
    void aReplicaNotRunningIsNoFault();
    void aBurstIsQueuedWithinItsBound();
};

void TestReplication::everyByteIsItsOwnDatagramInOrder()
{
    TextValue level;
    Logger log(level);
    UdpReplication mirror(log);
    QUdpSocket replica;
    QVERIFY(replica.bind(QHostAddress::LocalHost, 0));
    QVERIFY(mirror.open(QStringLiteral("127.0.0.1"), replica.localPort()));
    QCOMPARE(log.list2().count(), 2);
    QVERIFY(log.list2().line(0).endsWith(QStringLiteral("Connecting to 127.0.0.1 on port ") + QString::number(replica.localPort())));
    QVERIFY(log.list2().line(1).endsWith(QStringLiteral("Connection made ")));
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst.append(char(i));
    mirror.send(burst);
    QByteArray got;
    int datagrams = 0;
    bool single = true;
    QVERIFY(QTest::qWaitFor([&] {
        while (replica.hasPendingDatagrams()) {
            const QNetworkDatagram d = replica.receiveDatagram();
            single = single && d.data().size() == 1;
            got += d.data();
            ++datagrams;
        }
        return got.size() >= 100;
    }, 20000));
    QVERIFY(single);
    QCOMPARE(datagrams, 100);
    QCOMPARE(got, burst);
    QCOMPARE(mirror.sent(), 100);
}

void TestReplication::targetsThatCannotBeReached_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("host name: not resolved, 0.0.0.0") << QStringLiteral("replica.local") << 7777;
    QTest::newRow("0.0.0.0") << QStringLiteral("0.0.0.0") << 7777;
    QTest::newRow("port 0") << QStringLiteral("127.0.0.1") << 0;
}

void TestReplication::targetsThatCannotBeReached()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    TextValue level;
    Logger log(level);
    UdpReplication mirror(log);
    QVERIFY(!mirror.open(host, static_cast<quint16>(port)));
    QVERIFY(!mirror.isOn());
    QVERIFY(log.list2().lines().last().endsWith(QStringLiteral("Connection failed !!!")));
    mirror.send("abc"); // nothing, and no crash
    QCOMPARE(mirror.sent(), 0);
}

void TestReplication::aReplicaNotRunningIsNoFault()
{
    TextValue level;
    Logger log(level);
    UdpReplication mirror(log);
    quint16 port = 0;
    {
        QUdpSocket gone;
        QVERIFY(gone.bind(QHostAddress::LocalHost, 0));
        port = gone.localPort();
    } // nobody listens there any more: the system answers with refusals
    QVERIFY(mirror.open(QStringLiteral("127.0.0.1"), port));
    mirror.send(QByteArray(600, 'x'));
    QTRY_COMPARE_WITH_TIMEOUT(mirror.queued(), 0, 20000);
    QVERIFY2(mirror.isOn(), qPrintable(log.list2().lines().join(QLatin1Char('/'))));
    QVERIFY(log.list2().lines().filter(QStringLiteral("Replica UDP interrotta")).isEmpty());
}

void TestReplication::aBurstIsQueuedWithinItsBound()
{
    TextValue level;
    Logger log(level);
    UdpReplication mirror(log);
    QUdpSocket replica;
    QVERIFY(replica.bind(QHostAddress::LocalHost, 0));
    QVERIFY(mirror.open(QStringLiteral("127.0.0.1"), replica.localPort()));
    mirror.send(QByteArray(UdpReplication::kQueueLimit + 10, 'y'));
    QCOMPARE(mirror.queued(), UdpReplication::kQueueLimit);
    QCOMPARE(mirror.dropped(), 10);
    QCOMPARE(log.list2().lines().filter(QStringLiteral("Replica UDP in ritardo")).size(), 1);
    mirror.close();
    QCOMPARE(mirror.queued(), 0);
}

QTEST_GUILESS_MAIN(TestReplication)
#include "tst_replication.moc"
