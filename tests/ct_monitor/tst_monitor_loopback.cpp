// The CT monitor against the telephony simulator over loopback: operator
// commands reach the operator server, a second program follows the stream
// through the UDP replication and stores it, and without a server the
// table is read back from CT_Monitor. (The receive side's faults are the
// link's own test; the tables following a live server, the windows'.)
#include <QtTest>

#include "../support/Loopback.h"
#include "../support/Program.h"
#include "telephony_sim/TelephonySim.h"

#include <QProcess>
#include <QSqlQuery>
#include <QUdpSocket>

namespace {

QByteArray ports(const TelephonySim &sim)
{
    return "PortaMonitor=" + QByteArray::number(sim.monitorPort()) + "\r\nPortaOprSvr=" + QByteArray::number(sim.operatorPort())
        + "\r\n";
}

QStringList expected(const simbytes::Extension &e)
{
    return {e.logState, e.actionState, e.lineState, e.agent, e.description};
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

} // namespace

class TestMonitorLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operatorCommandsReachTheOperatorServer();
    void aConfigurationBurstReachesAReplicaInAnotherProcess();
    void databaseOnlyWithAnUnreachableReplica();
    void aNewStreamStartsItsConfigurationAfresh();
};

void TestMonitorLoopback::operatorCommandsReachTheOperatorServer()
{
    TelephonySim::Options o;
    o.extensions = 10;
    o.extensionRate = 0;
    o.groupRate = 0;
    TelephonySim sim(o);
    QVERIFY(sim.listen());
    Program p(ports(sim));
    QSqlQuery(p.parts->campaign().db().handle()).exec(QStringLiteral("INSERT INTO esattori VALUES ('777', 'pw777')"));
    p.monitor().session().open();
    QTRY_VERIFY_WITH_TIMEOUT(sim.monitorConnected() && p.monitor().operatorLink().isConnected(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(p.monitor().table().row(110)[ExtensionTable::LogState], QStringLiteral("LOGGED_OUT"), 20000);
    QSignalSpy applied(&sim, &TelephonySim::commandApplied);
    QVERIFY(p.monitor().commands().opCommand(1, 105, QStringLiteral("777")));
    QVERIFY(applied.wait(20000));
    const simbytes::Command c = sim.commands().last();
    QCOMPARE(c.subcode, 1);
    QCOMPARE(c.extension, 105);
    QCOMPARE(c.op, QStringLiteral("777"));
    QCOMPARE(c.password, QStringLiteral("pw777"));
    // The server reports the login on the monitor link; the tile's row follows.
    QTRY_COMPARE_WITH_TIMEOUT(p.monitor().table().row(105)[ExtensionTable::Agent], QStringLiteral("777"), 20000);
    QVERIFY(p.monitor().model().list.lines().filter(QStringLiteral("pw777")).isEmpty()); // never logged
    // Everybody out: one logout for the one agent logged in.
    p.prompts.answers = {true};
    p.monitor().commands().logoutGenerale();
    QVERIFY(applied.wait(20000));
    QCOMPARE(sim.commands().last().subcode, 2);
    QCOMPARE(sim.commands().last().extension, 105);
    QTRY_COMPARE_WITH_TIMEOUT(p.monitor().table().row(105)[ExtensionTable::LogState], QStringLiteral("LOGGED_OUT"), 20000);
}

void TestMonitorLoopback::aConfigurationBurstReachesAReplicaInAnotherProcess()
{
    // The largest configuration, 105,100 bytes in one burst: one datagram a
    // byte, to a copy of the program that works in a process of its own.
    TelephonySim::Options o;
    o.extensions = 200;
    o.groups = 300;
    o.extensionRate = 0;
    o.groupRate = 0;
    TelephonySim sim(o);
    QVERIFY(sim.listen());
    const quint16 port = freeUdpPort();
    QTemporaryDir dir;
    QString error;
    const QString database = dir.filePath(QStringLiteral("campaign.sqlite"));
    QVERIFY2(demodatabase::create(database, {10, 2}, error), qPrintable(error));
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\nAutoCTMonitor=1\r\nAscoltaUDP_Port=" + QByteArray::number(port)
                  + "\r\nAscoltaUDP_Mittente=127.0.0.1\r\n");
    writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
    QProcess replica;
    const QString out = dir.filePath(QStringLiteral("stdout.txt"));
    replica.setStandardOutputFile(out);
    replica.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    replica.start(QStringLiteral(QUORIN_BINARY), {QStringLiteral("--headless"), QStringLiteral("--app-dir"), dir.path(),
                                                  QStringLiteral("--shared-dir"), dir.path(), QStringLiteral("--root-dir"), dir.path()});
    QVERIFY(replica.waitForStarted(20000));
    QVERIFY(QTest::qWaitFor([&] { return readFile(out).contains("CTMonitor | LED 0 verde"); }, 30000));

    Program source(ports(sim) + "ReplicaUDP_IP=127.0.0.1\r\nReplicaUDP_Port=" + QByteArray::number(port) + "\r\n");
    QVERIFY(source.parts->replication().isOn());
    QCOMPARE(source.controller->log().list2().lines().filter(QStringLiteral("Inizio Replica Upd su 127.0.0.1:")).size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(source.parts->replication().sent() >= 105100, 60000); // and the time now and then
    QCOMPARE(source.parts->replication().dropped(), 0);

    // Every extension stored by the replica, as the server said it.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("replica"));
    db.setDatabaseName(database);
    QVERIFY(db.open());
    int rows = 0;
    const bool all = QTest::qWaitFor([&] {
        rows = 0;
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT Interno, statolog, statoAction, statoLinea, ID_Agent, Descrizione FROM CT_Monitor"));
        while (q.next()) {
            const simbytes::Extension e = sim.extensions().value(q.value(0).toInt());
            rows += e.number != 0
                && QStringList{q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                               q.value(5).toString()}
                       == expected(e);
        }
        return rows == 200;
    }, 20000);
    db.close();
    replica.terminate();
    QVERIFY(replica.waitForFinished(20000));
    const QByteArray said = readFile(out);
    QVERIFY2(all, qPrintable(QString::number(rows) + QStringLiteral(" of 200 rows; realignments: ")
                             + QString::number(said.count("Tento il riallineamento"))));
    QVERIFY(!said.contains("Tento il riallineamento"));
}

void TestMonitorLoopback::databaseOnlyWithAnUnreachableReplica()
{
    // The replica's settings open the monitor at start; its address is no
    // address (it reads as 0.0.0.0), so the mirror is refused and the program goes on.
    Program p("UsaDB=1\r\nReplicaUDP_IP=10.0.0.x\r\nReplicaUDP_Port=7777\r\n");
    QVERIFY(p.monitor().isOpen());
    QVERIFY(p.controller->log().list2().lines().last().endsWith(QStringLiteral("Replica UDP Abortita")));
    QVERIFY(!p.parts->replication().isOn());
    QCOMPARE(p.monitor().session().timer().interval(), 5000);
    QCOMPARE(p.monitor().monitorLink().state(), 0);
    QCOMPARE(p.monitor().operatorLink().state(), 0);
    QCOMPARE(p.monitor().model().leds[0]->value(), Colour::Yellow);
    QCOMPARE(p.monitor().model().ledTips[0]->text(), QStringLiteral("Uso DB"));
    QCOMPARE(p.monitor().model().ledTips[1]->text(), QStringLiteral("Non Attivo"));
    QCOMPARE(p.controller->model().ledAcd.value(), Colour::Yellow);
    // Another program writes CT_Monitor; the timer reads it back.
    QSqlQuery(p.parts->campaign().db().handle())
        .exec(QStringLiteral("INSERT INTO CT_Monitor VALUES ('120', '88', 'Luca', 'LOGGED_IN', 'FREE', 'IDLE', '', '', '', '')"));
    p.monitor().session().tick();
    QCOMPARE(p.monitor().table().row(120)[ExtensionTable::Agent], QStringLiteral("88"));
    QCOMPARE(p.monitor().model().list.lines().last(), QStringLiteral("db reads"));
}

void TestMonitorLoopback::aNewStreamStartsItsConfigurationAfresh()
{
    // The link drops right after a configuration; the next stream's smaller
    // configuration sets the tiles alone, not on top of the last one's.
    const auto configuration = [](int last) {
        simbytes::Extension first, other;
        first.number = 101;
        other.number = last;
        return simbytes::extensions(telephony::ExtensionConfig, {first, other});
    };
    ScriptedHost host;
    Program p("PortaMonitor=" + host.port().toLatin1() + "\r\nPortaOprSvr=" + QByteArray::number(freePort()) + "\r\n");
    p.monitor().session().open();
    QVERIFY(host.connected());
    host.say(configuration(140));
    QTRY_COMPARE_WITH_TIMEOUT(p.monitor().model().tileCount(), 40, 20000);
    QSignalSpy accepted(&host.server, &QTcpServer::newConnection);
    host.peer->abort();
    QVERIFY(accepted.wait(20000));
    host.say(configuration(110));
    QTRY_COMPARE_WITH_TIMEOUT(p.monitor().model().tileCount(), 10, 20000);
}

QTEST_MAIN(TestMonitorLoopback)
#include "tst_monitor_loopback.moc"
