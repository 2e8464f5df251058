// A fake dialer asks for groups and gets the reply built from the demo database.
#include <QtTest>

#include "../core/TestSupport.h"
#include "../dialer_link/DialerPeer.h"
#include "app/Composition.h"
#include "campaign/DemoDatabase.h"
#include "core/LogList.h"
#include "core/MainController.h"
#include "dialer_link/PacketFormat.h"

#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>

using namespace packet;

class TestGroupsLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groupsFromTheDemoDatabase();
    void aDiagnosisNeverHoldsTheDialer();
};

void TestGroupsLoopback::groupsFromTheDemoDatabase()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dati")));
    QVERIFY2(demodatabase::create(dir.filePath(QStringLiteral("dati/campaign.sqlite")), {300, 3}, error), qPrintable(error));
    writeFile(dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"),
              "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
    QDir(dir.path()).mkdir(QStringLiteral("web"));

    QTcpServer dialer;
    QVERIFY(dialer.listen(QHostAddress::LocalHost, 0));
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=" + QByteArray::number(dialer.serverPort()) + "\r\n");

    ScriptedPrompts prompts;
    MainController controller({{dir.path(), dir.filePath(QStringLiteral("dati")), dir.path()}, false}, prompts);
    Composition parts(controller, prompts, true);
    QVERIFY(controller.start());
    controller.connetti();
    QTRY_VERIFY_WITH_TIMEOUT(dialer.hasPendingConnections(), 20000);
    QTcpSocket *peer = dialer.nextPendingConnection();
    QByteArray in;
    QVERIFY(QTest::qWaitFor([&] { return (in += peer->readAll()).size() >= 20; }, 20000)); // DBOK

    peer->write(encodePacket(requestHeader(RichiestaGruppi, 0, 12000), {77, QStringLiteral("PD")}, {}));
    QByteArray reply;
    const int expected = 44 + 4 + 6 * 4; // six groups in the demo data
    QVERIFY(QTest::qWaitFor([&] { return (reply += peer->readAll(), reply.size() >= expected); }, 20000));
    QCOMPARE(reply.size(), expected);
    QCOMPARE(readInt32Be(reply, 0), expected - 4);
    QCOMPARE(readInt32Le(reply, 12), qint32(PacchettoGruppi));
    RecordId echoed;
    QVERIFY(decodeRecordId(reply, echoed, kHeaderSize).ok());
    QCOMPARE(echoed.id, 77);
    QCOMPARE(readInt32Le(reply, 44), 6);
    QSqlQuery q(parts.campaign().db().handle());
    QVERIFY(q.exec(QStringLiteral("select distinct GRUPPO from GRUPPI_ESATTORE")));
    for (int i = 0; q.next(); ++i)
        QCOMPARE(readInt32Le(reply, 48 + 4 * i), q.value(0).toInt());
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
    QTemporaryDir dir;
    QString error;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("web")));
    QVERIFY2(demodatabase::create(dir.filePath(QStringLiteral("campaign.sqlite")), {300, 3}, error), qPrintable(error));
    writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
    DialerPeer dialer;
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=" + QByteArray::number(dialer.port()) + "\r\nMetricsPort=0\r\n");
    ScriptedPrompts prompts;
    MainController controller({{dir.path(), dir.path(), dir.path()}, false}, prompts);
    Composition parts(controller, prompts, true);
    QVERIFY(controller.start());
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
    QByteArray answer;
    QVERIFY(QTest::qWaitFor([&] {
        answer += page.readAll();
        return page.state() == QAbstractSocket::UnconnectedState;
    }, 20000));
    answer += page.readAll();
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
