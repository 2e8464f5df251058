// A fake dialer asks for groups and gets the reply built from the demo database.
#include <QtTest>

#include "../core/TestSupport.h"
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
    QCOMPARE(controller.model().database[MainModel::ToSend]->text(), q.value(0).toString());
    QCOMPARE(controller.model().database[MainModel::Groups]->text(), QStringLiteral("6"));
}

QTEST_MAIN(TestGroupsLoopback)
#include "tst_groups_loopback.moc"
