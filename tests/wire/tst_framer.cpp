// Cutting length-prefixed packets out of a byte stream, whatever the
// segmentation, and refusing length fields outside the link's range.
#include <QtTest>

#include "../support/Bytes.h"

#include <limits>

#include "dialer_link/PacketFormat.h"
#include "wire/Framer.h"

using namespace packet;

namespace {

// The emulator's rules: header-only packets up to the largest accepted.
constexpr Framer::Rules kRules{kHeaderOnlyTotlen, kMaxPacketLength};

const QByteArray dbOk = encodePacket(replyHeader(DbOk, 0, 50001, true), {}, {});                  // 20 bytes
const QByteArray groups = encodePacket(requestHeader(RichiestaGruppi, 0, 12000), {1, QStringLiteral("PD")}, {}); // 44
const QByteArray outcome =
    encodePacket(requestHeader(Esito, 136, 12000), {2, QStringLiteral("PD")}, QByteArray(136, 'e')); // 180

// Every packet available now; a corrupt frame shows up as its reason so a
// comparison against the expected packets fails on it.
QList<QByteArray> takePackets(Framer &f)
{
    QList<QByteArray> out;
    for (;;) {
        const Framer::Frame frame = f.next();
        if (frame.status == Framer::Frame::NeedMore)
            return out;
        if (frame.status == Framer::Frame::Corrupt) {
            out << ("CORRUPT " + frame.reason.toLatin1());
            return out;
        }
        out << frame.bytes;
    }
}

} // namespace

class TestFramer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anySegmentationGivesTheSamePackets();
    void splitLengthFieldWaits();
    void outOfRangeLengthIsCorruptAndConsumesNothing();
    void droppingJunkBytesFindsThePacket();
    void packetOfMaximumLength();
};

void TestFramer::anySegmentationGivesTheSamePackets()
{
    const QList<QByteArray> expected{dbOk, groups, outcome};
    const QByteArray stream = dbOk + groups + outcome;
    for (int cut = 0; cut <= stream.size(); ++cut) {
        Framer f(kRules);
        f.append(stream.left(cut));
        QList<QByteArray> got = takePackets(f);
        f.append(stream.mid(cut));
        got += takePackets(f);
        QVERIFY2(got == expected, qPrintable(QStringLiteral("cut at ") + QString::number(cut)));
        QCOMPARE(f.size(), 0);
        QVERIFY(!f.partial());
    }
}

void TestFramer::splitLengthFieldWaits()
{
    // Fewer than four bytes hold no length yet: nothing is read past them.
    Framer f(kRules);
    QCOMPARE(f.expectedLength(), 0);
    for (int held = 1; held <= 3; ++held) {
        f.append(groups.mid(held - 1, 1));
        const Framer::Frame frame = f.next();
        QCOMPARE(frame.status, Framer::Frame::NeedMore);
        QCOMPARE(frame.length, 0);
        QCOMPARE(f.expectedLength(), 0);
        QVERIFY(f.partial());
    }
    f.append(groups.mid(3, 1));
    QCOMPARE(f.next().length, 40);
    QCOMPARE(f.expectedLength(), 40);
    f.takeAll();
    QCOMPARE(f.expectedLength(), 0);
}

void TestFramer::outOfRangeLengthIsCorruptAndConsumesNothing()
{
    const QList<qint32> lengths{0, -1, std::numeric_limits<qint32>::min(), kRules.minLength - 1, kRules.maxLength + 1,
                                std::numeric_limits<qint32>::max()};
    for (qint32 length : lengths) {
        const QByteArray held = be32(length) + groups;
        Framer f(kRules);
        f.append(held);
        for (int attempt = 0; attempt < 2; ++attempt) { // the second sees the same bytes
            const Framer::Frame frame = f.next();
            QCOMPARE(frame.status, Framer::Frame::Corrupt);
            QCOMPARE(frame.length, length);
            QVERIFY2(frame.reason.contains(QString::number(length)), qPrintable(frame.reason));
            QCOMPARE(f.size(), held.size());
        }
        QCOMPARE(f.takeAll(), held);
        QCOMPARE(f.size(), 0);
        QCOMPARE(f.next().status, Framer::Frame::NeedMore);
    }

    // The least length accepted frames a packet of its own.
    Framer f(kRules);
    f.append(be32(kRules.minLength) + QByteArray(kRules.minLength, 'h'));
    QCOMPARE(f.next().status, Framer::Frame::Packet);
    QCOMPARE(f.size(), 0);
}

void TestFramer::droppingJunkBytesFindsThePacket()
{
    Framer f(kRules);
    f.append(groups.left(5));
    f.dropFirst();
    QCOMPARE(f.expectedLength(), 0x2800); // 00 00 28, then LineaSVC's first byte
    QCOMPARE(f.size(), 4);

    // Every window starting in the junk reads as negative or far too long.
    const QByteArray junk("\xFF\x7F\xFF\x80", 4);
    f.reset();
    f.append(junk + groups + dbOk);
    int dropped = 0;
    Framer::Frame frame = f.next();
    while (frame.status == Framer::Frame::Corrupt && dropped <= junk.size()) {
        f.dropFirst();
        ++dropped;
        frame = f.next();
    }
    QCOMPARE(dropped, junk.size());
    QCOMPARE(frame.status, Framer::Frame::Packet);
    QCOMPARE(frame.bytes, groups);
    QCOMPARE(takePackets(f), QList<QByteArray>{dbOk});

    f.dropFirst(); // nothing held: nothing to drop
    QCOMPARE(f.size(), 0);
}

void TestFramer::packetOfMaximumLength()
{
    QByteArray body(kRules.maxLength, '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 7);
    const QByteArray largest = be32(kRules.maxLength) + body;

    // Taking it leaves a large consumed prefix behind the bytes still held:
    // what follows must survive that prefix being discarded.
    Framer f(kRules);
    f.append(largest + dbOk + groups.left(5));
    QCOMPARE(takePackets(f), (QList<QByteArray>{largest, dbOk}));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f.expectedLength(), 40);
    f.append(groups.mid(5));
    QCOMPARE(takePackets(f), QList<QByteArray>{groups});
    QVERIFY(!f.partial());
}

QTEST_GUILESS_MAIN(TestFramer)
#include "tst_framer.moc"
