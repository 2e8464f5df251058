// Byte-exact packets: header, identification record, bodies, fixed texts.
#include <QtTest>

#include "dialer_link/BodyBuffer.h"
#include "dialer_link/FixedText.h"
#include "dialer_link/PacketFormat.h"

using namespace packet;

class TestPacketFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dbOkIsTwentyBytes();
    void emptyReplyIsFortyFourBytes();
    void customersPacketOfTenRecords();
    void emulatorGroupsRequest();
    void decodeRoundTripAndTruncation();
    void operatorServerByteOrder();
    void fixedTexts();
    void bodyBufferLimits();
};

void TestPacketFormat::dbOkIsTwentyBytes()
{
    const QByteArray bytes = encodeHeader(replyHeader(DbOk, 0, 0xC351, true));
    QCOMPARE(bytes, QByteArray::fromHex("00000010" "FFFFFFFF" "51C30000" "DE110100" "00000000"));
    QCOMPARE(encodeHeader(replyHeader(DbDown, 0, 1, true)).mid(12, 4), QByteArray::fromHex("DD110100"));
}

void TestPacketFormat::emptyReplyIsFortyFourBytes()
{
    const Header h = replyHeader(AckEsito, 0, 50000);
    QCOMPARE(h.totlen, 40);
    QCOMPARE(h.len, 24);
    const QByteArray bytes = encodeHeader(h) + encodeRecordId({7, QStringLiteral("PD01")});
    QCOMPARE(bytes.size(), 44);
    QCOMPARE(bytes.left(4), QByteArray::fromHex("00000028"));
    QCOMPARE(bytes.mid(12, 8), QByteArray::fromHex("D7110100" "18000000"));
    QCOMPARE(bytes.mid(20, 4), QByteArray::fromHex("07000000"));
    QCOMPARE(bytes.mid(24), QByteArray("PD01                "));
}

void TestPacketFormat::customersPacketOfTenRecords()
{
    BodyBuffer buffer;
    buffer.appendiLong(10);
    for (int i = 0; i < 10; ++i)
        QVERIFY(buffer.appendiBytes(QByteArray(296, char('a' + i))));
    const Header h = replyHeader(ClientiGruppo, buffer.position(), 1234);
    QCOMPARE(h.totlen, 40 + 2964);
    QCOMPARE(h.len, 24 + 2964);
    const QByteArray wire = encodeHeader(h) + encodeRecordId({99, QStringLiteral("tag")}) + buffer.body();
    QCOMPARE(wire.size(), 4 + h.totlen);
    QCOMPARE(readInt32Be(wire, 0), 3004);
    QCOMPARE(readInt32Le(wire, 44), 10);
    QCOMPARE(wire.at(48), 'a');
    QCOMPARE(wire.back(), 'j');
}

void TestPacketFormat::emulatorGroupsRequest()
{
    const Header h{40, 0, 12001, RichiestaGruppi, 24};
    const QByteArray bytes = encodeHeader(h) + encodeRecordId({1, QStringLiteral("127.0.0.1")});
    QCOMPARE(bytes.size(), 44);
    QCOMPARE(bytes.left(20), QByteArray::fromHex("00000028" "00000000" "E12E0000" "70110100" "18000000"));
}

void TestPacketFormat::decodeRoundTripAndTruncation()
{
    const Header h{3004, -1, 65535, ClientiOperatore, 2988};
    QCOMPARE(decodeHeader(encodeHeader(h)), h);
    const RecordId r{-5, QStringLiteral("Operatore è")};
    QCOMPARE(decodeRecordId(encodeRecordId(r)).contact, QStringLiteral("Operatore è         "));
    QCOMPARE(decodeRecordId(encodeRecordId(r)).id, -5);
    // A contact longer than 20 characters is cut, never spills into the body.
    QCOMPARE(encodeRecordId({1, QString(30, QLatin1Char('x'))}).size(), kRecordIdSize);
    // Every truncated prefix decodes without reading past the bytes given.
    const QByteArray full = encodeHeader(h);
    for (int n = 0; n < full.size(); ++n) {
        const Header part = decodeHeader(full.left(n));
        QCOMPARE(part.len, n >= 20 ? h.len : 0);
    }
}

void TestPacketFormat::operatorServerByteOrder()
{
    const Header h{20, -1, 20600, 55006, 4};
    QCOMPARE(encodeHeader(h, Link::OperatorServer),
             QByteArray::fromHex("00000014" "FFFFFFFF" "00005078" "0000D6DE" "00000004"));
    QCOMPARE(decodeHeader(encodeHeader(h, Link::OperatorServer), Link::OperatorServer), h);
}

void TestPacketFormat::fixedTexts()
{
    QCOMPARE(fixedtext::completaStringa(QStringLiteral("ROSSI"), 8), QByteArray("ROSSI\0\0\0", 8));
    QCOMPARE(fixedtext::completaStringa(QStringLiteral("ROSSIMARIO"), 5), QByteArray("ROSSI"));
    QCOMPARE(fixedtext::completaStringa(QStringLiteral("Niccolò"), 8), QByteArray("Niccol\xF2\0", 8));
    QCOMPARE(fixedtext::pulisciStringa(QByteArray("  MARIO\0\0 ", 10)), QStringLiteral("MARIO"));
    QCOMPARE(fixedtext::pulisciStringa(QByteArray("A\0B", 3)), QStringLiteral("A B"));
    QCOMPARE(fixedtext::daArrayAchar(QByteArray("0123456789"), 4), QStringLiteral("0123"));
}

void TestPacketFormat::bodyBufferLimits()
{
    BodyBuffer b;
    QVERIFY(b.appendiStringa(QStringLiteral("abc")));
    QVERIFY(b.appendiLong(-2));
    QCOMPARE(b.body(), QByteArray("abc\xFE\xFF\xFF\xFF"));
    QVERIFY(b.appendiBytes(QByteArray(kBodyBufferSize - 7, 'x')));
    QCOMPARE(b.position(), kBodyBufferSize);
    QVERIFY(!b.appendiLong(1)); // full: refused, nothing written
    QCOMPARE(b.position(), kBodyBufferSize);
    b.svuota();
    QCOMPARE(b.position(), 0);
    QVERIFY(b.body().isEmpty());
}

QTEST_GUILESS_MAIN(TestPacketFormat)
#include "tst_packetformat.moc"
