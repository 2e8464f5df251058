// A fake dialer drives a whole campaign cycle against the demo database:
// groups, customers, an outcome for each, a release and a discard.
#include <QtTest>

#include "../core/TestSupport.h"
#include "../dialer_link/DialerPeer.h"
#include "app/Composition.h"
#include "campaign/DemoDatabase.h"
#include "dialer_link/OutcomeRecord.h"
#include "core/LogList.h"
#include "core/MainController.h"
#include "dialer_link/FixedText.h"
#include "dialer_link/PacketFormat.h"

#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>

using namespace packet;

namespace {

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values)
        appendInt32Le(out, v);
    return out;
}

} // namespace

class TestCampaignCycle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeCycle();
};

void TestCampaignCycle::wholeCycle()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dati")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("web")));
    QString error;
    QVERIFY2(demodatabase::create(dir.filePath(QStringLiteral("dati/campaign.sqlite")), {400, 11}, error), qPrintable(error));
    DialerPeer dialer;
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=" + QByteArray::number(dialer.port()) + "\r\n");
    writeFile(dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"),
              "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");

    ScriptedPrompts prompts;
    MainController controller({{dir.path(), dir.filePath(QStringLiteral("dati")), dir.path()}, false}, prompts);
    Composition parts(controller, prompts, true);
    QVERIFY(controller.start());
    controller.connetti();
    QVERIFY(dialer.accept());
    QCOMPARE(dialer.receive().header.code, qint32(DbOk));
    QSqlDatabase db = parts.campaign().db().handle();
    const auto number = [&](const QString &sql) {
        QSqlQuery q(db);
        return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
    };

    // Groups.
    qint32 id = dialer.send(RichiestaGruppi, {});
    packet::Packet groups = dialer.receive();
    QCOMPARE(groups.header.code, qint32(PacchettoGruppi));
    QCOMPARE(groups.record.id, id);
    const qint32 group = readInt32Le(groups.body, 4);

    // Twelve customers of the first group: 10 + 2, then QueryEnd.
    id = dialer.send(RichiestaClientiGruppi, ints({1, group, 12}));
    QList<qint64> sent;
    QList<QByteArray> records;
    for (int expected : {10, 2}) {
        const packet::Packet p = dialer.receive();
        QCOMPARE(p.header.code, qint32(ClientiGruppo));
        QCOMPARE(p.header.totlen, 40 + 4 + 296 * expected);
        QCOMPARE(p.record.id, id);
        QCOMPARE(readInt32Le(p.body, 0), expected);
        for (int r = 0; r < expected; ++r) {
            const QByteArray rec = p.body.mid(4 + 296 * r, 296);
            records << rec;
            sent << fixedtext::pulisciStringa(rec.mid(56, 30)).toLongLong();
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
        OutcomeRecord o;
        o.code = 5;
        o.customerId = QString::number(customer);
        o.calllist = QStringLiteral("CL1");
        id = dialer.send(Esito, o.encode());
        const packet::Packet ack = dialer.receive();
        QCOMPARE(ack.header.code, qint32(AckEsito));
        QCOMPARE(ack.header.totlen, 40);
        QCOMPARE(ack.record.id, id);
    }
    QCOMPARE(number(QStringLiteral("select count(*) from Esiti_Quorin where Esito=5")), 12);
    QCOMPARE(number(QStringLiteral("select count(*) from [tabella pratiche]") + inSent + QStringLiteral(" and FlagQuorin=0 and UltimoEsitoQuorin=5")), 12);

    // Five more, then the dialer drops the group's queue.
    dialer.send(RichiestaClientiGruppi, ints({1, group, 5}));
    packet::Packet five = dialer.receive();
    QCOMPARE(readInt32Le(five.body, 0), 5);
    QCOMPARE(dialer.receive().header.code, qint32(QueryEnd));
    const qint64 releasable = number(QStringLiteral(
        "select count(*) from [tabella pratiche] p join GRUPPI_ESATTORE g on g.CODESATTORE = p.[codice esattore]"
        " where g.GRUPPO = %1 and FlagQuorin = 1 and [scadenza mandato] >= datetime('now','localtime')").arg(group));
    id = dialer.send(FreeQueue, ints({group}));
    const packet::Packet freed = dialer.receive();
    QCOMPARE(freed.header.code, qint32(FreeQueueReply));
    QCOMPARE(freed.record.id, id);
    QVERIFY(controller.log().list1().lines().contains(QStringLiteral("LIBERATI %1 CL. grp %2").arg(releasable).arg(group)));

    // The dialer refuses two records it was sent: they become available, nothing comes back.
    dialer.send(RichiestaClientiGruppi, ints({1, group, 2}));
    const packet::Packet two = dialer.receive();
    QCOMPARE(dialer.receive().header.code, qint32(QueryEnd));
    QByteArray refused = ints({2}) + two.body.mid(4, 2 * 296);
    dialer.send(DiscardQuery, refused);
    id = dialer.send(RichiestaGruppi, {}); // the next reply proves the discard was served and answered nothing
    QCOMPARE(dialer.receive().header.code, qint32(PacchettoGruppi));
    for (int r = 0; r < 2; ++r) {
        const qint64 customer = fixedtext::pulisciStringa(two.body.mid(4 + 296 * r + 56, 30)).toLongLong();
        QCOMPARE(number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=%1").arg(customer)), 0);
    }
    QCOMPARE(controller.model().customers[MainModel::CustomersRefused]->text(), QStringLiteral("2"));
    QCOMPARE(controller.model().customers[MainModel::CustomersSent]->text(), QStringLiteral("19"));
}

QTEST_MAIN(TestCampaignCycle)
#include "tst_campaign_cycle.moc"
