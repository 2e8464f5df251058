// Outcome recording: rows, customer updates, counters and acknowledgement.
#include "CampaignFixture.h"

using namespace packet;

namespace {
DialerRequest outcome(int code, const QString &id, const QString &calllist = QStringLiteral("LISTA1"), int progressive = 12)
{
    OutcomeRecord o;
    o.timeCall = 6121030;
    o.code = code;
    o.operatore = QStringLiteral("op01");
    o.campagna = QStringLiteral("camp");
    o.calllist = calllist;
    o.customerId = id;
    o.progressive = progressive;
    o.az = 2;
    return {{176, 0, 0, Esito, 160}, {55, QStringLiteral("PD")}, o.encode()};
}

struct Outcomes : CampaignFixture {
    Outcomes()
    {
        customer(100, QStringLiteral("A"), QStringLiteral("333"), 1, 30);
        sql(QStringLiteral("INSERT INTO PLA VALUES ('100', '01/01/2026', '09:00')"));
        model.customers[MainModel::CustomersSent]->set(10);
    }
    // A date as SQLite keeps it, whatever the backend returns.
    QString text(const QString &sql)
    {
        QSqlQuery q(campaign.db().handle());
        if (!q.exec(dialect(sql)) || !q.next())
            return QStringLiteral("<none>");
        const QVariant v = q.value(0);
        return v.metaType().id() == QMetaType::QDateTime ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                                           : v.toString();
    }
    void negatives(int n)
    {
        for (int i = 0; i < n; ++i)
            sql(QStringLiteral("INSERT INTO Esiti_Quorin (id_contatore, Esito) VALUES (100, %1)").arg(2 + i % 3));
    }
};
} // namespace

class TestOutcomes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void testRecord();
    void notFoundIsRescheduled();
    void notFoundWithoutShiftIsReactivated();
    void eleventhNegativeDiscards();
    void tenthNegativeMakesAvailable();
    void hangUpRaisesBothTotalsFromNull();
    void passedToOperator();
    void missingCustomerStillRecordedAndAcknowledged();
    void codeZeroCountsNothingButUpdates();
    void memoGrowsLineByLine();
    void databaseFailureIsNotAcknowledged();
    void unknownCodeIsRecordedOnly();
    void wireTextIsStoredAndListedVerbatim();
    void shortBodyHasNoDatabaseEffect();
    void outcomeReportedAgainIsStoredOnce_data();
    void outcomeReportedAgainIsStoredOnce();
};

// The record "prova esito" sends (its layout: tst_bodies).
void TestOutcomes::testRecord()
{
    std::mt19937 random(1);
    const OutcomeRecord t = OutcomeRecord::test(QDateTime(QDate(2026, 12, 6), QTime(9, 5)), random);
    QCOMPARE(t.timeCall, 6120905);
    QVERIFY(t.code >= 0 && t.code <= 9);
    QCOMPARE(t.operatore, QStringLiteral("pippo"));
    QCOMPARE(t.progressive, 2145);
    QCOMPARE(t.encode().mid(116), QByteArray(20, '\0'));
}

void TestOutcomes::notFoundIsRescheduled()
{
    Outcomes f;
    f.settings.spostaNonTrovati = 30;
    f.campaign.outcomes().registraEsito(outcome(1, QStringLiteral("100")));
    const QDateTime recall = QDateTime::fromString(f.text(QStringLiteral("select datarichiamo from [tabella pratiche] where contatore=100")),
                                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(recall, QDateTime(f.now.date(), QTime(10, 30))); // at 10:00, thirty minutes on
    QCOMPARE(f.text(QStringLiteral("select DATPLA || ' ' || ORAPLA from PLA where CODSCH='100'")),
             recall.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 0);
    QCOMPARE(f.number(QStringLiteral("select UltimoEsitoQuorin from [tabella pratiche] where contatore=100")), 1);
    QVERIFY(f.log.list1().lines().contains(QStringLiteral("CL 100 rischedulato alle ") + recall.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
    QCOMPARE(f.model.outcomes[1]->value(), 1);
    QCOMPARE(f.model.outcomes[0]->value(), 1);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), -1);
    QCOMPARE(f.model.database[MainModel::ToSend]->value(), 1);
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().code, qint32(AckEsito));
    QCOMPARE(f.replies.sent.first().echo.id, 55);
    QVERIFY(f.replies.sent.first().body.isEmpty());
    QVERIFY(f.log.list1().line(0).startsWith(QStringLiteral("Esito 1 (non trov.) x id 100 d/t ")));
    QVERIFY(f.log.list1().line(0).endsWith(QStringLiteral(" az2")));
}

void TestOutcomes::notFoundWithoutShiftIsReactivated()
{
    Outcomes f;
    f.settings.spostaNonTrovati = 0;
    f.campaign.outcomes().registraEsito(outcome(1, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where contatore=100 and datarichiamo is null")), 1);
    QCOMPARE(f.text(QStringLiteral("select ORAPLA from PLA")), QStringLiteral("09:00"));
    QVERIFY(f.log.list1().lines().contains(QStringLiteral("CL 100 riattivato")));
}

void TestOutcomes::eleventhNegativeDiscards()
{
    Outcomes f;
    f.negatives(10);
    f.campaign.outcomes().registraEsito(outcome(3, QStringLiteral("100")));
    QVERIFY(f.log.list1().lines().contains(QStringLiteral("CL SCARTATO 100 Tel.Err/o Fax [11 volte]")));
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 2);
    QCOMPARE(f.model.database[MainModel::Discarded]->value(), 1);
    QCOMPARE(f.model.database[MainModel::ToSend]->value(), 0);
    QCOMPARE(f.replies.sent.size(), 1);
}

void TestOutcomes::tenthNegativeMakesAvailable()
{
    Outcomes f;
    f.negatives(9);
    f.campaign.outcomes().registraEsito(outcome(3, QStringLiteral("100")));
    const QStringList lines = f.log.list1().lines();
    const qsizetype at = lines.indexOf(QStringLiteral("CL 100 Tel.Err/o Fax [10 volte]"));
    QVERIFY(at >= 0);
    QCOMPARE(lines.value(at + 1), QStringLiteral("CL 100 riattivato"));
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 0);
}

void TestOutcomes::hangUpRaisesBothTotalsFromNull()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(6, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select Tot_Esiti_Quorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.number(QStringLiteral("select Tot_Abbattuto_Quorin from [tabella pratiche] where contatore=100")), 1);
    f.campaign.outcomes().registraEsito(outcome(6, QStringLiteral("100"), QStringLiteral("LISTA1"), 13)); // the next call
    QCOMPARE(f.number(QStringLiteral("select Tot_Abbattuto_Quorin from [tabella pratiche] where contatore=100")), 2);
}

void TestOutcomes::passedToOperator()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(7, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 3);
    QCOMPARE(f.model.database[MainModel::ToOperator]->value(), 1);
    QCOMPARE(f.model.outcomes[7]->value(), 1);
}

void TestOutcomes::missingCustomerStillRecordedAndAcknowledged()
{
    Outcomes f;
    for (int code : {3, 7, 5}) {
        f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral(" 999 ")));
    }
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin where id_contatore=999")), 3);
    QCOMPARE(f.log.list1().lines().filter(QStringLiteral("CL 999 non trovato in archivio")).size(), 3);
    QCOMPARE(f.replies.sent.size(), 3);
}

void TestOutcomes::codeZeroCountsNothingButUpdates()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(0, QStringLiteral("100")));
    for (CountValue *count : f.model.outcomes)
        QCOMPARE(count->value(), 0);
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 1);
    QCOMPARE(f.number(QStringLiteral("select Tot_Esiti_Quorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 1); // stays sent
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), -1);
}

void TestOutcomes::memoGrowsLineByLine()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(5, QStringLiteral("100"), QStringLiteral("LISTA'A")));
    const QString first = f.text(QStringLiteral("select memo from [tabella pratiche] where contatore=100"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\.QUORIN \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d \\(5 abb\\.ring\\)  LISTA'A$"))
                 .match(first).hasMatch(), qPrintable(first));
    f.campaign.outcomes().registraEsito(outcome(8, QStringLiteral("100")));
    const QString both = f.text(QStringLiteral("select memo from [tabella pratiche] where contatore=100"));
    QVERIFY(both.startsWith(first + QStringLiteral("\r\n.QUORIN ")));
    QVERIFY(both.endsWith(QStringLiteral(" (8 occupato)  LISTA1")));
    QCOMPARE(f.text(QStringLiteral("select top 1 calllist from Esiti_Quorin order by ID_Esito")), QStringLiteral("LISTA'A"));
}

void TestOutcomes::databaseFailureIsNotAcknowledged()
{
    Outcomes f;
    f.settings.spostaNonTrovati = 30;
    f.sql(QStringLiteral("DROP TABLE PLA"));
    f.campaign.outcomes().registraEsito(outcome(1, QStringLiteral("100")));
    QVERIFY(f.replies.sent.isEmpty());
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 0); // rolled back whole
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.model.outcomes[0]->value(), 0);
    QVERIFY(f.log.list1().lines().last().startsWith(QStringLiteral("ERRORE DB: ")));
}

void TestOutcomes::unknownCodeIsRecordedOnly()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(15, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select Esito from Esiti_Quorin")), 15);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where contatore=100 and UltimoEsitoQuorin is null")), 1);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 0);
    QVERIFY(f.log.list1().line(0).startsWith(QStringLiteral("Esito 15 () x id 100")));
    QVERIFY(f.log.list1().lines().contains(QStringLiteral("Esito 15 sconosciuto: registrato senza altri effetti")));
    QCOMPARE(f.replies.sent.size(), 1);
}

void TestOutcomes::wireTextIsStoredAndListedVerbatim()
{
    Outcomes f;
    OutcomeRecord o;
    o.code = 5;
    o.operatore = QStringLiteral("op%8");
    o.campagna = QStringLiteral("c%1%2'");
    o.calllist = QStringLiteral("%3 lista");
    o.customerId = QStringLiteral("100");
    o.progressive = 7009;
    const DialerRequest r{requestHeader(Esito, OutcomeRecord::Size, 12000), {56, QStringLiteral("PD")}, o.encode()};
    QVERIFY(f.campaign.outcomes().registraEsito(r).ok());
    QCOMPARE(f.replies.sent.size(), 1); // stored, so acknowledged
    QCOMPARE(f.text(QStringLiteral("select Operatore from Esiti_Quorin")), QStringLiteral("op%8"));
    QCOMPARE(f.text(QStringLiteral("select campagna from Esiti_Quorin")), QStringLiteral("c%1%2'"));
    QCOMPARE(f.text(QStringLiteral("select calllist from Esiti_Quorin")), QStringLiteral("%3 lista"));
    QCOMPARE(f.number(QStringLiteral("select Prog_Quorin from Esiti_Quorin")), 7009);
    QVERIFY(f.text(QStringLiteral("select memo from [tabella pratiche] where contatore=100")).endsWith(QStringLiteral(")  %3 lista")));
}

void TestOutcomes::shortBodyHasNoDatabaseEffect()
{
    Outcomes f;
    DialerRequest r = outcome(5, QStringLiteral("100"));
    r.body.truncate(100); // the customer id is cut off
    QVERIFY(!f.campaign.outcomes().registraEsito(r).ok());
    QVERIFY(f.replies.sent.isEmpty());
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 0);
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.model.outcomes[0]->value(), 0);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 0);
}

void TestOutcomes::outcomeReportedAgainIsStoredOnce_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flag");
    QTest::newRow("made available") << 5 << 0;
    // Counted twice, the first negative outcome would pass the limit of 1 and discard.
    QTest::newRow("negative, limit 1") << 3 << 0;
    QTest::newRow("passed to an operator") << 7 << 3;
}

void TestOutcomes::outcomeReportedAgainIsStoredOnce()
{
    QFETCH(int, code);
    QFETCH(int, flag);
    Outcomes f;
    f.settings.limiteEsitiNegativi = 1;
    // Stored and committed; the link drops before the acknowledgement
    // reaches the dialer, which reports the outcome again on its next link.
    f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral("100")));
    f.now = f.now.addSecs(90);
    f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral("100")));
    QCOMPARE(f.replies.sent.size(), 2);
    QCOMPARE(f.replies.sent.last().code, qint32(AckEsito));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 1);
    QCOMPARE(f.number(QStringLiteral("select Tot_Esiti_Quorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=100")), flag);
    QCOMPARE(f.model.outcomes[code]->value(), 1);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), -1);
    QCOMPARE(f.model.database[MainModel::Discarded]->value(), 0);
    QCOMPARE(f.log.list1().lines().filter(QStringLiteral("ESITO DUPLICATO ")).size(), 1);
    QCOMPARE(f.model.metrics.outcomeDuplicates(), quint64(1));
    QCOMPARE(f.model.metrics.outcomesAcknowledged(code), quint64(1));
    // The next call of the same customer, and the same report a day later, are new outcomes.
    f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral("100"), QStringLiteral("LISTA1"), 13));
    f.now = f.now.addDays(1);
    f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 3);
    QCOMPARE(f.model.metrics.outcomeDuplicates(), quint64(1));
}

QTEST_GUILESS_MAIN(TestOutcomes)
#include "tst_outcomes.moc"
