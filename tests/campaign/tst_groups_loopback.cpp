// A fake dialer asks for groups and gets the reply built from the demo database.
#include <QtTest>

#include "../support/DialerPeer.h"
#include "../support/Loopback.h"
#include "../support/Program.h"
#include "core/LogList.h"

using namespace packet;

class TestGroupsLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groupsFromTheDemoDatabase();
    void aDiagnosisNeverHoldsTheDialer();
};

void TestGroupsLoopback::groupsFromTheDemoDatabase()
{
    DialerPeer dialer;
    Program p(Program::Options{"ServerPort=" + QByteArray::number(dialer.port()) + "\r\n", {300, 3}, {}, true, true, true});
    MainController &controller = *p.controller;
    Composition &parts = *p.parts;
    controller.connetti();
    QVERIFY(dialer.accept());
    QCOMPARE(dialer.receive().header.code, qint32(DbOk));
    const qint32 id = dialer.send(RichiestaGruppi);
    const Packet reply = dialer.receive();
    QCOMPARE(reply.header.totlen, 40 + 4 + 6 * 4); // six groups in the demo data
    QCOMPARE(reply.header.code, qint32(PacchettoGruppi));
    QCOMPARE(reply.record.id, id);
    QCOMPARE(readInt32Le(reply.body, 0), 6);
    QSqlQuery q(parts.campaign().db().handle());
    QVERIFY(q.exec(QStringLiteral("select distinct GRUPPO from GRUPPI_ESATTORE")));
    for (int i = 0; q.next(); ++i)
        QCOMPARE(readInt32Le(reply.body, 4 + 4 * i), q.value(0).toInt());
    QVERIFY(controller.clock().countingStart.isValid());
    const QStringList lines = controller.log().list1().lines();
    const qsizetype first = lines.indexOf(QStringLiteral("Ricevuta Richiesta gruppi"));
    QVERIFY(first >= 0);
    QCOMPARE(lines.mid(first + 1, 6).filter(QStringLiteral("Invio gruppo ")).size(), 6);
    QCOMPARE(lines.mid(first + 7, 2), (QStringList{QStringLiteral("70100"), QStringLiteral("Invio Pacchetto gruppi")}));

    // "agg." makes the counters match the database.
    parts.campaign().refreshCounters(false);
    QVERIFY(q.exec(QStringLiteral("select count(*) from [tabella pratiche] p where exists (select 1 from GRUPPI_ESATTORE g"
                                  " where g.CODESATTORE = p.[codice esattore]) and [scadenza mandato] >= datetime('now','localtime')"
                                  " and telefono1 is not null and (FlagQuorin = 0 or FlagQuorin is null)")));
    QVERIFY(q.next());
    QVERIFY(q.value(0).toInt() > 0);
    QCOMPARE(controller.model().database[MainModel::ToSend]->value(), q.value(0).toLongLong());
    QCOMPARE(controller.model().database[MainModel::Groups]->value(), 6);
}

// A diagnosis counts on a thread of its own: while it is held there, in the
// middle of its counting, the dialer's requests are answered as ever.
void TestGroupsLoopback::aDiagnosisNeverHoldsTheDialer()
{
    DialerPeer dialer;
    Program p(Program::Options{"ServerPort=" + QByteArray::number(dialer.port()) + "\r\nMetricsPort=0\r\n", {300, 3}, {}, true, false, true});
    MainController &controller = *p.controller;
    Composition &parts = *p.parts;
    QString error;
    // The metrics port on this machine only, since no "MetricsIp" names another address.
    QTRY_VERIFY_WITH_TIMEOUT(parts.metrics().isListening(), 20000);
    QCOMPARE(parts.metrics().address(), QHostAddress(QHostAddress::LocalHost));
    controller.connetti();
    QVERIFY(dialer.accept());
    QCOMPARE(dialer.receive().header.code, qint32(DbOk));
    // Every customer already in the dialer's queue: each group answers empty, with customers to explain.
    QVERIFY(parts.campaign().db().execute(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=1"), error) > 0);
    QSqlQuery q(parts.campaign().db().handle());
    QVERIFY(q.exec(QStringLiteral("select min(GRUPPO) from GRUPPI_ESATTORE")) && q.next());
    const qint32 group = q.value(0).toInt();

    ThreadGate gate;
    parts.campaign().diagnoses().setBeforeComputing([&gate] { gate.hold(); });
    QTcpSocket page;
    page.connectToHost(QHostAddress::LocalHost, parts.metrics().port());
    QVERIFY(page.waitForConnected(20000));
    page.write("GET /diagnosi?gruppo=" + QByteArray::number(group) + " HTTP/1.0\r\n\r\n");
    QVERIFY(gate.waitArrived());

    // Held mid-count: groups, and an empty customers answer whose own diagnosis joins the one under way.
    qint32 id = dialer.send(RichiestaGruppi);
    Packet reply = dialer.receive();
    QCOMPARE(reply.header.code, qint32(PacchettoGruppi));
    QCOMPARE(reply.record.id, id);
    QByteArray pair;
    for (qint32 v : {1, group, 10})
        appendInt32Le(pair, v);
    id = dialer.send(RichiestaClientiGruppi, pair);
    reply = dialer.receive();
    QCOMPARE(reply.header.code, qint32(QueryEnd));
    QCOMPARE(reply.record.id, id);
    QVERIFY(page.bytesAvailable() == 0 && page.state() == QAbstractSocket::ConnectedState);

    gate.open();
    const QByteArray answer = readToClose(page);
    QVERIFY(!gate.timedOut);
    QCOMPARE(parts.campaign().diagnoses().computations(), 1);
    // The page's text is the lines the program shows, as before.
    const QByteArray body = answer.mid(answer.indexOf("\r\n\r\n") + 4);
    QVERIFY2(answer.startsWith("HTTP/1.0 200 OK\r\n"), answer.constData());
    QVERIFY(body.startsWith("Gruppo " + QByteArray::number(group) + "\n"));
    QStringList shown;
    for (const QString &line : controller.log().list2().lines())
        if (line.contains(QStringLiteral(" | DIAGNOSI ")))
            shown << line.section(QStringLiteral(" | DIAGNOSI "), 1);
    QCOMPARE(QString::fromUtf8(body), shown.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    // The once-a-minute line of the empty answer, from the same count.
    QTRY_VERIFY_WITH_TIMEOUT(!controller.log().list1().lines().filter(QStringLiteral("DIAGNOSI gr. ")).isEmpty(), 20000);
    const QString line = controller.log().list1().lines().filter(QStringLiteral("DIAGNOSI gr. ")).first();
    QVERIFY2(line.startsWith(QStringLiteral("DIAGNOSI gr. ") + QString::number(group) + QStringLiteral(": ")), qPrintable(line));
    QVERIFY(line.contains(QStringLiteral(" 0 inviabili; ")));
}

QTEST_MAIN(TestGroupsLoopback)
#include "tst_groups_loopback.moc"
