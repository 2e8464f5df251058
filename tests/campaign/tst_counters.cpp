// The "Dati DB" block, summaries and resets on a seeded database.
#include "CampaignFixture.h"

class TestCounters : public QObject {
    Q_OBJECT
private:
    // Known answers: grouped collectors A (group 1) and B (groups 1, 2); C has no group.
    static void seed(CampaignFixture &f)
    {
        f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A'), (1, 'B'), (2, 'B')"));
        f.customer(1, QStringLiteral("A"), QStringLiteral("333"), 0, 30);          // sendable
        f.customer(2, QStringLiteral("A"), QStringLiteral("333"), QVariant(), 30); // sendable (Null flag)
        f.customer(3, QStringLiteral("B"), QStringLiteral("333"), 0, -2);          // expired
        f.customer(4, QStringLiteral("B"), QVariant(), 0, 30);                     // no phone
        f.customer(5, QStringLiteral("C"), QStringLiteral("333"), 0, 30);          // no group
        f.customer(6, QStringLiteral("A"), QStringLiteral("333"), 1, 30, 5);       // in queue
        f.customer(7, QStringLiteral("B"), QStringLiteral("333"), 1, 30, 5);       // in queue
        f.customer(8, QStringLiteral("C"), QStringLiteral("333"), 1, 30);          // in queue, no group
        f.customer(9, QStringLiteral("A"), QStringLiteral("333"), 2, 30, 3);       // discarded
        f.customer(10, QStringLiteral("B"), QStringLiteral("333"), 3, 30, 7);      // to operator
        f.customer(11, QStringLiteral("B"), QStringLiteral("333"), 3, 30, 7);      // to operator
        f.customer(12, QStringLiteral("B"), QStringLiteral(""), 3, 30);            // empty phone: not in the states
        f.sql(QStringLiteral("INSERT INTO Esiti_Quorin (id_contatore, data, Esito) VALUES (1, '2020-01-01 10:00:00', 5),"
                             " (2, GETDATE(), 5), (3, GETDATE(), 13)"));
    }
    static QString db(CampaignFixture &f, int e) { return QString::number(f.model.database[e]->value()); }
    // The "Dati DB" block from its second counter to its ninth.
    static QStringList block(CampaignFixture &f)
    {
        QStringList out;
        for (int e = 1; e <= 8; ++e)
            out << db(f, e);
        return out;
    }

private Q_SLOTS:
    void recounts();
    void archiveStateAndOutcomeSummaries();
    void initialReset();
    void manualResetAsksTwice();
};

void TestCounters::recounts()
{
    CampaignFixture f;
    seed(f);
    f.model.database[MainModel::InQueue]->set(99);
    f.model.debugLevel.setText(QStringLiteral("2"));
    f.campaign.refreshCounters(false);
    // To send: 1 and 2 only; no group, no phone or an expired mandate keep the rest out.
    QCOMPARE(block(f), (QStringList{QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("2"),
                                    QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3")}));
    const QStringList lines = f.list2Messages();
    QVERIFY(lines.last().endsWith(QStringLiteral(") CONTATORI AGGIORNATI")));
    QVERIFY(lines.filter(QStringLiteral(") AGGIORNO CONTATORI")).size() == 1);

    // The queue alone counts every collector's customers.
    f.model.database[MainModel::Discarded]->set(42);
    f.campaign.refreshCounters(true);
    QCOMPARE(db(f, 5), QStringLiteral("3")); // 6, 7 and 8, grouped or not
    QCOMPARE(db(f, 7), QStringLiteral("42")); // the rest is left alone
    // Templates replace the built-in statements.
    f.model.database[MainModel::InQueue]->set(-1);
    f.settings.templates[sqltemplates::Conta] = QStringLiteral("select count(*) from [tabella pratiche]");
    f.settings.templates[sqltemplates::Riepilogo] =
        QStringLiteral("select count(*) as cont, flagquorin from [tabella pratiche] group by flagquorin");
    f.campaign.refreshCounters(false);
    QCOMPARE(db(f, 1), QStringLiteral("12"));
    QCOMPARE(db(f, 5), QStringLiteral("3"));
    QCOMPARE(db(f, 6), QStringLiteral("3"));
    f.settings.templates[sqltemplates::Conta].clear();
    f.settings.templates[sqltemplates::Riepilogo].clear();
    f.sql(QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE FlagQuorin=1"));
    f.campaign.refreshCounters(false);
    QCOMPARE(db(f, 5), QStringLiteral("0"));

    // Adjustments are not clamped.
    f.model.database[MainModel::InQueue]->set(5);
    f.campaign.counters().coda(-7);
    QCOMPARE(db(f, 5), QStringLiteral("-2"));
    f.model.database[MainModel::ToSend]->set(0);
    f.campaign.counters().db(4);
    QCOMPARE(db(f, 1), QStringLiteral("4"));
}

void TestCounters::archiveStateAndOutcomeSummaries()
{
    CampaignFixture f;
    seed(f);
    f.log.list2().addEmptyingWhenFull(QStringLiteral("old line"));
    f.campaign.dumpArchive();
    QStringList lines = f.log.list2().lines();
    QVERIFY(lines.first().endsWith(QStringLiteral(") STATO ARCHIVIO")));
    QVERIFY(lines.contains(QStringLiteral("Ult.ESITO (5 abb.ring) flagQuorin (1 Inviato a Quorin)  = 2")));
    QVERIFY(lines.contains(QStringLiteral("Ult.ESITO (0 Esiti Rx) flagQuorin (0 Da inviare a Quorin)  = 1")));
    QVERIFY(lines.contains(QStringLiteral("Ult.ESITO (7 -> Oper.) flagQuorin (3 Passato ad Operatore)  = 2")));
    QVERIFY(!lines.contains(QStringLiteral("old line")));

    f.campaign.outcomeSummary(1);
    lines = f.log.list2().lines();
    QVERIFY(lines[0].endsWith(QStringLiteral(") RIEPILOGO ESITI TOTALI")));
    QCOMPARE(lines.mid(1), (QStringList{QStringLiteral("ESITO (5 abb.ring) = 2"), QStringLiteral("ESITO (13 ?) = 1")}));
    f.campaign.outcomeSummary(2);
    lines = f.log.list2().lines();
    QVERIFY(lines[0].endsWith(QStringLiteral(") RIEPILOGO ESITI ") + QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))));
    QCOMPARE(lines.mid(1).size(), 2); // the 2020 outcome is not today's
    QVERIFY(lines.contains(QStringLiteral("ESITO (5 abb.ring) = 1")));
}

void TestCounters::initialReset()
{
    CampaignFixture f;
    seed(f);
    // Without a database nothing is counted or reset.
    f.model.noDb.set(true);
    f.settings.templates[sqltemplates::Auto] = QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0");
    f.campaign.refreshCounters(false);
    f.campaign.initialReset();
    QCOMPARE(db(f, 1), QStringLiteral("0"));
    QCOMPARE(f.sentCount(), 3);
    f.model.noDb.set(false);
    // More than ten characters are needed.
    f.settings.templates[sqltemplates::Auto] = QStringLiteral("select 1;x"); // exactly 10
    f.campaign.initialReset();
    QVERIFY(f.list2Messages().filter(QStringLiteral("AZZERAMENTO")).isEmpty());
    f.settings.templates[sqltemplates::Auto] = QStringLiteral("UPDATE [tabella pratiche] SET FlagQuorin=0 WHERE FlagQuorin=1");
    f.campaign.initialReset();
    QStringList lines = f.list2Messages();
    QCOMPARE(lines.mid(lines.size() - 2), (QStringList{QStringLiteral("AZZERAMENTO INIZIALE DB"),
                                                       QStringLiteral("AZZERAMENTO INIZIALE DB TERMINATO. (3 quo.)")}));
    f.settings.templates[sqltemplates::Auto] = QStringLiteral("UPDATE no_such_table SET x=1");
    f.campaign.initialReset();
    QCOMPARE(f.prompts.asked.size(), 1); // the error in a message box, and the program goes on
    QVERIFY(f.prompts.asked.first().contains(QStringLiteral("no_such_table")));
}

void TestCounters::manualResetAsksTwice()
{
    CampaignFixture f;
    seed(f);
    f.model.outcomes[3]->set(8);
    f.prompts.answers = {true, false};
    f.campaign.manualReset();
    QCOMPARE(f.prompts.asked, (QStringList{QStringLiteral("confirm:Confermi azzeramento Flag Quorin?"),
                                           QStringLiteral("confirm:Ultima Richiesta. Confermi azzeramento Flag Quorin?")}));
    QCOMPARE(f.model.outcomes[3]->value(), 8);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin<>0")), 7);

    f.prompts.answers = {true, true};
    f.log.list1().addEmptyingWhenFull(QStringLiteral("traffic"));
    f.campaign.manualReset();
    QCOMPARE(f.model.outcomes[3]->value(), 0);
    QCOMPARE(f.log.list1().count(), 0);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin<>0 or UltimoEsitoQuorin is not null")), 0);
    QVERIFY(f.log.list2().line(0).endsWith(QStringLiteral(") AZZERATI 7 FLAG QUORIN")));
    QVERIFY(f.clock.countingStart.isValid());
    QCOMPARE(db(f, 1), QStringLiteral("8")); // recounted at the end
}

QTEST_GUILESS_MAIN(TestCounters)
#include "tst_counters.moc"
