// The watchdog on loopback: several peers, one refusing, one that never
// reads; the receiving window taking reports (the two ends together: the
// headless program's own window, in tst_headless).
#include <QtTest>

#include "auxiliary/Watchdog.h"
#include "auxiliary/WatchdogMonitor.h"
#include "wire/SocketState.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// A peer that keeps what it is sent, or, with `reads` false, accepts and
// never reads a byte.
struct Peer {
    QTcpServer server;
    QList<QTcpSocket *> connections;
    QByteArray got;
    int accepted = 0;

    Peer(const QHostAddress &address, quint16 port, bool reads = true)
    {
        if (!server.listen(address, port))
            qFatal("cannot listen on %s:%d", qPrintable(address.toString()), port);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, reads] {
            while (QTcpSocket *s = server.nextPendingConnection()) {
                ++accepted;
                connections.append(s);
                if (!reads) {
                    s->setReadBufferSize(1); // Qt takes one byte, the kernel's buffer fills, then the sender's
                    continue;
                }
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { got += s->readAll(); });
            }
        });
    }
    int reports() const { return int(got.count("WD Ready on ")); }
};

} // namespace

class TestWatchdog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlyConfiguredPeersAreUsed();
    void peersHearAtConnectionAndOnEachRound();
    void aPeerThatNeverReadsIsBounded();
    void aLostPeerIsReconnectedAndToldAgain();
    void theWindowShowsTheLastArrivalOfItsLastPeer();
};

void TestWatchdog::onlyConfiguredPeersAreUsed()
{
    int built = 0;
    Watchdog wd([&built] {
        ++built;
        return QStringLiteral("WD Ready on x");
    });
    wd.setPeers({});
    wd.check();
    wd.sendReport();
    for (int i = 0; i < Watchdog::kPeers; ++i)
        QVERIFY(!wd.inUse(i));
    QCOMPARE(wd.reportsSent(), 0);
    QCOMPARE(built, 0); // nobody to tell: the report is not even built

    // Only digit 3: element 3 alone, element 0 (the indicator's) has no host.
    wd.setPeers({{3, QStringLiteral(" 127.0.0.1 ")}, {7, QStringLiteral("  ")}});
    QVERIFY(wd.inUse(3));
    QVERIFY(!wd.inUse(0));
    QVERIFY(!wd.inUse(7));
    QCOMPARE(wd.firstPeerState(), 0);
    QVERIFY(!wd.inUse(-1));
    QVERIFY(!wd.inUse(10));
}

void TestWatchdog::peersHearAtConnectionAndOnEachRound()
{
    // One port, several loopback addresses: each its own peer.
    Peer first(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    const quint16 port = first.server.serverPort();
    Peer second(QHostAddress(QStringLiteral("127.0.0.2")), port);
    Peer third(QHostAddress(QStringLiteral("127.0.0.3")), port);
    // 127.0.0.4 has nobody listening: refused, again and again.
    int n = 0;
    Watchdog wd([&n] { return QStringLiteral("WD Ready on 127.0.0.1 ") + QString::number(++n) + QStringLiteral("\r\nè\r\n"); });
    wd.setPort(port);
    wd.setRetryWaits(50, 400);
    QStringList said;
    connect(&wd, &Watchdog::said, this, [&said](const QString &line) { said << line; });
    wd.setPeers({{0, QStringLiteral("127.0.0.1")}, {2, QStringLiteral("127.0.0.2")}, {5, QStringLiteral("127.0.0.4")},
                 {9, QStringLiteral("127.0.0.3")}});
    wd.check();
    // Told at once on connecting, without waiting for the minute; each
    // connection tells everybody connected, so all end with the same report
    // (in the files' code page).
    const auto allHeard = [&](int report) {
        const QByteArray text = "WD Ready on 127.0.0.1 " + QByteArray::number(report) + "\r\n\xE8\r\n";
        return first.got.endsWith(text) && second.got.endsWith(text) && third.got.endsWith(text);
    };
    QVERIFY(QTest::qWaitFor([&] { return first.reports() >= 1 && second.reports() >= 1 && third.reports() >= 1 && allHeard(n); },
                            20000));
    QCOMPARE(wd.state(0), socketstates::kConnected);
    QCOMPARE(wd.firstPeerState(), socketstates::kConnected);
    QVERIFY(wd.state(5) != socketstates::kConnected);

    // The minute's round: everybody connected hears the same new report, once.
    const int before[] = {first.reports(), second.reports(), third.reports()};
    wd.sendReport();
    QVERIFY(QTest::qWaitFor([&] { return allHeard(n); }, 20000));
    QCOMPARE(first.reports(), before[0] + 1);
    QCOMPARE(second.reports(), before[1] + 1);
    QCOMPARE(third.reports(), before[2] + 1);

    // The refusing peer is tried again by itself, at growing waits, without
    // end, said once, harming nobody.
    QVERIFY(QTest::qWaitFor([&] { return wd.attempts(5) >= 5; }, 20000));
    QVERIFY(wd.state(5) != socketstates::kConnected);
    QCOMPARE(said.filter(QStringLiteral("Collegamento WatchDog 127.0.0.4 non disponibile (")).size(), 1);
    QCOMPARE(said.size(), 1);
    QCOMPARE(wd.attempts(0), 1);
    QCOMPARE(first.accepted, 1); // a connected peer is left alone
    QCOMPARE(second.accepted, 1);
    QCOMPARE(third.accepted, 1);
}

void TestWatchdog::aPeerThatNeverReadsIsBounded()
{
    Peer reader(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    const quint16 port = reader.server.serverPort();
    Peer deaf(QHostAddress(QStringLiteral("127.0.0.2")), port, false);
    // A large report fills the kernel's buffers quickly.
    const QString big = QStringLiteral("WD Ready on ") + QString(32 * 1024, QLatin1Char('x')) + QStringLiteral("\r\n");
    Watchdog wd([&big] { return big; });
    wd.setPort(port);
    // The deaf peer first, so the reader's count is known: one report at its connection.
    wd.setPeers({{1, QStringLiteral("127.0.0.2")}});
    wd.check();
    QVERIFY(QTest::qWaitFor([&] { return wd.state(1) == socketstates::kConnected; }, 20000));
    wd.setPeers({{0, QStringLiteral("127.0.0.1")}, {1, QStringLiteral("127.0.0.2")}});
    wd.check();
    QVERIFY(QTest::qWaitFor([&] { return reader.reports() == 1; }, 20000));
    QCOMPARE(deaf.accepted, 1);
    // Rounds until the deaf peer's reports are held back; the reader hears each.
    int rounds = 0;
    qint64 mostPending = 0;
    // A round only once the reader has taken the last, however slow the
    // machine: the reader is never held back, only the deaf peer is.
    QVERIFY(QTest::qWaitFor([&] {
        if (wd.pending(0) == 0) {
            wd.sendReport();
            ++rounds;
        }
        mostPending = std::max(mostPending, wd.pending(1));
        return wd.reportsSkipped() > 0;
    }, 60000));
    for (int i = 0; i < 50; ++i) {
        wd.sendReport();
        ++rounds;
        // The reader takes each round before the next.
        QVERIFY(QTest::qWaitFor([&] { return wd.pending(0) == 0; }, 20000));
        mostPending = std::max(mostPending, wd.pending(1));
    }
    QVERIFY(mostPending <= Watchdog::kMaxPending + big.size());
    QVERIFY(wd.reportsSkipped() >= 50);
    QVERIFY(QTest::qWaitFor([&] { return reader.reports() == rounds + 1; }, 20000));
    QCOMPARE(wd.state(1), socketstates::kConnected);
}

void TestWatchdog::aLostPeerIsReconnectedAndToldAgain()
{
    Peer peer(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    Watchdog wd([] { return QStringLiteral("WD Ready on here\r\n"); });
    wd.setPort(peer.server.serverPort());
    wd.setPeers({{0, QStringLiteral("127.0.0.1")}});
    QStringList said;
    connect(&wd, &Watchdog::said, this, [&said](const QString &line) { said << line; });
    wd.check();
    QVERIFY(QTest::qWaitFor([&] { return peer.reports() == 1; }, 20000));
    // The peer drops the connection: it comes back by itself, with a report,
    // one line saying it was lost and one that it is back.
    peer.connections.first()->disconnectFromHost();
    QVERIFY(QTest::qWaitFor([&] { return peer.accepted == 2 && peer.reports() == 2; }, 20000));
    QCOMPARE(wd.firstPeerState(), socketstates::kConnected);
    QCOMPARE(said.size(), 2);
    QVERIFY(said[0].startsWith(QStringLiteral("Collegamento WatchDog 127.0.0.1 non disponibile (")));
    QCOMPARE(said[1], QStringLiteral("Collegamento WatchDog 127.0.0.1 ripristinato"));
    // A changed configuration drops the old peers.
    wd.setPeers({});
    QVERIFY(!wd.inUse(0));
    QVERIFY(QTest::qWaitFor([&] { return peer.connections.last()->state() == QAbstractSocket::UnconnectedState; }, 20000));
}

void TestWatchdog::theWindowShowsTheLastArrivalOfItsLastPeer()
{
    WatchdogMonitor window;
    window.setPort(0);
    QSignalSpy raised(&window, &WatchdogMonitor::raiseRequested);
    window.show();
    QVERIFY(window.isOpen());
    QCOMPARE(raised.size(), 1);
    QCOMPARE(window.state(), 2); // listening
    QVERIFY(window.port() != 0);
    QVERIFY(window.caption.text().endsWith(QStringLiteral(":") + QString::number(window.port()) + QStringLiteral(" Stato: 2")));

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, window.port());
    QVERIFY(peer.waitForConnected(20000));
    QVERIFY(QTest::qWaitFor([&] { return window.state() == 7; }, 20000));
    window.tick();
    QVERIFY(window.caption.text().endsWith(QStringLiteral(" Stato: 7")));

    // A report in two pieces: the second arrival replaces the first.
    peer.write("WD Ready on 10.0.0.1 06/12/2026 10:00:00\r\nprimo|sec\xE8");
    QVERIFY(QTest::qWaitFor([&] { return window.list.count() == 2; }, 20000));
    QCOMPARE(window.list.lines(), (QStringList{QStringLiteral("WD Ready on 10.0.0.1 06/12/2026 10:00:00"),
                                               QStringLiteral("primo|sec\u00E8")}));
    peer.write("ondo|\r\n\r\nfine");
    QVERIFY(QTest::qWaitFor([&] { return window.list.lines().contains(QStringLiteral("fine")); }, 20000));
    QCOMPARE(window.list.lines(), (QStringList{QStringLiteral("ondo|"), QString(), QStringLiteral("fine")}));

    // The peer goes: the window listens on, and a new one is heard.
    peer.disconnectFromHost();
    QVERIFY(QTest::qWaitFor([&] {
        window.tick();
        return window.state() == 2;
    }, 20000));
    QTcpSocket again;
    again.connectToHost(QHostAddress::LocalHost, window.port());
    QVERIFY(again.waitForConnected(20000));
    again.write("x\r\n");
    QVERIFY(QTest::qWaitFor([&] { return window.list.lines() == QStringList({QStringLiteral("x"), QString()}); }, 20000));

    // A new peer replaces the old.
    QTcpSocket newer;
    newer.connectToHost(QHostAddress::LocalHost, window.port());
    QVERIFY(newer.waitForConnected(20000));
    QVERIFY(QTest::qWaitFor([&] { return again.state() == QAbstractSocket::UnconnectedState; }, 20000));
    newer.write("nuovo\r\n");
    QVERIFY(QTest::qWaitFor([&] { return window.list.lines().value(0) == QStringLiteral("nuovo"); }, 20000));

    // One huge arrival is taken in bounded pieces: the list never holds more than one piece.
    const QByteArray huge(1024 * 1024, 'y');
    newer.write(huge + "\r\nfine\r\n");
    QVERIFY(QTest::qWaitFor([&] { return window.list.lines().contains(QStringLiteral("fine")); }, 20000));
    qsizetype held = 0;
    for (const QString &line : window.list.lines())
        held += line.size();
    QVERIFY(held <= WatchdogMonitor::kMaxArrival);

    // Far more than a report: each arrival shows its first lines, cut to a
    // width, and a count of the rest; standard output gets no more.
    QSignalSpy arrivals(&window.list, &QAbstractItemModel::modelReset);
    qsizetype lines = 0, accounted = 0, widest = 0;
    const QRegularExpression rest(QStringLiteral("^\\.\\.\\. e altre (\\d+) righe$"));
    connect(&window.list, &LogList::lineAdded, &window, [&](const QString &line) {
        ++lines;
        widest = std::max(widest, line.size());
        const QRegularExpressionMatch m = rest.match(line);
        accounted += m.hasMatch() ? m.captured(1).toLongLong() : 1;
    });
    QByteArray flood;
    for (int i = 0; i < 6000; ++i)
        flood += "riga " + QByteArray::number(i) + "\r\n";
    flood += QByteArray(5000, 'z') + "\r\nultima";
    newer.write(flood);
    QVERIFY(QTest::qWaitFor([&] { return accounted >= 6002; }, 20000));
    QVERIFY2(lines <= arrivals.size() * (WatchdogMonitor::kMaxLinesShown + 1),
             qPrintable(QString::number(lines) + QStringLiteral(" lines, arrivals ") + QString::number(arrivals.size())));
    QVERIFY(widest <= WatchdogMonitor::kMaxLineWidth);

    // Closing stops listening.
    window.unload();
    QVERIFY(!window.isOpen());
    QVERIFY(QTest::qWaitFor([&] { return newer.state() == QAbstractSocket::UnconnectedState; }, 20000));
    QCOMPARE(window.state(), 0);
}

QTEST_GUILESS_MAIN(TestWatchdog)
#include "tst_watchdog.moc"
