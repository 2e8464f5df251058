// The built-in dialer: its requests byte for byte, its replies, the session.
#include <QtTest>

#include "../support/Loopback.h"
#include "../support/Program.h"
#include "core/LogList.h"
#include "core/Settings.h"
#include "dialer_link/Emulator.h"
#include "dialer_link/PacketFormat.h"

using namespace packet;

namespace {
// List2's lines without their time.
QStringList messages(Logger &log)
{
    QStringList out;
    for (const QString &l : log.list2().lines())
        out << l.section(QStringLiteral(" | "), -1);
    return out;
}

struct Bench {
    MainModel model;
    Logger log{model.debugLevel};
    Settings settings;
    Emulator emulator{log, model, settings};
    QTcpSocket server; // plays the program's dialer link
    quint16 port = freePort();

    Bench()
    {
        model.emula.set(true);
        model.serverPort.setText(QString::number(port));
        emulator.listen(port);
    }
    // The next n bytes; fewer if they do not come.
    QByteArray read(int n)
    {
        QTest::qWaitFor([&] { return server.bytesAvailable() >= n; }, 20000);
        return server.read(n);
    }
    // Connects as the program would; the emulator's first request.
    QByteArray connect()
    {
        server.connectToHost(QHostAddress::LocalHost, port);
        return read(44);
    }
    QStringList list2() { return messages(log); }
};

QByteArray reply(qint32 code, qint32 id, const QByteArray &body = {})
{
    return encodePacket(replyHeader(code, int(body.size()), 1), {id, QStringLiteral("127.0.0.1")}, body);
}
} // namespace

class TestEmulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestsByteForByte();
    void repliesAreRecognisedAndFramed();
    void slowBodyTimesOut();
    void listensAgainAfterTheClose();
    void wholeEmulatedSession();
};

void TestEmulator::requestsByteForByte()
{
    Bench b;
    const QByteArray groups = b.connect();
    QCOMPARE(groups, QByteArray::fromHex("00000028" "00000000" "E12E0000" "70110100" "18000000" "01000000")
                         + QByteArray("127.0.0.1           "));

    b.server.write(reply(PacchettoGruppi, 1, QByteArray::fromHex("0100000001000000")));
    const QByteArray op = b.read(72);
    QCOMPARE(readInt32Le(op, 8), int(b.server.peerPort()));
    // Totlen 68, LineaSVC 0, code 71001, Len 52, id 2; group 1, 10 customers, operator "140".
    QCOMPARE(op.left(8) + op.mid(12, 12) + op.mid(44), QByteArray::fromHex("00000044" "00000000" "59150100" "34000000" "02000000"
                                                                           "01000000" "0A000000")
                                                           + QByteArray("140").leftJustified(20, '\0'));
    const QByteArray group = b.read(64);
    QCOMPARE(group.left(4), QByteArray::fromHex("0000003C"));
    QCOMPARE(readInt32Le(group, 16), 44);
    QCOMPARE(readInt32Le(group, 20), 3);
    QCOMPARE(group.mid(44), QByteArray::fromHex("02000000" "01000000" "64000000" "02000000" "32000000"));

    b.emulator.provaEsito();
    const QByteArray outcome = b.read(180);
    QCOMPARE(readInt32Be(outcome, 0), 176);
    QCOMPARE(readInt32Le(outcome, 12), qint32(Esito));
    QCOMPARE(readInt32Le(outcome, 8), int(b.port));
    QCOMPARE(readInt32Le(outcome, 20), 4);
    const QStringList lines = b.list2();
    for (const char *line : {"127.0.0.1 Connesso", "Invio 70000", "Ricevuti gruppi", "Invio richiesta Clienti x Operatore 140",
                             "Invio richiesta Clienti x gruppi (1=100,2=50)", "Invio Esito"})
        QVERIFY2(lines.contains(QLatin1String(line)), line);
}

void TestEmulator::repliesAreRecognisedAndFramed()
{
    Bench b;
    QList<std::pair<bool, int>> dumps;
    QObject::connect(&b.emulator, &Emulator::customersReceived,
                     [&](const QByteArray &body, bool byOperator, qint32) { dumps.append({byOperator, int(body.size())}); });
    b.connect();
    // DBOK and the next reply in one segment: framing keeps them apart.
    QByteArray stream = encodeHeader(replyHeader(DbOk, 0, 1, true)) + reply(QueryEnd, 1, QByteArray(4, '\0'));
    QByteArray customers(4, '\0');
    customers[MainModel::CustomersSent] = 1;
    customers += QByteArray(296, 'c');
    stream += reply(ClientiGruppo, 1, customers) + reply(ClientiOperatore, 1, QByteArray(20, 'o') + customers)
        + reply(AckEsito, 1) + reply(QueryEndOp, 1, QByteArray(4, '\0')) + reply(FreeQueueReply, 1);
    b.server.write(stream);
    QTRY_VERIFY_WITH_TIMEOUT(b.list2().contains(QStringLiteral("MSG SCONOSCIUTO")), 20000);
    const QStringList lines = b.list2();
    const QStringList expected = {QStringLiteral("70110"), QStringLiteral("Ricevuto DBOK"), QStringLiteral("70101"),
                                  QStringLiteral("Ricevuto QueryEND"), QStringLiteral("70102"), QStringLiteral("Ricevuti Clienti x Gruppo"),
                                  QStringLiteral("71102"), QStringLiteral("Ricevuti Clienti x Operatore"), QStringLiteral("70103"),
                                  QStringLiteral("Ricevuti ACK ESITO"), QStringLiteral("71101"), QStringLiteral("Ricevuto QueryEND_OP"),
                                  QStringLiteral("70104"), QStringLiteral("MSG SCONOSCIUTO")};
    QCOMPARE(lines.mid(lines.size() - expected.size()), expected);
    QCOMPARE(dumps, (QList<std::pair<bool, int>>{{false, 300}, {true, 320}}));
}

void TestEmulator::slowBodyTimesOut()
{
    Bench b;
    b.settings.timeoutPacchettoSec = 1;
    b.connect();
    b.server.write(reply(QueryEnd, 1, QByteArray(4, '\0')).left(30)); // ten bytes of the record missing
    QTRY_VERIFY_WITH_TIMEOUT(b.list2().contains(QStringLiteral("TimeOut in DataArrival")), 20000);
    QVERIFY(b.list2().contains(QStringLiteral("Ricevuto QueryEND")));
}

void TestEmulator::listensAgainAfterTheClose()
{
    Bench b;
    b.connect();
    QVERIFY(!b.emulator.isListening()); // one emulated dialer at a time
    b.server.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(b.emulator.isListening(), 20000);
    QVERIFY(b.list2().contains(QStringLiteral("127.0.0.1 disconnesso")));
    QTcpSocket again;
    again.connectToHost(QHostAddress::LocalHost, b.port);
    QByteArray first;
    QVERIFY(QTest::qWaitFor([&] { return (first += again.readAll()).size() >= 44; }, 20000));
    QCOMPARE(readInt32Le(first, 20), 2); // ids keep counting

    // With "Simulazione" off, a close does not bring the listener back.
    b.model.emula.set(false);
    again.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(b.list2().count(QStringLiteral("127.0.0.1 disconnesso")) == 2, 20000);
    QVERIFY(!b.emulator.isListening());
}

void TestEmulator::wholeEmulatedSession()
{
    const quint16 port = freePort();
    Program p(Program::Options{"ServerPort=" + QByteArray::number(port) + "\r\nSimulazione=1\r\n", {600, 2}});
    MainController &controller = *p.controller;
    controller.connetti();
    const auto list2 = [&] { return messages(controller.log()); };
    QTRY_VERIFY_WITH_TIMEOUT(list2().filter(QStringLiteral("Ricevuto QueryEND")).size() == 2, 20000);
    // The requests and their order are pinned above; here the program answers its own dialer.
    const QStringList lines = list2();
    QVERIFY(lines.contains(QStringLiteral("In ascolto su 127.0.0.1:") + QString::number(port)));
    QVERIFY(lines.contains(QStringLiteral("Ricevuto DBOK")));
    QCOMPARE(lines.filter(QStringLiteral("Ricevuti 10 clienti")).size(), 15); // 100 + 50 in packets of 10
    // 100 + 50 by group, and whatever operator 140 has due today.
    const int byOperator = controller.log().list3(1).line(0).section(QStringLiteral("qnt_out ["), 1).chopped(1).toInt();
    QCOMPARE(controller.model().customers[MainModel::CustomersSent]->value(), 150 + byOperator);
}

QTEST_MAIN(TestEmulator)
#include "tst_emulator.moc"
