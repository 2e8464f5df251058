// The dispatch table and the queue drain.
#include <QtTest>

#include "../core/TestSupport.h"
#include "core/DebugFile.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "dialer_link/Dispatcher.h"
#include "dialer_link/QueueDrain.h"

using namespace packet;

namespace {
class RecordingService : public DialerService {
public:
    QList<DialerRequest> served;
    void serve(const DialerRequest &request) override { served << request; }
};
} // namespace

class TestDispatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRequestCodeHasItsService_data();
    void everyRequestCodeHasItsService();
    void unknownCodeIsCountedAndUnanswered();
    void missingServiceStillLogsAndCounts();
    void drainWritesTheDumpAndTwoLines();
};

void TestDispatch::everyRequestCodeHasItsService_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("service");
    QTest::addColumn<bool>("operatorVariant");
    using S = Dispatcher::Service;
    QTest::newRow("70000") << 70000 << QStringLiteral("Ricevuta Richiesta gruppi") << int(S::Groups) << false;
    QTest::newRow("70001") << 70001 << QStringLiteral("Ricevuta Richiesta clienti x gruppi") << int(S::CustomersPerGroup) << false;
    QTest::newRow("70002") << 70002 << QStringLiteral("Ricevuto Esito") << int(S::Outcome) << false;
    QTest::newRow("70003") << 70003 << QStringLiteral("Ricevuto PDOUTDB_FREEQUEUE") << int(S::GroupQueueRelease) << false;
    QTest::newRow("70004") << 70004 << QStringLiteral("Ricevuto Discard_Query") << int(S::Discard) << false;
    QTest::newRow("71001") << 71001 << QStringLiteral("Ricevuto PDOUTOP_QUERY_OP") << int(S::CustomersPerOperator) << false;
    QTest::newRow("71002") << 71002 << QStringLiteral("Ricevuto Esito OP") << int(S::Outcome) << false;
    QTest::newRow("71003") << 71003 << QStringLiteral("Ricevuto PDOUTOP_FREEQUEUE_OP") << int(S::OperatorQueueRelease) << false;
    QTest::newRow("71004") << 71004 << QStringLiteral("Ricevuto Discard_Query_OP") << int(S::Discard) << true;
}

void TestDispatch::everyRequestCodeHasItsService()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(int, service);
    QFETCH(bool, operatorVariant);
    MainModel model;
    model.debugLevel.setText(QStringLiteral("0"));
    Logger log(model.debugLevel);
    Dispatcher dispatcher(log, model);
    std::map<int, std::unique_ptr<RecordingService>> services;
    for (int s = 0; s <= int(Dispatcher::Service::OperatorQueueRelease); ++s) {
        services[s] = std::make_unique<RecordingService>();
        dispatcher.setService(Dispatcher::Service(s), services[s].get());
    }
    dispatcher.dispatch(Header{40, 0, 0, code, 28}, RecordId{42, QStringLiteral("T")}, QByteArray("body"));
    QCOMPARE(log.list1().lines(), QStringList{text});
    QCOMPARE(model.traffic[0]->text(), QStringLiteral("1"));
    for (const auto &[s, recorder] : services)
        QCOMPARE(recorder->served.size(), s == service ? 1 : 0);
    const DialerRequest &request = services[service]->served.first();
    QCOMPARE(request.record.id, 42);
    QCOMPARE(request.body, QByteArray("body"));
    QCOMPARE(request.operatorVariant, operatorVariant);
}

void TestDispatch::unknownCodeIsCountedAndUnanswered()
{
    MainModel model;
    Logger log(model.debugLevel);
    Dispatcher dispatcher(log, model);
    dispatcher.dispatch(Header{40, 0, 0, 70110, 24}, RecordId{1, {}}, {});
    dispatcher.dispatch(Header{40, 0, 0, 75000, 24}, RecordId{2, {}}, {});
    QCOMPARE(log.list1().lines(), (QStringList{QStringLiteral("MSG SCONOSC=70110"), QStringLiteral("MSG SCONOSC=75000")}));
    QCOMPARE(model.traffic[2]->text(), QStringLiteral("2"));
    QCOMPARE(model.traffic[0]->text(), QStringLiteral("0"));
}

void TestDispatch::missingServiceStillLogsAndCounts()
{
    MainModel model;
    model.debugLevel.setText(QStringLiteral("1"));
    Logger log(model.debugLevel);
    log.setClock([] { return QTime(1, 0, 0); });
    Dispatcher dispatcher(log, model);
    dispatcher.dispatch(Header{40, 0, 0, 70000, 24}, RecordId{77, {}}, {});
    QCOMPARE(log.list1().lines(), QStringList{QStringLiteral("3600) (RX) 77 (Ricevuta Richiesta gruppi")});
    QCOMPARE(model.traffic[0]->text(), QStringLiteral("1"));
}

void TestDispatch::drainWritesTheDumpAndTwoLines()
{
    QTemporaryDir dir;
    DebugFile debug(dir.filePath(QStringLiteral("DEBUG.TXT")));
    TextValue level(QStringLiteral("0"));
    Logger log(level);
    QByteArray bytes;
    for (int i = 0; i < 20; ++i)
        bytes.append(char(0x41 + i));
    svuotaCoda(log, debug, 1, bytes, 5);
    QCOMPARE(log.list2().lines(), (QStringList{QStringLiteral("Svuoto coda 1 per 20 bytes"), QStringLiteral("Svuotata la coda 1")}));
    QCOMPARE(log.list1().count(), 0);
    const QByteArray file = readFile(debug.path());
    const QList<QByteArray> lines = file.split('\n');
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d SVUOTO CODA x 20 bytes\r$"))
                .match(QString::fromLatin1(lines[0])).hasMatch());
    QCOMPARE(lines[1], QByteArray("00000000| 41 42 43 44  45 46 47 48  49 4A 4B 4C  4D 4E 4F 50   | ABCDEFGHIJKLMNOP\r"));
    QCOMPARE(lines[2], QByteArray("00000016| 51 52 53 54") + QByteArray(42, ' ') + "| QRST\r");
    // Nothing to drain writes nothing.
    svuotaCoda(log, debug, 1, QByteArray(), 5);
    QCOMPARE(readFile(debug.path()), file);
}

QTEST_GUILESS_MAIN(TestDispatch)
#include "tst_dispatch.moc"
