// The dialer link's receive loop over a scripted byte source: framing,
// checks, drains, the time-out of an incomplete packet, and reading only
// while the writer is idle.
#include <QtTest>

#include "../core/TestSupport.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/LogList.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/RequestReader.h"

using namespace packet;

namespace {

class ScriptedSource : public ByteSource {
public:
    QByteArray bytes;
    bool connected = true;
    qint64 reads = 0;
    bool isConnected() const override { return connected; }
    qint64 bytesAvailable() const override { return bytes.size(); }
    QByteArray read(qint64 max) override
    {
        ++reads;
        const QByteArray out = bytes.left(max);
        bytes.remove(0, out.size());
        return out;
    }
};

QByteArray request(qint32 code, qint32 id, const QByteArray &body = {})
{
    return encodePacket(requestHeader(code, int(body.size()), 12000), {id, QStringLiteral("PD")}, body);
}

// The reader, and a writer that is busy while the test says so.
struct Bench : ReplyQueue {
    QTemporaryDir dir;
    DebugFile debug{dir.filePath(QStringLiteral("DEBUG.TXT"))};
    MainModel model;
    Logger log{model.debugLevel};
    Settings settings;
    ScriptedSource source;
    bool writing = false;
    bool writingAfterServe = false; // each request gets a reply that occupies the writer
    int ticks = 0;
    QList<Packet> served;
    RequestReader reader{log, model, debug, settings};

    Bench()
    {
        reader.setWriter(this);
        QObject::connect(&reader, &RequestReader::packetRead, [this] { ++ticks; });
        QObject::connect(&reader, &RequestReader::requestReceived, [this](const Packet &p) {
            served << p;
            writing = writing || writingAfterServe;
        });
        model.debugLevel.setText(QStringLiteral("0"));
        reader.frames().setSource(&source);
    }
    QList<qint32> ids() const
    {
        QList<qint32> out;
        for (const Packet &p : served)
            out << p.record.id;
        return out;
    }
    bool busy() const override { return writing; }
    QStringList list1() { return log.list1().lines(); }
    QString counter(MainModel::Traffic t) { return QString::number(model.traffic[t]->value()); }
};

} // namespace

class TestRequestReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsNothingWhileTheWriterIsBusyOrGone();
    void badRequestsAreCountedAndDrained_data();
    void badRequestsAreCountedAndDrained();
    void falseLengthTimesOutAndTheNextRequestIsServed();
    void timeSpentWritingIsNotTheDialersFault();
    void oversizedBodyAndJunkFloodAreBounded();
    void tracesAtLevelsOneAndTwo();
};

void TestRequestReader::readsNothingWhileTheWriterIsBusyOrGone()
{
    Bench b;
    QByteArray many;
    for (int id = 1; id <= 5000; ++id)
        many += request(RichiestaGruppi, id); // 220,000 bytes
    b.source.bytes = many;
    b.writingAfterServe = true;
    b.writing = true; // DBOK is still being written
    b.reader.pump();
    QVERIFY(b.served.isEmpty());
    QCOMPARE(b.source.reads, 0);
    // Each reply keeps the writer busy until it is handed over: one request
    // is served per idle writer, and at most one chunk is taken from the
    // socket; the rest stays there for TCP to push back on the dialer.
    for (int round = 1; round <= 3; ++round) {
        b.writing = false;
        b.reader.pump();
        QCOMPARE(b.served.size(), round);
        b.reader.pump(); // a wake-up while busy serves nothing
        QCOMPARE(b.served.size(), round);
        QCOMPARE(b.reader.held() + b.source.bytes.size(), many.size() - round * 44);
        QVERIFY(b.reader.held() <= RequestReader::kReadChunk);
    }
    QCOMPARE(b.ids(), (QList<qint32>{1, 2, 3}));
    // Nor is a source read once it is disconnected.
    Bench gone;
    gone.source.connected = false;
    gone.source.bytes = request(RichiestaGruppi, 1);
    gone.reader.pump();
    QVERIFY(gone.served.isEmpty());
    QCOMPARE(gone.source.reads, 0);
}

void TestRequestReader::badRequestsAreCountedAndDrained_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<bool>("badLength"); // no packet can be framed behind it
    QTest::newRow("code below the requests") << request(100, 8) << false;
    QTest::newRow("negative id") << request(RichiestaGruppi, -1) << false;
    QByteArray negativeLen = request(RichiestaGruppi, 4);
    negativeLen.replace(16, 4, QByteArray::fromHex("FFFFFFFF"));
    QTest::newRow("negative Len") << negativeLen << false;
    // A request always has its identification record; header-only is a reply's shape.
    QTest::newRow("header only") << encodeHeader(requestHeader(RichiestaGruppi, 0, 12000)).left(4 + 16).replace(0, 4, QByteArray::fromHex("00000010")) << false;
    QTest::newRow("shorter than a header") << QByteArray::fromHex("00000008" "0102030405060708") << false;
    // The length prefix itself out of range, logged as 0 when negative.
    QTest::newRow("negative length field") << QByteArray::fromHex("FFFFFFF0") << true;
}

void TestRequestReader::badRequestsAreCountedAndDrained()
{
    QFETCH(QByteArray, bad);
    QFETCH(bool, badLength);
    Bench b;
    const QByteArray after = request(RichiestaGruppi, 9) + QByteArray("tail");
    b.source.bytes = request(RichiestaGruppi, 1) + bad + after;
    const QString received = QString::number(b.source.bytes.size());
    const QString drained = QString::number(after.size() + (badLength ? bad.size() : 0));
    b.reader.pump();
    QCOMPARE(b.ids(), QList<qint32>{1});
    QCOMPARE(b.counter(MainModel::BytesReceived), received); // the drained bytes too
    const QString error = badLength ? QStringLiteral("PROBLEMA PacketLen=0 RX = ") + drained : QStringLiteral("ERRORE NEI DATI");
    QCOMPARE(b.list1().count(error), 1);
    QCOMPARE(b.counter(MainModel::DataErrors), badLength ? QStringLiteral("0") : QStringLiteral("1"));
    // Everything pending behind the bad packet is drained: the stream has no markers.
    QCOMPARE(b.log.list2().lines(), (QStringList{QStringLiteral("Svuoto coda 1 per ") + drained + QStringLiteral(" bytes"), QStringLiteral("Svuotata la coda 1")}));
    QCOMPARE(b.source.bytes.size(), 0);
    QCOMPARE(b.reader.held(), 0);
    QVERIFY(readFile(b.debug.path()).contains(" SVUOTO CODA x " + drained.toLatin1() + " bytes"));
    // A fresh stream starts with the next bytes.
    b.source.bytes = request(RichiestaGruppi, 10);
    b.reader.pump();
    QCOMPARE(b.ids(), (QList<qint32>{1, 10}));
}

void TestRequestReader::falseLengthTimesOutAndTheNextRequestIsServed()
{
    Bench b;
    b.settings.timeoutPacchettoSec = 1;
    // A length inside the accepted range whose bytes never come.
    b.source.bytes = QByteArray::fromHex("00001004") + QByteArray(30, 'x');
    b.reader.pump();
    QVERIFY(b.served.isEmpty());
    QCOMPARE(b.reader.held(), 34);
    // A request sent meanwhile is taken as bytes of the false packet and goes
    // with it; the link is not held up for long.
    b.source.bytes += request(RichiestaGruppi, 7);
    b.reader.pump();
    QVERIFY(b.served.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(b.list1().contains(QStringLiteral("PROBLEMA PacketLen=4100 RX = 78")), 20000);
    QCOMPARE(b.reader.held(), 0);
    QVERIFY(b.log.list2().lines().contains(QStringLiteral("Svuoto coda 1 per 78 bytes")));
    b.source.bytes = request(RichiestaGruppi, 8);
    b.reader.pump();
    QCOMPARE(b.ids(), QList<qint32>{8});
}

void TestRequestReader::timeSpentWritingIsNotTheDialersFault()
{
    Bench b;
    b.settings.timeoutPacchettoSec = 1;
    const QByteArray whole = request(RichiestaGruppi, 4);
    b.source.bytes = whole.left(10);
    b.reader.pump(); // the time-out starts
    // A reply from a button keeps the writer busy while the rest arrives.
    b.writing = true;
    b.source.bytes += whole.mid(10);
    b.reader.pump();
    QSignalSpy expired(&b.reader.incompleteTimer(), &QTimer::timeout);
    QVERIFY(expired.wait(20000)); // past the time-out, still busy: re-armed, nothing dropped
    QVERIFY(b.list1().filter(QStringLiteral("PROBLEMA")).isEmpty());
    QVERIFY(b.reader.incompleteTimer().isActive());
    b.writing = false;
    b.reader.pump();
    QCOMPARE(b.ids(), QList<qint32>{4});
    QVERIFY(b.list1().filter(QStringLiteral("PROBLEMA")).isEmpty());
}

void TestRequestReader::oversizedBodyAndJunkFloodAreBounded()
{
    Bench b;
    b.source.bytes = request(DiscardQuery, 1, QByteArray(4500, 'z')) + request(RichiestaGruppi, 2);
    b.reader.pump();
    QCOMPARE(b.ids(), (QList<qint32>{1, 2}));
    QCOMPARE(b.served[0].body, QByteArray(kBodyBufferSize, 'z'));
    QVERIFY(b.list1().contains(QStringLiteral("PROBLEMA")));
    QCOMPARE(b.counter(MainModel::DataErrors), QStringLiteral("0"));
    // A megabyte of junk costs a few kilobytes of dump, not four megabytes.
    Bench flood;
    const QByteArray junk(1024 * 1024, '\0');
    flood.source.bytes = junk;
    flood.reader.pump();
    QVERIFY(flood.served.isEmpty());
    QCOMPARE(flood.source.bytes.size(), 0);
    const qint64 written = QFileInfo(flood.debug.path()).size();
    QVERIFY2(written < 32 * 1024, qPrintable(QString::number(written)));
    QVERIFY(readFile(flood.debug.path()).contains(" bytes non scritti su "));
    // A good packet after the flood is served, and ends the run of junk.
    flood.source.bytes = request(RichiestaGruppi, 3);
    flood.reader.pump();
    QCOMPARE(flood.ids(), QList<qint32>{3});
}

void TestRequestReader::tracesAtLevelsOneAndTwo()
{
    Bench b;
    b.model.debugLevel.setText(QStringLiteral("1"));
    b.log.setClock([] { return QTime(0, 0, 1); });
    const QByteArray second = request(RichiestaGruppi, 2);
    b.source.bytes = request(RichiestaGruppi, 1) + second.left(30);
    b.reader.pump();
    QCOMPARE(b.ids(), QList<qint32>{1});
    const QStringList lines = b.list1();
    QVERIFY(lines.contains(QStringLiteral("1)(Ricevuto PacketLen=40 BytesReceived=74")));
    QVERIFY(lines.contains(QStringLiteral("1)(Ho già altri 30 bytes ")));
    QVERIFY(lines.contains(QStringLiteral("1)(Aspetto altri 14 bytes ")));
    b.source.bytes = second.mid(30);
    b.reader.pump();
    QCOMPARE(b.ids(), (QList<qint32>{1, 2}));
    QCOMPARE(b.ticks, 2); // the idle clocks, once per packet however it came
    QCOMPARE(b.list1().filter(QStringLiteral("Aspetto altri")).size(), 1);
    // At level two, each field of a header.
    Bench two;
    two.model.debugLevel.setText(QStringLiteral("2"));
    two.source.bytes = request(FreeQueue, 6, dialerbody::encode(dialerbody::GroupRelease{3}));
    two.reader.pump();
    const QStringList traces = two.list1().filter(QStringLiteral("(WS1-"));
    QCOMPARE(traces.size(), 7);
    QVERIFY(traces[0].endsWith(QStringLiteral("(WS1-Totlen   44")));
    QVERIFY(traces[4].endsWith(QStringLiteral("(WS1-Code     70003")));
    QVERIFY(traces[6].endsWith(QStringLiteral("(WS1-Contact  PD                  ")));
    QCOMPARE(two.counter(MainModel::LastCodeReceived), QStringLiteral("70003"));
}

QTEST_GUILESS_MAIN(TestRequestReader)
#include "tst_requestreader.moc"
