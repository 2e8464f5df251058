// Ping without an external program: which answers are ours, and real
// echoes on loopback with each socket kind the machine allows.
#include <QtTest>

#include "platform/Pinger.h"

#include <QtEndian>

using platform::Pinger;

namespace {

const QByteArray kData = "Tm40 Ping Test";

// An IPv4 header of `words` 32-bit words ahead of `icmp`, as a raw socket hands it.
QByteArray withIpHeader(const QByteArray &icmp, int words = 5)
{
    QByteArray ip(words * 4, '\0');
    ip[0] = char(0x40 | words);
    ip[9] = 1; // ICMP
    return ip + icmp;
}

QByteArray reply(quint16 id, quint16 sequence, const QByteArray &data)
{
    QByteArray r = Pinger::echoRequest(id, sequence, data);
    r[0] = 0; // echo reply
    return r;
}

// An ICMP error of `type`/`code` about the datagram whose IP header and
// first bytes are `quoted`, as a router sends it.
QByteArray icmpError(quint8 type, quint8 code, const QByteArray &quoted)
{
    QByteArray e(8, '\0');
    e[0] = char(type);
    e[1] = char(code);
    return e + quoted;
}

// The IP header of our request to `target`, with `words` 32-bit words and
// protocol `protocol`, as an error quotes it.
QByteArray sentHeader(quint32 target, int words = 5, quint8 protocol = 1)
{
    QByteArray ip = withIpHeader({}, words);
    ip[9] = char(protocol);
    qToBigEndian<quint32>(target, ip.data() + 16);
    return ip;
}

int sizeOf(const QByteArray &bytes, Pinger::Kind kind, quint16 id, quint16 sequence)
{
    return Pinger::replyDataSize(bytes.constData(), bytes.size(), kind, id, sequence);
}

Pinger::Result pingOnce(const QString &address, Pinger::Kind kind, bool *started = nullptr)
{
    Pinger pinger;
    QSignalSpy done(&pinger, &Pinger::finished);
    const bool ok = pinger.ping(address, kData, 1200, kind);
    if (started)
        *started = ok;
    if (!ok || !done.wait(20000))
        return {};
    // Exactly one answer, and the pinger is free again.
    if (done.size() != 1 || pinger.busy())
        return {};
    return done.first().first().value<Pinger::Result>();
}

} // namespace

class TestPinger : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<Pinger::Result>(); }
    void theRequestOnTheWire();
    void onlyOurReplyCounts();
    void anErrorAboutOurRequestGivesItsStatus_data();
    void anErrorAboutOurRequestGivesItsStatus();
    void loopbackWithEachSocketKind_data();
    void loopbackWithEachSocketKind();
    void aNameOrBadAddressSendsNothing();
    void oneAtATimeAndAnsweredOnce();
};

void TestPinger::theRequestOnTheWire()
{
    const QByteArray r = Pinger::echoRequest(0x1234, 7, kData);
    QCOMPARE(r.size(), 8 + 14);
    QCOMPARE(quint8(r[0]), quint8(8));
    QCOMPARE(quint8(r[1]), quint8(0));
    QCOMPARE(qFromBigEndian<quint16>(r.constData() + 4), quint16(0x1234));
    QCOMPARE(qFromBigEndian<quint16>(r.constData() + 6), quint16(7));
    QCOMPARE(r.mid(8), kData);
    // The Internet checksum over the whole message, checksum included,
    // folds to 0xFFFF; an odd length pads the last byte.
    for (const QByteArray &m : {r, Pinger::echoRequest(1, 1, "abc")}) {
        quint32 sum = 0;
        for (int i = 0; i < m.size(); i += 2)
            sum += quint32(quint8(m[i]) << 8 | (i + 1 < m.size() ? quint8(m[i + 1]) : 0));
        while (sum >> 16)
            sum = (sum & 0xFFFF) + (sum >> 16);
        QCOMPARE(sum, quint32(0xFFFF));
    }
}

void TestPinger::onlyOurReplyCounts()
{
    using K = Pinger::Kind;
    // A raw socket on loopback reads its own request first: not an answer.
    QCOMPARE(sizeOf(withIpHeader(Pinger::echoRequest(5, 9, kData)), K::Raw, 5, 9), -1);
    QCOMPARE(sizeOf(withIpHeader(reply(5, 9, kData)), K::Raw, 5, 9), 14);
    // Options in the IP header are skipped by its length.
    QCOMPARE(sizeOf(withIpHeader(reply(5, 9, kData), 6), K::Raw, 5, 9), 14);
    // Another program's reply, or an earlier one of ours.
    QCOMPARE(sizeOf(withIpHeader(reply(6, 9, kData)), K::Raw, 5, 9), -1);
    QCOMPARE(sizeOf(withIpHeader(reply(5, 8, kData)), K::Raw, 5, 9), -1);
    // A datagram socket's identifier is the kernel's: only the sequence tells.
    QCOMPARE(sizeOf(reply(777, 9, kData), K::Datagram, 5, 9), 14);
    QCOMPARE(sizeOf(reply(777, 8, kData), K::Datagram, 5, 9), -1);
    QCOMPARE(sizeOf(Pinger::echoRequest(5, 9, kData), K::Datagram, 5, 9), -1);
    // Where a datagram socket hands the IP header too (the BSDs), it is skipped.
    QCOMPARE(sizeOf(withIpHeader(reply(777, 9, kData)), K::Datagram, 5, 9), 14);
    // Too short to be anything, a header length below the minimum.
    QCOMPARE(sizeOf(reply(5, 9, {}).left(7), K::Datagram, 5, 9), -1);
    QCOMPARE(sizeOf(reply(5, 9, {}), K::Datagram, 5, 9), 0);
    QCOMPARE(sizeOf(withIpHeader(reply(5, 9, kData)).left(27), K::Raw, 5, 9), -1);
    QByteArray shortHeader = withIpHeader(reply(5, 9, kData));
    shortHeader[0] = char(0x41);
    QCOMPARE(sizeOf(shortHeader, K::Raw, 5, 9), -1);
    QCOMPARE(sizeOf(QByteArray(10, '\0'), K::Raw, 5, 9), -1);
    // A header claiming 60 bytes on a 40-byte packet.
    QByteArray longHeader = withIpHeader(reply(5, 9, kData));
    longHeader[0] = char(0x4F);
    QCOMPARE(sizeOf(longHeader.left(40), K::Raw, 5, 9), -1);
}

void TestPinger::anErrorAboutOurRequestGivesItsStatus_data()
{
    using K = Pinger::Kind;
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<Pinger::Kind>("kind");
    QTest::addColumn<int>("status");
    constexpr quint32 target = 0x0A000009; // 10.0.0.9
    const QByteArray ours = sentHeader(target) + Pinger::echoRequest(5, 9, kData).left(8);
    // A router's answers to our echo, read on a raw socket: the status at once.
    QTest::newRow("net unreachable") << withIpHeader(icmpError(3, 0, ours)) << K::Raw << 11002;
    QTest::newRow("host unreachable") << withIpHeader(icmpError(3, 1, ours)) << K::Raw << 11003;
    QTest::newRow("protocol unreachable") << withIpHeader(icmpError(3, 2, ours)) << K::Raw << 11004;
    QTest::newRow("port unreachable") << withIpHeader(icmpError(3, 3, ours)) << K::Raw << 11005;
    QTest::newRow("host prohibited") << withIpHeader(icmpError(3, 10, ours)) << K::Raw << 11003;
    QTest::newRow("net unknown") << withIpHeader(icmpError(3, 6, ours)) << K::Raw << 11002;
    QTest::newRow("time exceeded in transit") << withIpHeader(icmpError(11, 0, ours)) << K::Raw << 11013;
    QTest::newRow("whole request quoted") << withIpHeader(icmpError(3, 1, sentHeader(target) + Pinger::echoRequest(5, 9, kData)))
                                          << K::Raw << 11003;
    QTest::newRow("options in both headers") << withIpHeader(icmpError(3, 1, sentHeader(target, 6) + Pinger::echoRequest(5, 9, kData).left(8)), 7)
                                             << K::Raw << 11003;
    // A datagram socket's identifier is the kernel's: the sequence tells.
    QTest::newRow("datagram, kernel's id") << icmpError(3, 1, sentHeader(target) + Pinger::echoRequest(777, 9, kData).left(8))
                                           << K::Datagram << 11003;
    // Not about our request: the ping goes on waiting.
    QTest::newRow("another program's echo") << withIpHeader(icmpError(3, 1, sentHeader(target) + Pinger::echoRequest(6, 9, kData).left(8)))
                                             << K::Raw << 0;
    QTest::newRow("our earlier echo") << withIpHeader(icmpError(3, 1, sentHeader(target) + Pinger::echoRequest(5, 8, kData).left(8)))
                                      << K::Raw << 0;
    QTest::newRow("to another address") << withIpHeader(icmpError(3, 1, sentHeader(0x0A000008) + Pinger::echoRequest(5, 9, kData).left(8)))
                                        << K::Raw << 0;
    QTest::newRow("about a UDP datagram") << withIpHeader(icmpError(3, 3, sentHeader(target, 5, 17) + QByteArray(8, '\0')))
                                          << K::Raw << 0;
    QTest::newRow("about a reply") << withIpHeader(icmpError(3, 1, sentHeader(target) + reply(5, 9, kData).left(8))) << K::Raw << 0;
    QTest::newRow("an echo reply") << withIpHeader(reply(5, 9, kData)) << K::Raw << 0;
    QTest::newRow("our own request") << withIpHeader(Pinger::echoRequest(5, 9, kData)) << K::Raw << 0;
    QTest::newRow("redirect") << withIpHeader(icmpError(5, 1, ours)) << K::Raw << 0;
    // Cut short anywhere: never read past the end.
    const QByteArray whole = withIpHeader(icmpError(3, 1, ours));
    QTest::newRow("echo cut") << whole.left(whole.size() - 1) << K::Raw << 0;
    QTest::newRow("quoted header cut") << whole.left(20 + 8 + 19) << K::Raw << 0;
    QTest::newRow("error header cut") << whole.left(20 + 7) << K::Raw << 0;
    QTest::newRow("nothing") << QByteArray() << K::Raw << 0;
    QByteArray badLength = whole;
    badLength[28] = char(0x4F); // the quoted header claims 60 bytes
    QTest::newRow("quoted header longer than what is there") << badLength << K::Raw << 0;
}

void TestPinger::anErrorAboutOurRequestGivesItsStatus()
{
    QFETCH(QByteArray, received);
    QFETCH(Pinger::Kind, kind);
    QFETCH(int, status);
    QCOMPARE(Pinger::quotedErrorStatus(received.constData(), received.size(), kind, 5, 9, 0x0A000009), status);
    // Whatever it is, it is no reply.
    if (status != 0)
        QCOMPARE(sizeOf(received, kind, 5, 9), -1);
}

void TestPinger::loopbackWithEachSocketKind_data()
{
    QTest::addColumn<Pinger::Kind>("kind");
    QTest::newRow("datagram") << Pinger::Kind::Datagram;
    QTest::newRow("raw") << Pinger::Kind::Raw;
    QTest::newRow("any") << Pinger::Kind::Any;
}

void TestPinger::loopbackWithEachSocketKind()
{
    QFETCH(Pinger::Kind, kind);
    const Pinger::Result r = pingOnce(QStringLiteral("127.0.0.1"), kind);
    if (!Pinger::permitted(kind)) {
        // Refused by the system: said so, never a success.
        QCOMPARE(r.status, Pinger::kNotPermitted);
        QCOMPARE(r.dataSize, 0);
        qInfo("this machine does not permit that socket kind: the refusal path was tested");
        return;
    }
    QCOMPARE(r.status, Pinger::kSuccess);
    QCOMPARE(r.dataSize, 14);
    QVERIFY(r.rttMs >= 0 && r.rttMs < 1200);
    if (kind != Pinger::Kind::Any)
        QCOMPARE(r.kind, kind);
    else // the unprivileged kind is preferred
        QCOMPARE(r.kind, Pinger::permitted(Pinger::Kind::Datagram) ? Pinger::Kind::Datagram : Pinger::Kind::Raw);
}

void TestPinger::aNameOrBadAddressSendsNothing()
{
    for (const QString &address : {QStringLiteral("localhost"), QStringLiteral("127.1"), QStringLiteral("::1"), QString(),
                                   QStringLiteral("300.1.1.1"), QStringLiteral("1.2.3.4.5"), QStringLiteral("::ffff:1.2.3.4"),
                                   QStringLiteral("1.2.3.-4"), QStringLiteral("1..3.4"), QStringLiteral("1.2.3.4x")}) {
        bool started = false;
        const Pinger::Result r = pingOnce(address, Pinger::Kind::Any, &started);
        QVERIFY(started);
        QCOMPARE(r.status, Pinger::kBadAddress);
        QCOMPARE(r.dataSize, 0);
    }
}

void TestPinger::oneAtATimeAndAnsweredOnce()
{
    // No time at all: the time-out and a loopback reply race; either wins, once.
    // While one runs a second is refused; once it has answered, one runs again.
    Pinger pinger;
    for (int i = 0; i < 20; ++i) {
        QSignalSpy done(&pinger, &Pinger::finished);
        QVERIFY(pinger.ping(QStringLiteral("127.0.0.1"), kData, 0));
        QVERIFY(pinger.busy());
        QVERIFY(!pinger.ping(QStringLiteral("127.0.0.1"), kData, 1200));
        QVERIFY(done.wait(20000));
        const int status = done.first().first().value<Pinger::Result>().status;
        QVERIFY2(status == Pinger::kSuccess || status == Pinger::kTimedOut || status == Pinger::kNotPermitted,
                 qPrintable(QString::number(status)));
        QVERIFY(!pinger.busy());
        QCOMPARE(done.size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestPinger)
#include "tst_pinger.moc"
