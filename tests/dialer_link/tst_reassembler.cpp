// Cutting dialer packets out of the byte stream, whatever the segmentation.
#include <QtTest>

#include "dialer_link/PacketFormat.h"
#include "dialer_link/Reassembler.h"

using namespace packet;

namespace {

QByteArray request(qint32 code, qint32 id, const QByteArray &body = {}, const QString &tag = QStringLiteral("PD"))
{
    const Header h{40 + int(body.size()), 0, 12000, code, 24 + int(body.size())};
    return encodeHeader(h) + encodeRecordId({id, tag}) + body;
}

class RecordingSink : public ReassemblySink {
public:
    bool isConnected = true;
    double diagnosticLevel = 0;
    QStringList lines;
    QList<qint32> dispatchedIds;
    QList<QByteArray> bodies;
    QList<QByteArray> drains;
    int ticks = 0, errors = 0;
    qint64 read = 0;
    qint32 lastCode = 0;

    bool connected() const override { return isConnected; }
    double level() const override { return diagnosticLevel; }
    void log(const QString &text, const QString &tag, qint32) override { lines << (tag.isEmpty() ? text : tag + QLatin1Char('|') + text); }
    void tick() override { ++ticks; }
    void bytesRead(int count) override { read += count; }
    void codeReceived(qint32 code) override { lastCode = code; }
    void dataError() override { ++errors; }
    void drained(const QByteArray &bytes, const Header &, const RecordId &) override { drains << bytes; }
    void packet(const Header &, const RecordId &r, const QByteArray &body) override
    {
        dispatchedIds << r.id;
        bodies << body;
    }
};

} // namespace

class TestReassembler : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitAtEveryByteBoundary();
    void byteByByte();
    void severalPacketsInOneChunk();
    void requestFollowedByIncompleteSecond();
    void underFortyBytesWaits();
    void codeBelowRequestsIsDrained();
    void negativeIdOrLenIsDrained();
    void lengthZeroIsDrained();
    void absurdLengthIsDrained();
    void oversizedBodyIsCut();
    void shortPacketNeverTakesTheNextOne();
    void disconnectedSocketAbandonsThePacket();
    void tracesAtLevelTwo();
};

void TestReassembler::splitAtEveryByteBoundary()
{
    const QByteArray stream = request(RichiestaGruppi, 1) + request(RichiestaClientiGruppi, 2, QByteArray::fromHex("01000000" "05000000" "0A000000"))
        + request(Esito, 3, QByteArray(136, 'e'));
    for (int cut = 0; cut <= stream.size(); ++cut) {
        RecordingSink sink;
        Reassembler r(sink);
        r.onData(stream.left(cut));
        r.onData(stream.mid(cut));
        QCOMPARE(sink.dispatchedIds, (QList<qint32>{1, 2, 3}));
        QCOMPARE(sink.bodies[2], QByteArray(136, 'e'));
        QCOMPARE(sink.errors, 0);
        QVERIFY(sink.drains.isEmpty());
        QCOMPARE(r.pending(), 0);
        QCOMPARE(sink.read, stream.size());
    }
}

void TestReassembler::byteByByte()
{
    const QByteArray stream = request(RichiestaGruppi, 1) + request(FreeQueue, 2, QByteArray(8, '\1'));
    RecordingSink sink;
    Reassembler r(sink);
    for (char c : stream)
        r.onData(QByteArray(1, c));
    QCOMPARE(sink.dispatchedIds, (QList<qint32>{1, 2}));
    QCOMPARE(r.pending(), 0);
}

void TestReassembler::severalPacketsInOneChunk()
{
    QByteArray stream;
    for (int id = 1; id <= 5; ++id)
        stream += request(Esito, id, QByteArray(136, char(id)));
    RecordingSink sink;
    sink.diagnosticLevel = 1;
    Reassembler r(sink);
    r.onData(stream);
    QCOMPARE(sink.dispatchedIds, (QList<qint32>{1, 2, 3, 4, 5}));
    QCOMPARE(sink.ticks, 5); // the main tick runs once per packet
    QCOMPARE(sink.lines.count(QStringLiteral("Ho già altri %1 bytes ").arg(4 * 180)), 1);
    QCOMPARE(sink.lines.filter(QStringLiteral("Ho già altri")).size(), 4);
}

void TestReassembler::requestFollowedByIncompleteSecond()
{
    const QByteArray second = request(RichiestaClientiGruppi, 8, QByteArray(200, 'b'));
    RecordingSink sink;
    sink.diagnosticLevel = 1;
    Reassembler r(sink);
    r.onData(request(RichiestaGruppi, 7) + second.left(100));
    QCOMPARE(sink.dispatchedIds, QList<qint32>{7});
    QVERIFY(sink.lines.contains(QStringLiteral("Ho già altri 100 bytes ")));
    QVERIFY(sink.lines.contains(QStringLiteral("Ricevuto PacketLen=240 BytesReceived=100")));
    QVERIFY(sink.lines.contains(QStringLiteral("Aspetto altri 144 bytes ")));
    QVERIFY(r.awaitingRest());
    r.onData(second.mid(100));
    QCOMPARE(sink.dispatchedIds, (QList<qint32>{7, 8}));
    QCOMPARE(sink.bodies.last(), QByteArray(200, 'b'));
    QVERIFY(!r.awaitingRest());
}

void TestReassembler::underFortyBytesWaits()
{
    const QByteArray packet = request(RichiestaGruppi, 1);
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(packet.left(30));
    QCOMPARE(sink.ticks, 0); // ignored: the bytes wait for the next event
    QCOMPARE(r.pending(), 30);
    r.onData(packet.mid(30));
    QCOMPARE(sink.dispatchedIds, QList<qint32>{1});
}

void TestReassembler::codeBelowRequestsIsDrained()
{
    const QByteArray bad = request(69999, 4);
    const QByteArray after = request(RichiestaGruppi, 5);
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(bad + after);
    QVERIFY(sink.lines.contains(QStringLiteral("RX|ERRORE NEI DATI")));
    QCOMPARE(sink.errors, 1);
    QCOMPARE(sink.lastCode, 69999);
    QVERIFY(sink.dispatchedIds.isEmpty());
    QCOMPARE(sink.drains, QList<QByteArray>{after}); // everything pending goes
    QCOMPARE(r.pending(), 0);
    r.onData(request(RichiestaGruppi, 6)); // a fresh stream after the drain
    QCOMPARE(sink.dispatchedIds, QList<qint32>{6});
}

void TestReassembler::negativeIdOrLenIsDrained()
{
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(request(RichiestaGruppi, -1));
    QCOMPARE(sink.errors, 1);
    QByteArray negativeLen = request(RichiestaGruppi, 1);
    negativeLen.replace(16, 4, QByteArray::fromHex("FFFFFFFF"));
    r.onData(negativeLen);
    QCOMPARE(sink.errors, 2);
    QVERIFY(sink.dispatchedIds.isEmpty());
}

void TestReassembler::lengthZeroIsDrained()
{
    QByteArray zero = request(RichiestaGruppi, 1);
    zero.replace(0, 4, QByteArray(4, '\0'));
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(zero);
    QCOMPARE(sink.lines.first(), QStringLiteral("PROBLEMA PacketLen=0 RX = 44"));
    QCOMPARE(sink.drains.size(), 1);
    QCOMPARE(sink.drains.first().size(), 40);
    QVERIFY(sink.dispatchedIds.isEmpty());
}

void TestReassembler::absurdLengthIsDrained()
{
    QByteArray garbage = request(RichiestaGruppi, 1);
    garbage.replace(0, 4, QByteArray("AAAA"));
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(garbage);
    QCOMPARE(sink.lines.first(), QStringLiteral("PROBLEMA PacketLen=1094795585 RX = 44"));
    QCOMPARE(sink.drains.size(), 1);
    QVERIFY(!r.awaitingRest()); // the link is not left waiting for a gigabyte
    r.onData(request(RichiestaGruppi, 2));
    QCOMPARE(sink.dispatchedIds, QList<qint32>{2});
}

void TestReassembler::oversizedBodyIsCut()
{
    const QByteArray big = request(DiscardQuery, 3, QByteArray(4100, 'd'));
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(big + request(RichiestaGruppi, 4));
    QVERIFY(sink.lines.contains(QStringLiteral("RX|PROBLEMA")));
    QCOMPARE(sink.bodies.first().size(), 4000);
    QCOMPARE(sink.dispatchedIds, (QList<qint32>{3, 4})); // the next packet is not lost
}

void TestReassembler::shortPacketNeverTakesTheNextOne()
{
    // A header-only packet followed by a request: framing follows Totlen.
    const QByteArray headerOnly = encodeHeader(Header{16, 0, 0, 70110, 0});
    RecordingSink sink;
    Reassembler r(sink);
    r.onData(headerOnly + request(RichiestaGruppi, 9));
    QCOMPARE(sink.dispatchedIds, (QList<qint32>{0, 9}));
    // Len claims more body than the packet holds: only its own bytes are taken.
    QByteArray lying = request(Esito, 10, QByteArray(8, 'x'));
    lying.replace(16, 4, QByteArray::fromHex("A0000000"));
    r.onData(lying + request(RichiestaGruppi, 11));
    QCOMPARE(sink.bodies.at(2), QByteArray(8, 'x'));
    QCOMPARE(sink.dispatchedIds.last(), 11);
}

void TestReassembler::disconnectedSocketAbandonsThePacket()
{
    RecordingSink sink;
    sink.isConnected = false;
    Reassembler r(sink);
    r.onData(request(RichiestaGruppi, 1));
    QCOMPARE(sink.lines, QStringList{QStringLiteral("Socket non connessa")});
    QVERIFY(sink.dispatchedIds.isEmpty());
}

void TestReassembler::tracesAtLevelTwo()
{
    RecordingSink sink;
    sink.diagnosticLevel = 2;
    Reassembler r(sink);
    r.onData(request(RichiestaGruppi, 12, {}, QStringLiteral("ABC")));
    const QStringList expected = {QStringLiteral("RX|WS1-Totlen   40"), QStringLiteral("RX|WS1-LineaSVC 0"),
                                  QStringLiteral("RX|WS1-Reply    12000"), QStringLiteral("RX|WS1-Len      24"),
                                  QStringLiteral("RX|WS1-Code     70000"), QStringLiteral("RX|WS1-ID       12"),
                                  QStringLiteral("RX|WS1-Contact  ABC                 ")};
    QCOMPARE(sink.lines.mid(1, 7), expected);
}

QTEST_GUILESS_MAIN(TestReassembler)
#include "tst_reassembler.moc"
