// The load simulator: its checks catch broken replies, and a clean run
// against the real program stores every acknowledged outcome.
#include <QtTest>

#include "../support/Program.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_sim/Simulator.h"

#include <QProcess>

using namespace packet;

namespace {
Packet reply(qint32 code, qint32 id, const QString &tag, const QByteArray &body = {})
{
    Packet p;
    p.header = replyHeader(code, int(body.size()), 1);
    p.record = {id, tag.leftJustified(20, QLatin1Char(' '))};
    p.body = body;
    return p;
}
} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksCatchEachFault();
    void brokenResponderFailsTheRun();
    void helpIsNotAnError();
    void cleanRunAgainstTheProgram_data();
    void cleanRunAgainstTheProgram();
    void unacknowledgedOutcomesAreReportedAgain();
};

void TestSimulator::checksCatchEachFault()
{
    const QString tag = QStringLiteral("SIM");
    QVERIFY(replycheck::check(reply(AckEsito, 7, tag), AckEsito, 7, tag).isEmpty());
    QVERIFY(!replycheck::check(reply(AckEsito, 8, tag), AckEsito, 7, tag).isEmpty());            // wrong id
    QVERIFY(!replycheck::check(reply(AckEsito, 7, QStringLiteral("X")), AckEsito, 7, tag).isEmpty()); // wrong tag
    QVERIFY(!replycheck::check(reply(FreeQueueReply, 7, tag), AckEsito, 7, tag).isEmpty());      // wrong code
    Packet lying = reply(AckEsito, 7, tag);
    lying.header.len = 30;
    QVERIFY(!replycheck::check(lying, AckEsito, 7, tag).isEmpty());                               // lengths disagree
    QVERIFY(!replycheck::check(reply(QueryEnd, 7, tag, QByteArray::fromHex("01000000")), QueryEnd, 7, tag).isEmpty());

    const auto record = [](qint32 group, qint32 position) {
        dialerbody::CustomerRecord r;
        r.group = group;
        r.position = position;
        r.contatore = QStringLiteral("101");
        return dialerbody::encode(r);
    };
    QByteArray body;
    appendInt32Le(body, 2);
    const QByteArray rec = record(3, 4), second = record(3, 5);
    QVERIFY(replycheck::checkCustomers(reply(ClientiGruppo, 1, tag, body + rec + second), false, 3, {}).isEmpty());
    QVERIFY(!replycheck::checkCustomers(reply(ClientiGruppo, 1, tag, body + rec + second), false, 4, {}).isEmpty()); // wrong group
    QVERIFY(!replycheck::checkCustomers(reply(ClientiGruppo, 1, tag, body + rec), false, 3, {}).isEmpty());          // count vs body
    QVERIFY(!replycheck::checkCustomers(reply(ClientiGruppo, 1, tag, body + second + rec), false, 3, {}).isEmpty()); // positions
    QVERIFY(!replycheck::checkCustomers(reply(ClientiGruppo, 1, tag, body + rec + second + rec), false, 3, {}).isEmpty()); // extra bytes
}

void TestSimulator::brokenResponderFailsTheRun()
{
    Simulator sim({});
    QVERIFY(sim.listen());
    QSignalSpy finished(&sim, &Simulator::finished);
    QTcpSocket responder;
    QByteArray in;
    connect(&responder, &QTcpSocket::readyRead, &responder, [&] {
        in += responder.readAll();
        if (in.size() < 44)
            return;
        // Answer the groups request with someone else's id.
        RecordId asked;
        decodeRecordId(in, asked, kHeaderSize);
        QByteArray body;
        appendInt32Le(body, 1);
        appendInt32Le(body, 1);
        responder.write(encodePacket(replyHeader(PacchettoGruppi, int(body.size()), 1), {asked.id + 1, asked.contact}, body));
        in.clear();
    });
    responder.connectToHost(QHostAddress::LocalHost, sim.port());
    QVERIFY(responder.waitForConnected(20000));
    responder.write(encodeHeader(replyHeader(DbOk, 0, 1, true)));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(sim.stats().violation.contains(QStringLiteral("echoed")));
}

void TestSimulator::helpIsNotAnError()
{
    QProcess sim;
    sim.start(QStringLiteral(QUORIN_SIM_BINARY), {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(sim.readAllStandardOutput().contains("--pipeline N"));
    sim.start(QStringLiteral(QUORIN_SIM_BINARY), {QStringLiteral("--bogus")});
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitCode(), 2);
}

void TestSimulator::cleanRunAgainstTheProgram_data()
{
    QTest::addColumn<int>("pipeline");
    QTest::addColumn<int>("stallMs");
    QTest::newRow("one request at a time") << 1 << 0;
    // Many requests in one write: every reply still comes in request order.
    QTest::newRow("pipelined") << 12 << 0;
    // A dialer that stops reading now and then: nothing is lost, nothing reordered.
    QTest::newRow("pipelined, stalling") << 12 << 150;
}

void TestSimulator::cleanRunAgainstTheProgram()
{
    QFETCH(int, pipeline);
    QFETCH(int, stallMs);
    Simulator::Options options;
    options.maxOutcomes = 150;
    options.groupQuantity = 30;
    options.operators = {QStringLiteral("140"), QStringLiteral("141")};
    options.pipeline = pipeline;
    options.stallMs = stallMs;
    options.stallEvery = stallMs > 0 ? 40 : 0;
    Simulator sim(options);
    QVERIFY(sim.listen());
    Program p(Program::Options{"ServerPort=" + QByteArray::number(sim.port()) + "\r\n", {800, 4}});
    QSignalSpy finished(&sim, &Simulator::finished);
    p.controller->connetti();
    QVERIFY(finished.wait(60000));
    QVERIFY2(finished.first().first().toBool(), qPrintable(sim.stats().violation));
    QCOMPARE(sim.stats().outcomesAcked, 150);
    QVERIFY(sim.stats().releases > 0);
    QVERIFY(sim.stats().discarded > 0);
    if (pipeline > 1)
        QVERIFY(sim.stats().largestWrite > 1);
    if (stallMs > 0)
        QVERIFY(sim.stats().stalls > 0);
    // However the requests came, the program held at most one reply at a time.
    QVERIFY(p.parts->dialerLink().writer().peakQueuedBytes() <= 3 * (44 + 4 + 10 * 296) + 48);
    QSqlQuery q(p.parts->campaign().db().handle());
    QVERIFY(q.exec(QStringLiteral("select count(*) from Esiti_Quorin")) && q.next());
    QCOMPARE(q.value(0).toLongLong(), 150);
}

void TestSimulator::unacknowledgedOutcomesAreReportedAgain()
{
    // The database refuses every outcome 8, as a failing server would: the
    // program acknowledges none of them, the simulator gives each up and
    // reports that customer again (with another code, drawn anew).
    Simulator::Options options;
    options.maxOutcomes = 40;
    options.groupQuantity = 20;
    options.mix = {{5, 3}, {8, 1}};
    options.unansweredMs = 300;
    Simulator sim(options);
    QVERIFY(sim.listen());
    Program p(Program::Options{"ServerPort=" + QByteArray::number(sim.port()) + "\r\n", {400, 5}});
    QSqlQuery q(p.parts->campaign().db().handle());
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse_8 BEFORE INSERT ON Esiti_Quorin WHEN NEW.Esito = 8"
                                  " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    QSignalSpy finished(&sim, &Simulator::finished);
    p.controller->connetti();
    QVERIFY(finished.wait(60000));
    QVERIFY2(finished.first().first().toBool(), qPrintable(sim.stats().violation));
    QVERIFY(sim.stats().unanswered > 0);
    QCOMPARE(sim.stats().outcomesAcked, 40);
    QVERIFY(q.exec(QStringLiteral("select count(*), sum(Esito = 8) from Esiti_Quorin")) && q.next());
    QCOMPARE(q.value(0).toLongLong(), 40);
    QCOMPARE(q.value(1).toLongLong(), 0);
    QVERIFY(sim.summary().contains(QStringLiteral("unanswered ") + QString::number(sim.stats().unanswered)));
}

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
