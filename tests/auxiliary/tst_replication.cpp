// The mirror of the monitor stream: one datagram a byte, in order, and the
// targets and failures that must not end the program.
#include <QtTest>

#include "auxiliary/UdpReplication.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/ObservableValue.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

// The mirror with its log, and a replica listening on loopback.
struct Fixture {
    TextValue level;
    Logger log{level};
    UdpReplication mirror{log};
    QUdpSocket replica;

    Fixture() { replica.bind(QHostAddress::LocalHost, 0); }
    bool open() { return mirror.open(QStringLiteral("127.0.0.1"), replica.localPort()); }
};

} // namespace

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
    Fixture f;
    QVERIFY(f.open());
    QCOMPARE(f.log.list2().count(), 2);
    QVERIFY(f.log.list2().line(0).endsWith(QStringLiteral("Connecting to 127.0.0.1 on port ") + QString::number(f.replica.localPort())));
    QVERIFY(f.log.list2().line(1).endsWith(QStringLiteral("Connection made ")));
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst.append(char(i));
    f.mirror.send(burst);
    QByteArray got;
    int datagrams = 0;
    bool single = true;
    QVERIFY(QTest::qWaitFor([&] {
        while (f.replica.hasPendingDatagrams()) {
            const QNetworkDatagram d = f.replica.receiveDatagram();
            single = single && d.data().size() == 1;
            got += d.data();
            ++datagrams;
        }
        return got.size() >= 100;
    }, 20000));
    QVERIFY(single);
    QCOMPARE(datagrams, 100);
    QCOMPARE(got, burst);
    QCOMPARE(f.mirror.sent(), 100);
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
    Fixture f;
    QVERIFY(!f.mirror.open(host, static_cast<quint16>(port)));
    QVERIFY(!f.mirror.isOn());
    QVERIFY(f.log.list2().lines().last().endsWith(QStringLiteral("Connection failed !!!")));
    f.mirror.send("abc"); // nothing, and no crash
    QCOMPARE(f.mirror.sent(), 0);
}

void TestReplication::aReplicaNotRunningIsNoFault()
{
    Fixture f;
    QVERIFY(f.open());
    f.replica.close(); // nobody listens there any more: the system answers with refusals
    f.mirror.send(QByteArray(600, 'x'));
    QTRY_COMPARE_WITH_TIMEOUT(f.mirror.queued(), 0, 20000);
    QVERIFY2(f.mirror.isOn(), qPrintable(f.log.list2().lines().join(QLatin1Char('/'))));
    QVERIFY(f.log.list2().lines().filter(QStringLiteral("Replica UDP interrotta")).isEmpty());
}

void TestReplication::aBurstIsQueuedWithinItsBound()
{
    Fixture f;
    QVERIFY(f.open());
    f.mirror.send(QByteArray(UdpReplication::kQueueLimit + 10, 'y'));
    QCOMPARE(f.mirror.queued(), UdpReplication::kQueueLimit);
    QCOMPARE(f.mirror.dropped(), 10);
    QCOMPARE(f.log.list2().lines().filter(QStringLiteral("Replica UDP in ritardo")).size(), 1);
    f.mirror.close();
    QCOMPARE(f.mirror.queued(), 0);
}

QTEST_GUILESS_MAIN(TestReplication)
#include "tst_replication.moc"
