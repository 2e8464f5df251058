// Byte-exact headers and identification records as the peers read them, and
// the decoders' refusal of anything shorter than the fields they read.
#include <QtTest>

#include "../support/Bytes.h"

#include <limits>

#include "dialer_link/PacketFormat.h"
#include "wire/FixedText.h"

using namespace packet;

namespace {

// A framed packet whose Totlen covers the record and `framedBody`, with Len
// set independently so the two can disagree.
QByteArray framedPacket(qint32 len, const QByteArray &framedBody)
{
    const Header h{qint32(kMinRequestTotlen + framedBody.size()), 0, 12000, Esito, len};
    return encodeHeader(h) + encodeRecordId({3, QStringLiteral("PD")}) + framedBody;
}

} // namespace

class TestPacketFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repliesOfTwentyAndFortyFourBytes();
    void byteOrderPerLink();
    void truncatedHeaderAndRecordAreRefused();
    void contactIsAnsiAndTwentyWide();
    void decodePacketBodyFollowsLenAndTotlen();
    void fixedTexts();
};

void TestPacketFormat::repliesOfTwentyAndFortyFourBytes()
{
    // The record passed in must not reach the wire: DBOK has none.
    const QByteArray dbOk = encodePacket(replyHeader(DbOk, 0, 50001, true), {9, QStringLiteral("X")}, {});
    QCOMPARE(dbOk, hex("00000010" "FFFFFFFF" "51C30000" "DE110100" "00000000"));
    QCOMPARE(encodePacket(replyHeader(DbDown, 0, 50001, true), {}, {}).mid(offset::Code, 4), hex("DD110100"));
    Packet p;
    p.record = {4, QStringLiteral("stale")}; // must not survive the decode
    QVERIFY(decodePacket(dbOk, p).ok());
    QCOMPARE(p.header, (Header{16, -1, 50001, DbOk, 0}));
    QCOMPARE(p.record, RecordId{});
    QVERIFY(p.body.isEmpty());

    // Any other reply has its identification record.
    const QByteArray bytes = encodePacket(replyHeader(AckEsito, 0, 50001), {7, QStringLiteral("PD01")}, {});
    QCOMPARE(bytes, hex("00000028" "FFFFFFFF" "51C30000" "D7110100" "18000000" "07000000") + "PD01" + QByteArray(16, ' '));
}

void TestPacketFormat::byteOrderPerLink()
{
    // LineaSVC 2 rather than -1 so its byte order shows.
    const Header h{0x0BBC, 2, 20600, 55006, 4};
    const QByteArray dialer = hex("00000BBC" "02000000" "78500000" "DED60000" "04000000");
    const QByteArray operatorServer = hex("00000BBC" "02000000" "00005078" "0000D6DE" "00000004");
    const QByteArray monitor = hex("00000BBC" "00000002" "00005078" "0000D6DE" "00000004");
    QCOMPARE(encodeHeader(h), dialer);
    QCOMPARE(encodeHeader(h, Link::OperatorServer), operatorServer);
    QCOMPARE(encodeHeader(h, Link::Monitor), monitor);

    const QList<std::pair<Link, QByteArray>> links{
        {Link::Dialer, dialer}, {Link::OperatorServer, operatorServer}, {Link::Monitor, monitor}};
    for (const auto &[link, bytes] : links) {
        Header back;
        QVERIFY(decodeHeader(bytes, back, link).ok());
        QCOMPARE(back, h);
    }
}

void TestPacketFormat::truncatedHeaderAndRecordAreRefused()
{
    const QByteArray header = encodeHeader({40, -1, 1, DbOk, 24});
    QVERIFY(refusesPrefixes(header, [](const QByteArray &b) {
        Header h;
        return decodeHeader(b, h);
    }));
    // The record alone, and after a header.
    const QByteArray record = encodeRecordId({5, QStringLiteral("PD")});
    RecordId r;
    QVERIFY(refusesPrefixes(record, [&r](const QByteArray &b) { return decodeRecordId(b, r); }));
    QVERIFY(!decodeRecordId(record, r, 1).ok());
    QVERIFY(!decodeRecordId(record, r, 100).ok()); // offset past the end
    QVERIFY(decodeRecordId(header + record, r, kHeaderSize).ok());
    QCOMPARE(r.id, 5);
    // A whole packet needs its record.
    QVERIFY(refusesPrefixes(framedPacket(24 + 2, "ab").left(kPrefixSize), [](const QByteArray &b) {
        Packet p;
        return decodePacket(b, p);
    }));
    // Totlen 16 but a Len announcing a record: the record is missing, not absent.
    Packet p;
    QVERIFY(!decodePacket(encodeHeader({16, 0, 12000, RichiestaGruppi, 24}), p).ok());
}

void TestPacketFormat::contactIsAnsiAndTwentyWide()
{
    // One byte per character in the code page: a UTF-8 contact would be 2 bytes longer.
    const QByteArray bytes = encodeRecordId({-5, QStringLiteral("Niccol\u00f2 \u00e8")});
    QCOMPARE(bytes, hex("FBFFFFFF") + "Niccol\xF2 \xE8" + QByteArray(11, ' '));
    RecordId back;
    QVERIFY(decodeRecordId(bytes, back).ok());
    QCOMPARE(back.id, -5);
    QCOMPARE(back.contact, QStringLiteral("Niccol\u00f2 \u00e8") + QString(11, QLatin1Char(' ')));

    // Too long: cut at 20, so the body still starts at 44.
    const QString longTag = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QCOMPARE(encodeRecordId({1, longTag}), hex("01000000") + "ABCDEFGHIJKLMNOPQRST");
    const QByteArray wire = encodePacket(requestHeader(FreeQueue, 4, 12000), {1, longTag}, hex("2A000000"));
    QCOMPARE(wire.mid(offset::Body), hex("2A000000"));
}

void TestPacketFormat::decodePacketBodyFollowsLenAndTotlen()
{
    const QByteArray ten = "0123456789";
    struct Case {
        qint32 len;
        QByteArray body;
    };
    const QList<Case> cases{
        {24 + 10, ten},           // agree
        {24 + 4, "0123"},         // Len says less: cut
        {24 + 100, ten},          // Len says more: only what was framed
        {24, {}},                 // record only
        {10, {}},                 // shorter than the record
        {-1, {}},
        {std::numeric_limits<qint32>::min(), {}},
    };
    for (const Case &c : cases) {
        Packet p;
        const wire::Status s = decodePacket(framedPacket(c.len, ten), p);
        QVERIFY2(s.ok(), qPrintable(s.error));
        QCOMPARE(p.header.len, c.len);
        QCOMPARE(p.record, (RecordId{3, QStringLiteral("PD") + QString(18, QLatin1Char(' '))}));
        QVERIFY2(p.body == c.body, qPrintable(QStringLiteral("Len ") + QString::number(c.len)));
    }
}

void TestPacketFormat::fixedTexts()
{
    using namespace fixedtext;
    QCOMPARE(completaStringa(QStringLiteral("ROSSI"), 8), QByteArray("ROSSI\0\0\0", 8));
    QCOMPARE(completaStringa(QStringLiteral("ROSSIMARIO"), 5), QByteArray("ROSSI"));
    QCOMPARE(completaStringa(QStringLiteral("Niccol\u00f2"), 7), QByteArray("Niccol\xF2"));
    // Windows-1252, not Latin-1: the euro sign has a byte of its own.
    QCOMPARE(completaStringa(QStringLiteral("\u20ac"), 2), QByteArray("\x80\0", 2));
    QCOMPARE(completaStringa({}, 3), QByteArray(3, '\0'));

    QCOMPARE(pulisciStringa(QByteArray("  MARIO\0\0 ", 10)), QStringLiteral("MARIO"));
    QCOMPARE(pulisciStringa(QByteArray("A\0B", 3)), QStringLiteral("A B"));
    QCOMPARE(pulisciStringa(QByteArray(20, '\0')), QString());
    QCOMPARE(pulisciStringa(QString(QLatin1String("\0 x\0", 4))), QStringLiteral("x"));
    QCOMPARE(pulisciStringa(QByteArray(" \xE8 ")), QStringLiteral("\u00e8"));

    QCOMPARE(daArrayAchar(QByteArray("AB\0\0CD", 6), 4), QString(QLatin1String("AB\0\0", 4)));
    QCOMPARE(daArrayAchar(QByteArray("\xF2x"), 5), QStringLiteral("\u00f2x"));
}

QTEST_GUILESS_MAIN(TestPacketFormat)
#include "tst_packetformat.moc"
