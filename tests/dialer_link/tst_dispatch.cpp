// The dispatch table and the queue drain.
#include <QtTest>

#include "../core/TestSupport.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/LogList.h"
#include "core/MainModel.h"
#include "core/QueueDrain.h"
#include "dialer_link/Dispatcher.h"

using namespace packet;

namespace {
Packet packetOf(qint32 code, qint32 id, const QByteArray &body = {})
{
    return {requestHeader(code, int(body.size()), 12000), {id, QStringLiteral("T")}, body};
}

struct Bench {
    QTemporaryDir dir;
    DebugFile debug{dir.filePath(QStringLiteral("DEBUG.TXT"))};
    MainModel model;
    Logger log{model.debugLevel};
    Dispatcher dispatcher{log, model, debug};
};
} // namespace

class TestDispatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRequestCodeHasItsService_data();
    void everyRequestCodeHasItsService();
    void unknownCodeIsCountedAndUnanswered();
    void refusedRequestIsADataErrorWithADump();
    void drainWritesTheDumpAndTwoLines();
    void junkDumpIsCappedPerRun();
};

void TestDispatch::everyRequestCodeHasItsService_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("70000") << 70000 << QStringLiteral("Ricevuta Richiesta gruppi");
    QTest::newRow("70001") << 70001 << QStringLiteral("Ricevuta Richiesta clienti x gruppi");
    QTest::newRow("70002") << 70002 << QStringLiteral("Ricevuto Esito");
    QTest::newRow("70003") << 70003 << QStringLiteral("Ricevuto PDOUTDB_FREEQUEUE");
    QTest::newRow("70004") << 70004 << QStringLiteral("Ricevuto Discard_Query");
    QTest::newRow("71001") << 71001 << QStringLiteral("Ricevuto PDOUTOP_QUERY_OP");
    QTest::newRow("71002") << 71002 << QStringLiteral("Ricevuto Esito OP");
    QTest::newRow("71003") << 71003 << QStringLiteral("Ricevuto PDOUTOP_FREEQUEUE_OP");
    QTest::newRow("71004") << 71004 << QStringLiteral("Ricevuto Discard_Query_OP");
}

void TestDispatch::everyRequestCodeHasItsService()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    Bench b;
    b.model.debugLevel.setText(QStringLiteral("0"));
    QList<std::pair<int, DialerRequest>> served; // by the service of each code
    for (int s : {70000, 70001, 70002, 70003, 70004, 71001, 71002, 71003, 71004}) {
        b.dispatcher.route(s, [&served, s](const DialerRequest &request) {
            served.append({s, request});
            return wire::Status{};
        });
    }
    b.dispatcher.dispatch(packetOf(code, 42, QByteArray("body")));
    QCOMPARE(b.log.list1().lines(), QStringList{text});
    QCOMPARE(b.model.traffic[MainModel::Dispatched]->value(), 1);
    QCOMPARE(served.size(), 1);
    QCOMPARE(served[0].first, code);
    QCOMPARE(served[0].second.record.id, 42);
    QCOMPARE(served[0].second.body, QByteArray("body"));
}

void TestDispatch::unknownCodeIsCountedAndUnanswered()
{
    Bench b;
    b.dispatcher.dispatch(packetOf(70110, 1));
    b.dispatcher.dispatch(packetOf(75000, 2));
    QCOMPARE(b.log.list1().lines(), (QStringList{QStringLiteral("MSG SCONOSC=70110"), QStringLiteral("MSG SCONOSC=75000")}));
    QCOMPARE(b.model.traffic[MainModel::UnknownCodes]->value(), 2);
    QCOMPARE(b.model.traffic[MainModel::Dispatched]->value(), 0);
    // A known code without a service is still logged and counted.
    b.model.debugLevel.setText(QStringLiteral("1"));
    b.log.setClock([] { return QTime(1, 0, 0); });
    b.dispatcher.dispatch(packetOf(70000, 77));
    QCOMPARE(b.log.list1().lines().mid(2), QStringList{QStringLiteral("3600) (RX) 77 (Ricevuta Richiesta gruppi")});
    QCOMPARE(b.model.traffic[MainModel::Dispatched]->value(), 1);
}

void TestDispatch::refusedRequestIsADataErrorWithADump()
{
    Bench b;
    int calls = 0;
    b.dispatcher.route(Esito, [&calls](const DialerRequest &) {
        ++calls;
        return wire::Status::tooShort(QStringLiteral("Esito"), 3, 136);
    });
    b.dispatcher.dispatch(packetOf(Esito, 9, QByteArray("abc")));
    QCOMPARE(calls, 1);
    QCOMPARE(b.log.list1().lines(), (QStringList{QStringLiteral("Ricevuto Esito"),
                                                 QStringLiteral("ERRORE NEI DATI: Esito troppo corto: 3 byte, attesi 136")}));
    QCOMPARE(b.model.traffic[MainModel::DataErrors]->value(), 1);
    QCOMPARE(b.model.traffic[MainModel::Dispatched]->value(), 0);
    // The whole packet goes to DEBUG.TXT, so the dialer's fault can be shown.
    const QByteArray file = readFile(b.debug.path());
    QVERIFY(file.contains(" ERRORE NEI DATI codice 70002 ID_RICH9: Esito troppo corto"));
    QVERIFY(file.contains("00000000| 00 00 00 2B  00 00 00 00  E0 2E 00 00  72 11 01 00"));
    QVERIFY(file.contains("abc"));
}

void TestDispatch::drainWritesTheDumpAndTwoLines()
{
    Bench b;
    svuotaCoda(b.log, b.debug, 1, "ABCDEFGHIJKLMNOPQRST", 5);
    QCOMPARE(b.log.list2().lines(), (QStringList{QStringLiteral("Svuoto coda 1 per 20 bytes"), QStringLiteral("Svuotata la coda 1")}));
    QCOMPARE(b.log.list1().count(), 0);
    // The stamp and the dump's layout are the debug file's own.
    const QByteArray file = readFile(b.debug.path());
    QVERIFY(file.contains(" SVUOTO CODA x 20 bytes\r\n00000000| 41 42 43 44 "));
    QVERIFY(file.endsWith("| QRST\r\n"));
    // Nothing to drain writes nothing.
    svuotaCoda(b.log, b.debug, 1, QByteArray(), 5);
    QCOMPARE(readFile(b.debug.path()), file);
}

void TestDispatch::junkDumpIsCappedPerRun()
{
    Bench b;
    JunkDumpBudget budget;
    const QByteArray junk(3000, '\x7F');
    // Three drains of one run of junk: 3000 + 1096 + 0 bytes dumped.
    for (int i = 0; i < 3; ++i)
        svuotaCoda(b.log, b.debug, 1, junk, 0, false, budget.spend(junk.size()));
    const QByteArray file = readFile(b.debug.path());
    QCOMPARE(file.count("SVUOTO CODA x 3000 bytes"), 3);
    QCOMPARE(file.count(" DUMP LIMITATO: "), 2);
    QVERIFY(file.contains(" DUMP LIMITATO: 1904 bytes non scritti su 3000"));
    QVERIFY(file.contains(" DUMP LIMITATO: 3000 bytes non scritti su 3000"));
    const qsizetype dumpLines = file.count("| 7F 7F 7F 7F");
    QCOMPARE(dumpLines, (3000 + 15) / 16 + (1096 + 15) / 16);
    // A good packet ends the run: the next junk is dumped again.
    budget.refill();
    QCOMPARE(budget.spend(5000), JunkDumpBudget::kJunkDumpBytes);
}

QTEST_GUILESS_MAIN(TestDispatch)
#include "tst_dispatch.moc"
