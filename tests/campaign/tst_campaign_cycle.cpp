// A fake dialer drives a whole campaign cycle against the demo database:
// groups, customers and an outcome for each (releases and discards: tst_queue
// and tst_simulator); and the dialer served while a diagnosis counts. On the
// database QUORIN_TEST_DB names when it is set, an SQLite file otherwise.
#include <QtTest>

#include "../support/DialerPeer.h"
#include "../support/Loopback.h"
#include "../support/Program.h"
#include "CampaignFixture.h"
#include "dialer_link/OutcomeRecord.h"

#include <QScopeGuard>

using namespace packet;

namespace {

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values)
        appendInt32Le(out, v);
    return out;
}

DialerRequest outcomeFor(qint64 customer)
{
    OutcomeRecord o;
    o.code = 5;
    o.customerId = QString::number(customer);
    o.calllist = QStringLiteral("CL1");
    return {{176, 0, 0, Esito, 160}, {55, QStringLiteral("PD")}, o.encode()};
}

} // namespace

class TestCampaignCycle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeCycle();
    void aDiagnosisNeverHoldsTheDialer();
    void lostSessionIsReportedAndReconnected();
};

void TestCampaignCycle::wholeCycle()
{
    DialerPeer dialer;
    Program p(Program::Options{"ServerPort=" + QByteArray::number(dialer.port()) + "\r\n", {400, 11}, {}, true, true, true});
    MainController &controller = *p.controller;
    Composition &parts = *p.parts;
    controller.connetti();
    QVERIFY(dialer.accept());
    QCOMPARE(dialer.receive().header.code, qint32(DbOk));
    QVERIFY(parts.campaign().isOpen());
    // Written for SQL Server, as the program's own statements are.
    const auto number = [&](const QString &sql) {
        qint64 value = -1;
        QString why;
        return parts.campaign().db().scalar(sql, value, why) ? value : -1;
    };

    // Groups: those of the demo database, each listed as sent.
    qint32 id = dialer.send(RichiestaGruppi, {});
    packet::Packet groups = dialer.receive();
    QCOMPARE(groups.header.code, qint32(PacchettoGruppi));
    QCOMPARE(groups.record.id, id);
    QCOMPARE(groups.header.totlen, 40 + 4 + 6 * 4); // six groups in the demo data
    QCOMPARE(readInt32Le(groups.body, 0), 6);
    const qint32 group = readInt32Le(groups.body, 4);
    QVERIFY(controller.clock().countingStart.isValid());
    const QStringList lines = controller.log().list1().lines();
    const qsizetype first = lines.indexOf(QStringLiteral("Ricevuta Richiesta gruppi"));
    QVERIFY(first >= 0);
    QCOMPARE(lines.mid(first + 1, 6).filter(QStringLiteral("Invio gruppo ")).size(), 6);
    QCOMPARE(lines.mid(first + 7, 2), (QStringList{QStringLiteral("70100"), QStringLiteral("Invio Pacchetto gruppi")}));

    // Twelve customers of the first group: 10 + 2, then QueryEnd.
    id = dialer.send(RichiestaClientiGruppi, ints({1, group, 12}));
    QList<qint64> sent;
    for (int expected : {10, 2}) {
        const packet::Packet p = dialer.receive();
        QCOMPARE(p.header.code, qint32(ClientiGruppo));
        QCOMPARE(p.header.totlen, 40 + 4 + 296 * expected);
        QCOMPARE(p.record.id, id);
        QCOMPARE(readInt32Le(p.body, 0), expected);
        for (int r = 0; r < expected; ++r) {
            sent << fixedtext::pulisciStringa(p.body.mid(4 + 296 * r + 56, 30)).toLongLong();
        }
    }
    const packet::Packet end = dialer.receive();
    QCOMPARE(end.header.code, qint32(QueryEnd));
    QCOMPARE(end.header.totlen, 44);
    QCOMPARE(readInt32Le(end.body, 0), 0);
    QStringList idList;
    for (qint64 c : sent)
        idList << QString::number(c);
    const QString inSent = QStringLiteral(" where contatore in (%1)").arg(idList.join(QLatin1Char(',')));
    QCOMPARE(number(QStringLiteral("select count(*) from [tabella pratiche]") + inSent + QStringLiteral(" and FlagQuorin=1")), 12);

    // An outcome for each: every one acknowledged, every one stored.
    for (qint64 customer : sent) {
        id = dialer.send(Esito, outcomeFor(customer).body);
        const packet::Packet ack = dialer.receive();
        QCOMPARE(ack.header.code, qint32(AckEsito));
        QCOMPARE(ack.header.totlen, 40);
        QCOMPARE(ack.record.id, id);
    }
    QCOMPARE(number(QStringLiteral("select count(*) from Esiti_Quorin where Esito=5")), 12);
    QCOMPARE(number(QStringLiteral("select count(*) from [tabella pratiche]") + inSent + QStringLiteral(" and FlagQuorin=0 and UltimoEsitoQuorin=5")), 12);

    QCOMPARE(controller.model().customers[MainModel::CustomersSent]->value(), 12);
}

void TestCampaignCycle::lostSessionIsReportedAndReconnected()
{
    if (testdatabase::server().isEmpty())
        QSKIP("needs a database server in QUORIN_TEST_DB (scripts/pg_test.sh)");
    CampaignFixture f;
    CampaignDb &db = f.campaign.db();
    QVERIFY(db.isPostgres());
    f.customer(100, QStringLiteral("A"), QStringLiteral("333"), 1, 30);
    // The session follows the program's clock, whatever the server's zone.
    // (pg_test.sh runs this in a time zone other than the server's.)
    const auto onLocalClock = [&] {
        const QDateTime now = QDateTime::currentDateTime();
        const qint64 local = now.toSecsSinceEpoch() + now.offsetFromUtc();
        return std::abs(f.number(QStringLiteral("SELECT CAST(EXTRACT(EPOCH FROM LOCALTIMESTAMP) AS BIGINT)")) - local) < 120;
    };
    QVERIFY(onLocalClock());

    // Another session, on another database: one cannot close the door it came in by.
    ConnectionParams conn = ConnectionParams::parse(testdatabase::server(), QDir::currentPath());
    const QString database = conn.database;
    conn.database = QStringLiteral("postgres");
    CampaignDb admin;
    QString error;
    QVERIFY2(admin.open(conn, error), qPrintable(error));
    qint64 ignored = 0;
    QVERIFY2(admin.scalar(QStringLiteral("SELECT 0 FROM (SELECT set_config('quorin.target', ?, false)) s"), ignored, error, {database}),
             qPrintable(error));
    const auto allowConnections = [&](bool allow) {
        QSqlQuery q(admin.handle());
        const bool ok = q.exec(allow ? QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I WITH ALLOW_CONNECTIONS true',"
                                                      " current_setting('quorin.target')); END$$")
                                     : QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I WITH ALLOW_CONNECTIONS false',"
                                                      " current_setting('quorin.target')); END$$"));
        if (!ok)
            qWarning("%s", qPrintable(q.lastError().text()));
        return ok;
    };
    // The server ends the program's session and turns new ones away for a while.
    QVERIFY(allowConnections(false));
    const auto reopen = qScopeGuard([&] { allowConnections(true); }); // whatever fails below
    qint64 ended = 0;
    QVERIFY2(admin.scalar(QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity"
                                         " WHERE datname = current_setting('quorin.target')"),
                          ended, error),
             qPrintable(error));
    QVERIFY(ended >= 1);

    // The next outcome finds the session gone: reported, neither stored nor acknowledged.
    f.campaign.outcomes().registraEsito(outcomeFor(100));
    QVERIFY(f.replies.sent.isEmpty());
    QVERIFY2(db.isLost(), qPrintable(f.log.list1().lines().join(QLatin1Char('\n'))));
    QVERIFY(!f.list1().filter(QStringLiteral("esito non confermato")).isEmpty());
    QVERIFY(!f.list1().filter(QStringLiteral("ERRORE DB: connessione persa")).isEmpty());
    // While it is lost a statement fails at once, without waiting on the server.
    QElapsedTimer quick;
    quick.start();
    f.campaign.outcomes().registraEsito(outcomeFor(100));
    QVERIFY(f.replies.sent.isEmpty());
    QVERIFY(quick.elapsed() < 1000);

    // Attempts are turned away and spaced out; once the server lets it in, it is back by itself.
    QVERIFY(QTest::qWaitFor([&] { return f.log.list2().lines().filter(QStringLiteral("DB non raggiungibile")).size() >= 3; }, 20000));
    QVERIFY(db.isLost());
    QVERIFY(allowConnections(true));
    QVERIFY(QTest::qWaitFor([&] { return !db.isLost(); }, 20000));
    QVERIFY(!f.log.list2().lines().filter(QStringLiteral("DB RICONNESSO dopo")).isEmpty());
    const QStringList waits = f.log.list2().lines().filter(QStringLiteral("nuovo tentativo tra"));
    QVERIFY(!waits.filter(QStringLiteral("tra 500 ms")).isEmpty() && !waits.filter(QStringLiteral("tra 1000 ms")).isEmpty());

    // The dialer reports it again: stored once, acknowledged once, on the program's clock again.
    f.campaign.outcomes().registraEsito(outcomeFor(100));
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().code, qint32(AckEsito));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin where id_contatore=100")), 1);
    QVERIFY(onLocalClock());
}

// A diagnosis counts on a thread of its own: while it is held there, in the
// middle of its counting, the dialer's requests are answered as ever.
void TestCampaignCycle::aDiagnosisNeverHoldsTheDialer()
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
}

QTEST_MAIN(TestCampaignCycle)
#include "tst_campaign_cycle.moc"
