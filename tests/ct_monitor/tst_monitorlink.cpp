// The monitor link's receive side: packets cut out of the stream whatever
// its segmentation, bad lengths drained on TCP and realigned on UDP,
// unknown codes skipped alone, a packet that never completes dropped, and
// a lost link back by itself.
#include <QtTest>

#include "../support/Bytes.h"
#include "../support/Loopback.h"
#include "LinkLog.h"

#include <QUdpSocket>
#include <limits>
#include <memory>

#include "ct_monitor/MonitorLink.h"
#include "telephony_sim/SimBytes.h"

using telephony::MonitorPacket;

namespace {

QString n(qint64 v)
{
    return QString::number(v);
}

simbytes::Extension extension(int number, const QString &agent, const QString &log)
{
    simbytes::Extension e;
    e.number = number;
    e.agent = agent;
    e.description = QStringLiteral("Operatore ") + n(number);
    e.logState = log;
    return e;
}

// What a packet says, in one line.
QString describe(const MonitorPacket &p)
{
    if (p.header.code == telephony::Time)
        return QStringLiteral("ora ") + p.time.time;
    QString s = QStringLiteral("sub ") + n(p.sub.subcode);
    for (const auto &e : p.extensions)
        s += QStringLiteral(" int ") + n(e.number) + QLatin1Char('/') + e.agent + QLatin1Char('/') + e.logState;
    for (const auto &g : p.groups)
        s += QStringLiteral(" grp ") + n(g.number) + QLatin1Char('/') + g.name + QLatin1Char('/') + n(g.logged) + QLatin1Char('/')
            + n(g.free);
    return s;
}

// What the codec makes of `bytes`, to compare the link's packets with.
QString decoded(const QByteArray &bytes)
{
    MonitorPacket p;
    telephony::decodeMonitor(bytes, p);
    return describe(p);
}

const QList<simbytes::Extension> kOne{extension(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN"))};
const QList<simbytes::Extension> kSix{extension(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN")),
                                      extension(102, QString(), QStringLiteral("LOGGED_OUT")),
                                      extension(103, QStringLiteral("1003"), QStringLiteral("PAUSED")),
                                      extension(104, QStringLiteral("1004"), QStringLiteral("WORKING")),
                                      extension(105, QStringLiteral("1005"), QStringLiteral("HANDSHAKING")),
                                      extension(300, QStringLiteral("3000"), QStringLiteral("LOGGED_IN"))};
const QList<simbytes::Group> kGroup{{7, QStringLiteral("Vendite"), 3, 1, 0}};
const QList<simbytes::Group> kFour{{1, QStringLiteral("Uno"), 1, 0, 0},
                                   {2, QStringLiteral("Due"), 2, 2, 0},
                                   {3, QStringLiteral("Tre"), 0, 0, 0},
                                   {300, QStringLiteral("Ultimo"), 9, 8, 0}};

const QByteArray kExtPacket = simbytes::extensions(telephony::ExtensionChange, kOne);     // Totlen 448
const QByteArray kSixPacket = simbytes::extensions(telephony::ExtensionConfig, kSix);     // Totlen 2508
const QByteArray kGroupPacket = simbytes::groups(telephony::GroupChange, kGroup);         // Totlen 97
const QByteArray kFourPacket = simbytes::groups(telephony::GroupConfig, kFour);           // Totlen 280
const QByteArray kTimePacket = simbytes::time(QStringLiteral("10:11:12"));                // Totlen 30

const QString kExt = decoded(kExtPacket);
const QString kSixExt = decoded(kSixPacket);
const QString kGrp = decoded(kGroupPacket);
const QString kFourGrp = decoded(kFourPacket);
const QString kTime = decoded(kTimePacket);

// A monitor link fed without a socket, what it gives described.
struct Fixture : LinkLog {
    QStringList packets;
    QByteArray seen;
    std::unique_ptr<MonitorLink> link;

    explicit Fixture(int timeoutSec = 0)
    {
        if (timeoutSec > 0)
            settings.timeoutPacchettoSec = timeoutSec;
        link = std::make_unique<MonitorLink>(log, debug, settings);
        QObject::connect(link.get(), &MonitorLink::packetReceived, [this](const MonitorPacket &p) { packets << describe(p); });
        QObject::connect(link.get(), &MonitorLink::bytesRead, [this](const QByteArray &b) { seen += b; });
    }
};

} // namespace

class TestMonitorLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anySplitGivesTheSamePacketsLongestAndUnknownCodesIncluded();
    void badLengthOnTcpDrainsWhatIsPending_data();
    void badLengthOnTcpDrainsWhatIsPending();
    void incompletePacketIsDroppedWhenItsTimeRunsOut();
    void udpStreamIsRealignedAndJunkIsOneEpisodeAndStrangersAreDropped();
    void framerStartsCleanAndALostLinkComesBackByItself();
};

void TestMonitorLink::anySplitGivesTheSamePacketsLongestAndUnknownCodesIncluded()
{
    // The longest packet, Totlen 3100: seven extension records and a tail the walk leaves over.
    QList<simbytes::Extension> seven = kSix;
    seven << extension(110, QStringLiteral("1010"), QStringLiteral("LOGGED_IN"));
    QByteArray longest = simbytes::extensions(telephony::ExtensionConfig, seven) + QByteArray(180, '\0');
    longest.replace(0, 4, be32(3100));
    // The time message is read once: the packet right behind it starts where
    // its 14 bytes end. Codes the program does not know, of a length the
    // server sends and of any other, skip only their own packet.
    const QByteArray other = be32(50) + be32(-1) + be32(9992) + be32(31000) + be32(50) + QByteArray(34, 'x');
    const QByteArray stream =
        kExtPacket + simbytes::unknownCode(25999) + kGroupPacket + longest + kTimePacket + other + kFourPacket + kSixPacket;
    const QStringList expected{kExt, kGrp, decoded(simbytes::extensions(telephony::ExtensionConfig, seven)), kTime, kFourGrp, kSixExt};
    const QStringList skipped{QStringLiteral("DA WS2= MSG SCONOSC=25999"), QStringLiteral("DA WS2= MSG SCONOSC=31000")};
    Fixture f;
    for (int cut = 0; cut <= stream.size(); ++cut) {
        f.packets.clear();
        f.list.clear();
        f.link->feed(stream.left(cut));
        f.link->feed(stream.mid(cut));
        QVERIFY2(f.packets == expected, qPrintable(QStringLiteral("cut at ") + n(cut) + QStringLiteral(": ") + f.packets.join(u',')));
        QCOMPARE(f.list.lines(), skipped);
        QCOMPARE(f.link->framer().size(), 0);
    }

    f.packets.clear();
    f.list.clear();
    f.seen.clear();
    for (char c : stream)
        f.link->feed(QByteArray(1, c));
    QCOMPARE(f.packets, expected);
    QCOMPARE(f.seen, stream);
    QCOMPARE(f.list.lines(), skipped); // nothing else to complain about
}

void TestMonitorLink::badLengthOnTcpDrainsWhatIsPending_data()
{
    QTest::addColumn<qint32>("length");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("above 3100") << 3101;
    QTest::newRow("lowest") << std::numeric_limits<qint32>::min();
    QTest::newRow("shorter than the header") << 15;
    QTest::newRow("one") << 1;
}

void TestMonitorLink::badLengthOnTcpDrainsWhatIsPending()
{
    QFETCH(qint32, length);
    Fixture f;
    f.link->feed(kGroupPacket);
    // Pending with the bad length: junk and a good packet, all thrown away.
    const QByteArray junk = QByteArray("JUNK").repeated(4).left(15);
    f.link->feed(be32(length) + junk + kTimePacket);

    const QStringList problems = f.startingWith(QStringLiteral("DA WS2= PROBLEMA PacketLen2=") + n(length) + QStringLiteral(" RX = "));
    QVERIFY2(problems.size() == 1, qPrintable(f.list.lines().join(u'\n')));
    QCOMPARE(f.packets, QStringList{kGrp});
    QCOMPARE(f.link->framer().size(), 0);
    const QByteArray dump = f.debugText();
    QVERIFY2(dump.contains("SVUOTO CODA"), dump.constData());
    QVERIFY2(dump.contains("JUNK"), dump.constData());

    // The next packet starts clean.
    f.link->feed(kExtPacket + kTimePacket);
    QCOMPARE(f.packets, (QStringList{kGrp, kExt, kTime}));
    QCOMPARE(f.seen, kGroupPacket + be32(length) + junk + kTimePacket + kExtPacket + kTimePacket); // drained bytes too
}

void TestMonitorLink::incompletePacketIsDroppedWhenItsTimeRunsOut()
{
    Fixture f(1);

    // A packet cut short.
    f.link->feed(kExtPacket.left(100));
    QVERIFY(f.packets.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!f.startingWith(QStringLiteral("DA WS2= PROBLEMA PacketLen2=448 RX = ")).isEmpty(), 10000);
    QCOMPARE(f.link->framer().size(), 0);
    f.link->feed(kTimePacket);
    QCOMPARE(f.packets, QStringList{kTime});

    // Half a length field.
    f.list.clear();
    f.link->feed(QByteArray::fromHex("0000"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.startingWith(QStringLiteral("DA WS2= PROBLEMA PacketLen2=")).isEmpty(), 10000);
    QCOMPARE(f.link->framer().size(), 0);
    f.link->feed(kExtPacket);
    QCOMPARE(f.packets, (QStringList{kTime, kExt}));
}

void TestMonitorLink::udpStreamIsRealignedAndJunkIsOneEpisodeAndStrangersAreDropped()
{
    Fixture f;
    QVERIFY(f.link->listenUdp(0));
    QVERIFY(f.link->udp());
    QVERIFY(f.link->localPort() != 0);
    // Without the main copy's address, anyone is believed: said once.
    QCOMPARE(f.list.lines(), QStringList{QStringLiteral("AscoltaUDP_Mittente non impostato: dati UDP accettati da chiunque")});
    f.list.clear();

    // Joined in the middle of an extension record.
    const QByteArray tail = kExtPacket.mid(60);
    // Nothing in the tail reads as a length the server sends.
    const QByteArray stream = tail + kTimePacket + kFourPacket + kGroupPacket;
    f.link->feed(stream);

    QCOMPARE(f.packets, (QStringList{kTime, kFourGrp, kGrp}));
    QCOMPARE(f.link->resyncSteps(), int(tail.size()));
    // One line for the realignment, with the bytes it skipped, not one a byte.
    const QStringList steps = f.startingWith(QStringLiteral("Tento il riallineamento"));
    QCOMPARE(steps, QStringList{QStringLiteral("Tento il riallineamento . passo ") + n(tail.size()) + QStringLiteral(" buf=")
                                + n(stream.size() - tail.size())});
    const QStringList lines = f.list.lines();
    QVERIFY2(lines.first().startsWith(QStringLiteral("DA WS2= PROBLEMA PacketLen2=")), qPrintable(lines.first()));
    const qsizetype found = lines.indexOf(QStringLiteral("Tento con 30"));
    QVERIFY2(found > lines.indexOf(steps.last()), qPrintable(lines.join(u'\n')));
    QCOMPARE(f.link->framer().size(), 0);

    // An unknown code of a known length: only that packet is lost.
    f.list.clear();
    f.link->feed(simbytes::unknownCode(25999) + kExtPacket);
    QVERIFY(!f.startingWith(QStringLiteral("DA WS2= MSG SCONOSC=25999")).isEmpty());
    QVERIFY(!f.startingWith(QStringLiteral("Tento il riallineamento")).isEmpty());
    QCOMPARE(f.packets, (QStringList{kTime, kFourGrp, kGrp, kExt}));

    // The known length is found, its packet not all there yet.
    f.packets.clear();
    f.list.clear();
    const QByteArray rest = kExtPacket.mid(300);
    f.link->feed(rest + kTimePacket.left(10));
    QVERIFY(!f.startingWith(QStringLiteral("Ho trovato 30 MA ESCO PER MANCANZA BYTE")).isEmpty());
    QVERIFY(f.packets.isEmpty());
    f.link->feed(kTimePacket.mid(10) + kExtPacket);
    QCOMPARE(f.packets, (QStringList{kTime, kExt}));

    // 20,000 bytes of junk in a thousand arrivals, then a packet: one
    // realignment, its bytes counted, and one "no bytes" however often it ran dry.
    f.packets.clear();
    f.list.clear();
    const QByteArray junk = QByteArray("JUNK").repeated(5);
    for (int i = 0; i < 1000; ++i)
        f.link->feed(junk);
    f.link->feed(kTimePacket);
    QCOMPARE(f.packets, QStringList{kTime});
    QCOMPARE(f.startingWith(QStringLiteral("Tento il riallineamento")),
             QStringList{QStringLiteral("Tento il riallineamento . passo 20000 buf=34")});
    QCOMPARE(f.startingWith(QStringLiteral("NON HO BYTE - ESCO")).size(), 1);
    QCOMPARE(f.startingWith(QStringLiteral("DA WS2= PROBLEMA")).size(), 1);
    QVERIFY(f.list.count() < 10);

    // Over the network, the main copy's address set: a stream from another
    // address is counted and dropped (said once), the main copy's is applied.
    f.link->setAcceptedSender(QStringLiteral("127.0.0.1"));
    QUdpSocket stranger, main;
    QVERIFY(stranger.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    QVERIFY(main.bind(QHostAddress::LocalHost, 0));
    for (const char b : kExtPacket)
        stranger.writeDatagram(&b, 1, QHostAddress::LocalHost, f.link->localPort());
    for (const char b : kGroupPacket)
        main.writeDatagram(&b, 1, QHostAddress::LocalHost, f.link->localPort());
    QTRY_COMPARE_WITH_TIMEOUT(f.packets, (QStringList{kTime, kGrp}), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(f.link->foreignDatagrams(), kExtPacket.size(), 20000);
    QCOMPARE(f.startingWith(QStringLiteral("DA WS2= scartati ")).size(), 1);
    QVERIFY(f.startingWith(QStringLiteral("DA WS2= scartati ")).first().contains(QStringLiteral("127.0.0.2")));
}

void TestMonitorLink::framerStartsCleanAndALostLinkComesBackByItself()
{
    Fixture f;

    // Close.
    f.link->feed(kExtPacket.left(50));
    f.link->close();
    QCOMPARE(f.link->framer().size(), 0);
    f.link->feed(kTimePacket);
    QCOMPARE(f.packets, QStringList{kTime});

    // Connect.
    ScriptedHost server;
    QSignalSpy accepted(&server.server, &QTcpServer::newConnection);
    f.link->feed(kExtPacket.left(50));
    f.link->connectTo(QStringLiteral("127.0.0.1"), server.server.serverPort());
    QCOMPARE(f.link->framer().size(), 0);

    // An error: the server goes away in the middle of a packet.
    QVERIFY(server.connected());
    server.say(kGroupPacket + kExtPacket.left(50));
    QTRY_COMPARE_WITH_TIMEOUT(f.packets, (QStringList{kTime, kGrp}), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(f.link->framer().size(), 50, 10000);
    server.peer->abort();
    QTRY_COMPARE_WITH_TIMEOUT(f.link->state(), 9, 10000);
    QCOMPARE(f.link->framer().size(), 0);

    // The link comes back by itself, saying once that it was down and once that it is back.
    QTRY_COMPARE_WITH_TIMEOUT(accepted.count(), 2, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(f.link->isUp(), 10000);
    QCOMPARE(f.startingWith(QStringLiteral("Collegamento Monitor non disponibile (")).size(), 1);
    QCOMPARE(f.startingWith(QStringLiteral("Collegamento Monitor ripristinato")).size(), 1);
}

QTEST_GUILESS_MAIN(TestMonitorLink)
#include "tst_monitorlink.moc"
