// The PBX line monitor's stream, decoded from bytes: a thousand records in
// one packet, this link's length limit, bad lengths and unknown codes,
// records and line states outside the table; the line table's texts and
// the call messages that count an extension's calls; the LED that opens
// and closes the link.
#include <QtTest>

#include "../support/Bytes.h"
#include "../ct_monitor/LinkLog.h"

#include <QTcpServer>
#include <QTcpSocket>

#include "../core/TestSupport.h"
#include "ct_monitor/ExtensionTable.h"
#include "pbx_lines/PbxMonitor.h"

namespace {

using pbx::LineRecord;

LineRecord line(int number, int state, const QString &name = QStringLiteral("LINEA"))
{
    LineRecord r;
    r.number = number;
    r.first = 7;
    r.state = state;
    r.second = 12;
    r.mask = 5;
    r.name = name;
    return r;
}

// The PBX monitor logs to lists of its own.
struct Fixture : LinkLog {
    FileLocations files{{dir.path(), dir.path(), dir.path()}};
    ExtensionTable extensions;
    PbxMonitor pbx{{log, model, files, debug, extensions, [] { return 200; }}};

    QStringList lines(const QString &text) const { return pbx.list.lines().filter(text); }
    QString state(int n) const { return pbx.table().row(n).state; }
};

} // namespace

class TestPbxLines : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytesLaidOutByHandAreRead();
    void aThousandRecordsInOnePacket();
    void badLengthsAndStalledPacketsAreDrained();
    void unknownCodesAndShortBodiesSkipOnlyTheirPacket();
    void lineStatesOutsideTheTableChangeNothing();
    void theLineTableTextsAndColours();
    void callMessagesCountTheExtensionsCalls();
    void masksAndCallTextsAreFormattedSafely();
    void theLedOpensAndClosesTheLink();
};

void TestPbxLines::bytesLaidOutByHandAreRead()
{
    // Written from the format's description, not with the program's encoders.
    const auto header = [](qint32 code, qint32 body) { return be32(16 + body) + be32(0) + be32(0) + be32(code) + be32(body); };
    QByteArray lines = be32(1) + be32(2) + be32(3) + be32(4) + be32(5) + be32(6);
    lines += be32(405) + be32(11) + be32(6) + be32(22) + be32(0) + QByteArray(36, 'z') + padded("URBANA 5", 16) + QByteArray(16, 'w');
    QByteArray single = be32(406) + be32(1) + be32(12) + be32(2) + be32(6) + padded("LINEA 6", 16);
    QByteArray call = be32(110) + be32(406) + be32(0) + be32(0) + QByteArray("IN LINEA 406");
    Fixture f;
    f.pbx.feed(header(52000, qint32(lines.size())) + lines + header(52001, qint32(single.size())) + single
               + header(52002, qint32(call.size())) + call);
    QCOMPARE(f.state(405), QStringLiteral("6"));
    QCOMPARE(f.state(406), QStringLiteral("12"));
    QCOMPARE(f.lines(QStringLiteral("405 URBANA 5  11 b= 22 0")).size(), 1);
    QCOMPARE(f.lines(QStringLiteral("ESTERNA 406 LINEA 6   1 b=  2 110")).size(), 1);
    QCOMPARE(f.extensions.row(110)[ExtensionTable::CallCounter], QStringLiteral("1"));

    // Through the program's encoders: names cut to their 16 bytes, and no
    // mask in a 52000 record.
    pbx::Packet p;
    QVERIFY(pbx::decode(pbx::encodeLines({line(520, 101, QStringLiteral("NOME LUNGO 16 CAR"))}, {1, 2, 3, 4, 5, 6}), p).ok());
    QCOMPARE(p.records.size(), 1);
    QCOMPARE(p.records[0].mask, 0);
    QCOMPARE(p.records[0].name, QStringLiteral("NOME LUNGO 16 CA"));
    QVERIFY(pbx::decode(pbx::encodeSingle({line(402, 6)}), p).ok());
    QCOMPARE(p.records[0].mask, 5);
}

void TestPbxLines::aThousandRecordsInOnePacket()
{
    // 1000 records, most for lines beyond the 120 shown: one packet of 88,044 bytes.
    QList<LineRecord> records;
    for (int i = 0; i < 1000; ++i)
        records.append(line(401 + i % 250, i % 13));
    const QByteArray packet = pbx::encodeLines(records);
    QCOMPARE(packet.size(), 20 + 24 + 1000 * 88);
    Fixture f;
    f.pbx.feed(packet.left(5000));
    f.pbx.feed(packet.mid(5000));
    // The last record for each line shown wins; lines beyond are not in the table.
    QCOMPARE(f.state(401), QString::number(750 % 13));
    QCOMPARE(f.state(520), QString::number(869 % 13));
    QVERIFY(f.state(521).isEmpty());
    QVERIFY(f.pbx.list.lines().last().startsWith(QStringLiteral("1000) "))); // every record is logged, numbered
}

void TestPbxLines::badLengthsAndStalledPacketsAreDrained()
{
    Fixture f;
    f.pbx.feed(be32(0) + QByteArray(30, 'x'));
    QCOMPARE(f.lines(QStringLiteral("DA WS1= PROBLEMA PacketLen=0 RX = ")).size(), 1);
    f.pbx.feed(be32(pbx::kMaxPacketLength + 1) + QByteArray(10, 'y'));
    QCOMPARE(f.lines(QStringLiteral("DA WS1= PROBLEMA PacketLen=93101 RX = ")).size(), 1);
    // The largest packet allowed still goes through, and so does the next.
    QByteArray largest = pbx::encodeCall({{0, 0, 0, 0}, QString(pbx::kMaxPacketLength - 16 - 16, QLatin1Char('a'))});
    QCOMPARE(qFromBigEndian<qint32>(largest.constData()), pbx::kMaxPacketLength);
    f.pbx.feed(largest + pbx::encodeSingle({line(402, 4)}));
    QCOMPARE(f.state(402), QStringLiteral("4"));

    // A packet that never ends is dropped after the timeout; what follows
    // is read from its own start.
    f.pbx.feed(pbx::encodeSingle({line(403, 5)}).left(30));
    QTRY_COMPARE_WITH_TIMEOUT(f.lines(QStringLiteral("DA WS1= PROBLEMA PacketLen=")).size(), 3, 10000);
    f.pbx.feed(pbx::encodeSingle({line(404, 6)}));
    QCOMPARE(f.state(404), QStringLiteral("6"));
    QVERIFY(f.state(403).isEmpty());
}

void TestPbxLines::unknownCodesAndShortBodiesSkipOnlyTheirPacket()
{
    Fixture f;
    QByteArray unknown = pbx::encodeSingle({line(401, 1)});
    qToBigEndian<qint32>(52099, unknown.data() + 12);
    // A 52001 with 40 bytes: one record and 4 bytes of a second, skipped whole.
    QByteArray ragged = pbx::encodeSingle({line(402, 2)}) + QByteArray(4, '\1');
    qToBigEndian<qint32>(16 + 40, ragged.data());
    qToBigEndian<qint32>(40, ragged.data() + 16);
    // A 52000 too short for its 24-byte block; a 52002 too short for its integers.
    QByteArray noBlock = pbx::encodeLines({}).left(20 + 10);
    qToBigEndian<qint32>(16 + 10, noBlock.data());
    QByteArray shortCall = pbx::encodeCall({{105, 0, 0, 0}, QString()}).left(20 + 8);
    qToBigEndian<qint32>(16 + 8, shortCall.data());
    f.pbx.feed(unknown + ragged + noBlock + shortCall + pbx::encodeSingle({line(403, 3)}));
    QCOMPARE(f.lines(QStringLiteral("MSG SCON.52099 LEN 36")).size(), 1);
    QVERIFY(f.state(401).isEmpty());
    QCOMPARE(f.state(402), QStringLiteral("2"));
    QCOMPARE(f.lines(QStringLiteral("PROBLEMA")).size(), 2); // the two bodies too short
    QVERIFY(f.extensions.row(105)[ExtensionTable::CallCounter].isEmpty());
    QCOMPARE(f.state(403), QStringLiteral("3"));
}

void TestPbxLines::lineStatesOutsideTheTableChangeNothing()
{
    Fixture f;
    f.pbx.feed(pbx::encodeSingle({line(401, 257), line(401, -1), line(400, 5), line(521, 5), line(600, 5),
                                  line(std::numeric_limits<qint32>::min(), 5), line(std::numeric_limits<qint32>::max(), 5)}));
    for (int n = LineTable::kFirst; n < LineTable::kFirst + LineTable::kRows; ++n)
        QVERIFY2(f.state(n).isEmpty(), qPrintable(QString::number(n)));
    // Beyond the lines drawn, and below the extensions, the record is called a problem.
    QCOMPARE(f.lines(QStringLiteral("PROB LINEA ")).size(), 3);
    // An extension's record is logged as such and changes no line.
    f.pbx.feed(pbx::encodeSingle({line(250, 5)}));
    QCOMPARE(f.lines(QStringLiteral("INTERNA 250 ")).size(), 1);
    QCOMPARE(f.lines(QStringLiteral("ESTERNA 521 ")).size(), 1);
    QVERIFY(f.state(401).isEmpty());
    // The last line drawn takes its state; the one after it does not.
    f.pbx.feed(pbx::encodeLines({line(520, 7), line(521, 7)}));
    QCOMPARE(f.state(520), QStringLiteral("7"));
    QVERIFY(f.state(521).isEmpty());
}

void TestPbxLines::theLineTableTextsAndColours()
{
    Fixture f;
    f.pbx.feed(pbx::encodeLines({line(401, 5)}));
    QCOMPARE(f.pbx.table().row(401).tooltip, QStringLiteral("[ 401 ] STATO = 5 Connessa con interna"));
    f.pbx.feed(pbx::encodeLines({line(402, 11)}));
    QCOMPARE(f.pbx.table().row(402).tooltip, QStringLiteral("[ 402 ] STATO = 11 ")); // a code without a name

    // Sixteen named states, the others without a name (colours: tst_statuspage, tst_monitorwindows).
    int named = 0;
    for (int code = 0; code < LineTable::kStates; ++code)
        named += !LineTable::stateName(code).isEmpty();
    QCOMPARE(named, 16);
    QCOMPARE(LineTable::stateName(10), QStringLiteral("Libera per ricevere e/o chiamare"));
    QCOMPARE(LineTable::stateName(101), QStringLiteral("Cancellata"));

    // Lines drawn: 120 when unset, rounded up to tens, never beyond the table.
    LineTable t;
    QCOMPARE(t.lines(), 120);
    QVERIFY(t.shown(401) && t.shown(520) && !t.shown(521) && !t.shown(400));
    t.setLines(95);
    QCOMPARE(t.lines(), 100);
    t.setLines(0);
    QCOMPARE(t.lines(), 120);
    t.setLines(5000);
    QCOMPARE(t.lines(), LineTable::kRows);
    QVERIFY(t.shown(599) && !t.shown(600));

    // Totals by state, an unreported line counted as free as the status page counts it.
    const auto totals = f.pbx.table().totals();
    QCOMPARE(totals.at(5), 1);
    QCOMPARE(totals.at(11), 1);
    QCOMPARE(totals.at(0), 118);
}

void TestPbxLines::callMessagesCountTheExtensionsCalls()
{
    Fixture f;
    f.extensions.setCells(105, {{ExtensionTable::Agent, QStringLiteral("1005")}, {ExtensionTable::Description, QStringLiteral("Rossi")}});
    const auto call = [&f](int extension, const QString &text) { f.pbx.feed(pbx::encodeCall({{extension, 9, 8, 7}, text})); };
    call(105, QStringLiteral("Linea 401 IN LINEA con 105"));
    QCOMPARE(f.extensions.row(105)[ExtensionTable::CallCounter], QStringLiteral("1"));
    call(105, QStringLiteral("Linea 402 IN LINEA con 105"));
    QCOMPARE(f.extensions.row(105)[ExtensionTable::CallCounter], QStringLiteral("2"));
    // Not a call of its own: the caller named, lower case "in linea", extensions outside 100..300.
    call(105, QStringLiteral("Interno Chiamante 105 IN LINEA"));
    call(105, QStringLiteral("in linea"));
    call(99, QStringLiteral("IN LINEA"));
    call(301, QStringLiteral("IN LINEA"));
    call(std::numeric_limits<qint32>::min(), QStringLiteral("IN LINEA"));
    QCOMPARE(f.extensions.row(105)[ExtensionTable::CallCounter], QStringLiteral("2"));
    QVERIFY(f.extensions.row(300)[ExtensionTable::CallCounter].isEmpty());
    // The message is logged with the agent's name and number.
    QVERIFY(!f.lines(QStringLiteral(" Msg x Int 105 Rossi [1005] ")).isEmpty());
    // The message list only while it is shown, and never beyond its cap.
    QCOMPARE(f.pbx.messages.count(), 0);
    f.pbx.messagesShown.set(true);
    for (int i = 0; i < 3000; ++i)
        call(106, QStringLiteral("messaggio"));
    QVERIFY(f.pbx.messages.count() <= PbxMonitor::kMessagesShown + LogList::kTrimCount + 2);
    QVERIFY(f.pbx.messages.count() > 0);
    QCOMPARE(f.extensions.row(106)[ExtensionTable::CallCounter], QString());
}

void TestPbxLines::masksAndCallTextsAreFormattedSafely()
{
    QCOMPARE(pbx::binary(0), QStringLiteral("0"));
    QCOMPARE(pbx::binary(5), QStringLiteral("101"));
    QCOMPARE(pbx::binary(-1), QString(32, QLatin1Char('1')));
    QCOMPARE(pbx::binary(std::numeric_limits<qint32>::min()), QStringLiteral("1") + QString(31, QLatin1Char('0')));
    // One pass of the pair rule, as the exchange's texts have always been cleaned.
    QCOMPARE(pbx::cleanCallText(QStringLiteral("  Linea...401\x01\tIN LINEA  \xE8 ")), QStringLiteral("Linea  401 IN LINEA"));
    // The text of a 52002 keeps its control characters for the counter's test and loses them on the list.
    Fixture f;
    f.pbx.messagesShown.set(true);
    f.pbx.feed(pbx::encodeCall({{105, 0, 0, 0}, QStringLiteral("A\x01" "B.C")}));
    QVERIFY(f.pbx.messages.lines().join(QLatin1Char('|')).contains(QStringLiteral("A B C")));
    // The exchange pads its texts with NULs, and a text may hold control
    // bytes: neither reaches a list line (nor, headless, standard output).
    const QByteArray nulPadded = padded("IN LINEA 401", 20);
    const QByteArray controls("\x07" "CHIAMATA\x1b[2J\r\nIN LINEA 402\x7f\0\0", 30);
    for (const QByteArray &text : {nulPadded, controls})
        f.pbx.feed(be32(16 + 16 + qint32(text.size())) + be32(0) + be32(0) + be32(pbx::CallMessage) + be32(16 + qint32(text.size()))
                   + be32(107) + be32(0) + be32(0) + be32(0) + text);
    QCOMPARE(f.extensions.row(107)[ExtensionTable::CallCounter], QStringLiteral("2"));
    QCOMPARE(f.lines(QStringLiteral("107 0 0 0 | IN LINEA 401")), QStringList{QStringLiteral("107 0 0 0 | IN LINEA 401")});
    QCOMPARE(f.lines(QStringLiteral(" CHIAMATA [2J  IN LINEA 402 ")).size(), 1);
    QCOMPARE(f.lines(QStringLiteral("IN LINEA 401 Msg x Int 107  []  Len 20")).size(), 1);
    for (const QStringList &list : {f.pbx.list.lines(), f.pbx.messages.lines()}) {
        for (const QString &line : list) {
            for (const QChar c : line)
                QVERIFY2(c.unicode() >= 32 && c.unicode() != 127, line.toLatin1().toHex(' ').constData());
        }
    }
}

void TestPbxLines::theLedOpensAndClosesTheLink()
{
    QTcpServer exchange;
    QVERIFY(exchange.listen(QHostAddress::LocalHost, 0));
    const quint16 port = exchange.serverPort();
    QSignalSpy accepted(&exchange, &QTcpServer::newConnection);
    Fixture f;
    writeFile(f.dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nPortaPBX=" + QByteArray::number(port) + "\r\n");
    f.model.serverIp.setText(QStringLiteral("127.0.0.1"));
    f.pbx.reconnector().setWaits(50, 200);
    f.pbx.open();
    QVERIFY(accepted.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(f.pbx.socket().isConnected(), 10000);

    exchange.nextPendingConnection()->write(pbx::encodeSingle({line(401, 6)}));
    QTRY_COMPARE_WITH_TIMEOUT(f.state(401), QStringLiteral("6"), 10000);

    // The LED closes an open link, which stays closed ...
    f.pbx.toggleLink();
    QCOMPARE(f.lines(QStringLiteral("Chiusa Socket ( PBX )")).size(), 1);
    QCOMPARE(f.pbx.socket().state(), 0);
    QVERIFY(!f.pbx.reconnector().retrying());
    // ... and opens one closed or in error at once, long before its next try.
    f.pbx.reconnector().setWaits(600000, 600000);
    f.pbx.toggleLink();
    QCOMPARE(f.lines(QStringLiteral("Aperta Socket ( PBX )")).size(), 1);
    QVERIFY(accepted.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(f.pbx.socket().isConnected(), 10000);
    QTcpSocket *peer = exchange.nextPendingConnection();
    exchange.close();
    peer->abort();
    QTRY_COMPARE_WITH_TIMEOUT(f.pbx.socket().state(), 9, 10000);
    QVERIFY(exchange.listen(QHostAddress::LocalHost, port));
    f.pbx.toggleLink();
    QCOMPARE(f.lines(QStringLiteral("Aperta Socket ( PBX )")).size(), 2);
    QVERIFY(accepted.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(f.pbx.socket().isConnected(), 10000);
}

QTEST_GUILESS_MAIN(TestPbxLines)
#include "tst_pbxlines.moc"
