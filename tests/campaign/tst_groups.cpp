// The groups reply, byte for byte, and the group/collector grid.
#include "CampaignFixture.h"

#include <QSqlTableModel>

using namespace packet;

class TestGroups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groupsSentOnceEachAtMost999();
    void emptyTableCountsZeroAndStartsTheCountOnce();
    void gridFiltersKeepQuotesInert();
    void failingDatabases();
    void odbcPathServesTheSameReply();
};

void TestGroups::groupsSentOnceEachAtMost999()
{
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A'), (2, 'B'), (5, 'C'), (5, 'D'), (1, 'E')"));
    const RecordId request{321, QStringLiteral("PD-TAG")};
    f.dispatch(Header{40, 0, 12000, RichiestaGruppi, 24}, request, {});
    QCOMPARE(f.replies.sent.size(), 1);
    const auto &reply = f.replies.sent.first();
    QCOMPARE(reply.code, qint32(PacchettoGruppi));
    QCOMPARE(reply.text, QStringLiteral("Invio Pacchetto gruppi"));
    QCOMPARE(reply.echo, request);
    QCOMPARE(reply.body, QByteArray::fromHex("03000000" "01000000" "02000000" "05000000"));
    QCOMPARE(f.list1(), (QStringList{QStringLiteral("Ricevuta Richiesta gruppi"), QStringLiteral("Invio gruppo 1"),
                                                 QStringLiteral("Invio gruppo 2"), QStringLiteral("Invio gruppo 5")}));

    // More than 999 groups are cut.
    f.replies.sent.clear();
    f.sql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)"
                         " INSERT INTO GRUPPI_ESATTORE SELECT i, 'X' FROM n"));
    f.campaign.groups().rispostaGruppi({1, {}});
    const QByteArray body = f.replies.sent.first().body;
    QCOMPARE(body.size(), 4 + 999 * 4);
    QCOMPARE(packet::readInt32Le(body, 0), 999);
    QCOMPARE(f.list1().filter(QStringLiteral("TROPPI GRUPPI")).size(), 1);
}

void TestGroups::emptyTableCountsZeroAndStartsTheCountOnce()
{
    CampaignFixture f;
    QVERIFY(!f.clock.countingStart.isValid());
    f.campaign.groups().rispostaGruppi({1, QStringLiteral("x")});
    QCOMPARE(f.replies.sent.size(), 1);
    const auto &reply = f.replies.sent.first();
    QCOMPARE(reply.body, QByteArray(4, '\0'));
    // The counting start is set by the first reply only.
    QVERIFY(f.clock.countingStart.isValid());
    QCOMPARE(f.captions, 1);
    const QDateTime first = QDateTime::currentDateTime().addSecs(-3600);
    f.clock.countingStart = first;
    f.campaign.groups().rispostaGruppi({2, {}});
    QCOMPARE(f.clock.countingStart, first);
    QCOMPARE(f.captions, 1);
}

void TestGroups::gridFiltersKeepQuotesInert()
{
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A'), (2, 'B'), (2, 'C')"));
    f.campaign.filterGroups(QStringLiteral("2"), QStringLiteral("A"));
    auto *grid = qobject_cast<QSqlTableModel *>(f.campaign.groupTable());
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), 2); // the group filter wins
    f.campaign.filterGroups(QString(), QStringLiteral("A' OR '1'='1"));
    QCOMPARE(grid->rowCount(), 0);
    QCOMPARE(f.number(QStringLiteral("select count(*) from GRUPPI_ESATTORE")), 3);
    f.campaign.filterGroups(QString(), QString());
    QCOMPARE(grid->rowCount(), 3);
    // Edited in place.
    QVERIFY(grid->setData(grid->index(0, 1), QStringLiteral("Z")));
    QCOMPARE(f.number(QStringLiteral("select count(*) from GRUPPI_ESATTORE where CODESATTORE='Z'")), 1);
}

void TestGroups::failingDatabases()
{
    CampaignFixture f;
    f.sql(QStringLiteral("DROP TABLE GRUPPI_ESATTORE"));
    f.campaign.groups().rispostaGruppi({1, {}});
    QVERIFY(f.replies.sent.isEmpty());
    QVERIFY(f.log.list1().line(0).startsWith(QStringLiteral("ERRORE DB: ")));
    QVERIFY(!f.clock.countingStart.isValid());
    // A wrong database ends after the question.
    f.campaign.close();
    f.prompts.answers = {true};
    QVERIFY(!f.campaign.open(QStringLiteral("Provider=SQLite;Data Source=missing.sqlite")));
    QVERIFY(f.prompts.asked.first().startsWith(QStringLiteral("confirm:")));
    QVERIFY(f.prompts.asked.first().endsWith(QStringLiteral("\n Vuoi verificare il file di CFG ? (solo lv 999) ")));
    QCOMPARE(f.prompts.asked.last(), QStringLiteral("edit:tm40.ini"));
    QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("missing.sqlite")))); // never created
    QVERIFY(!f.campaign.open(QStringLiteral("Provider=Jet;Data Source=x")));
    QVERIFY(f.prompts.asked.last().contains(QStringLiteral("Accepted forms")));
}

void TestGroups::odbcPathServesTheSameReply()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("no ODBC driver for Qt on this machine");
    if (!testdatabase::server().isEmpty())
        QSKIP("the ODBC path is taken to the SQLite file");
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (4, 'A'), (9, 'B')"));
    f.campaign.close();
    QVERIFY2(f.campaign.open(QStringLiteral("Driver=SQLite3;Database=") + f.path), qPrintable(f.prompts.asked.join(QLatin1Char('|'))));
    QVERIFY(!f.campaign.db().isSqlServer());
    f.campaign.groups().rispostaGruppi({1, {}});
    QCOMPARE(f.replies.sent.first().body, QByteArray::fromHex("02000000" "04000000" "09000000"));
    f.campaign.refreshCounters(false);
    QCOMPARE(f.model.database[MainModel::Groups]->value(), 2);
}

QTEST_GUILESS_MAIN(TestGroups)
#include "tst_groups.moc"
