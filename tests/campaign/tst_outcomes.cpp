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
    void totalsAndMissingCustomers();
    void effectsOnTheCustomer_data();
    void effectsOnTheCustomer();
    void memoAndTextsFromTheWire();
    void notStoredNotAcknowledged();
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
    // Flag, counters and the first line as when it is not moved: effectsOnTheCustomer.
    QVERIFY(f.list1().contains(QStringLiteral("CL 100 rischedulato alle ") + recall.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().echo.id, 55);
    QVERIFY(f.replies.sent.first().body.isEmpty());
    QVERIFY(f.log.list1().line(0).endsWith(QStringLiteral(" az2")));
}

void TestOutcomes::totalsAndMissingCustomers()
{
    Outcomes f;
    f.campaign.outcomes().registraEsito(outcome(6, QStringLiteral("100")));
    QCOMPARE(f.number(QStringLiteral("select Tot_Esiti_Quorin from [tabella pratiche] where contatore=100")), 1);
    QCOMPARE(f.number(QStringLiteral("select Tot_Abbattuto_Quorin from [tabella pratiche] where contatore=100")), 1);
    f.campaign.outcomes().registraEsito(outcome(6, QStringLiteral("100"), QStringLiteral("LISTA1"), 13)); // the next call
    QCOMPARE(f.number(QStringLiteral("select Tot_Abbattuto_Quorin from [tabella pratiche] where contatore=100")), 2);
    // A customer missing from the archive: recorded and acknowledged all the same.
    for (int code : {3, 7, 5})
        f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral(" 999 ")));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin where id_contatore=999")), 3);
    QCOMPARE(f.list1().filter(QStringLiteral("CL 999 non trovato in archivio")).size(), 3);
    QCOMPARE(f.replies.sent.size(), 5);
}

void TestOutcomes::effectsOnTheCustomer_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("negatives"); // negative outcomes already stored
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("last"); // UltimoEsitoQuorin, empty for Null
    QTest::addColumn<QStringList>("lines"); // consecutive List1 lines, by their start
    QTest::addColumn<QList<qint64>>("counts"); // in queue, to send, discarded, to an operator; outcomes counted
    const auto l = [](const char *line) { return QString::fromLatin1(line); };
    QTest::newRow("not found, not moved") << 1 << 0 << 0 << l("1")
                                          << QStringList{l("Esito 1 (non trov.) x id 100 d/t "), l("CL 100 riattivato")}
                                          << QList<qint64>{-1, 1, 0, 0, 1};
    QTest::newRow("tenth negative makes available") << 3 << 9 << 0 << l("3")
                                                    << QStringList{l("CL 100 Tel.Err/o Fax [10 volte]"), l("CL 100 riattivato")}
                                                    << QList<qint64>{-1, 1, 0, 0, 1};
    QTest::newRow("eleventh negative discards") << 3 << 10 << 2 << l("3") << QStringList{l("CL SCARTATO 100 Tel.Err/o Fax [11 volte]")}
                                                << QList<qint64>{-1, 0, 1, 0, 1};
    QTest::newRow("passed to an operator") << 7 << 0 << 3 << l("7") << QStringList{l("Esito 7 (-> Oper.) x id 100 d/t ")}
                                           << QList<qint64>{-1, 0, 0, 1, 1};
    // Code 0 counts nothing, but updates the customer, who stays sent.
    QTest::newRow("code 0") << 0 << 0 << 1 << l("0") << QStringList{l("Esito 0 (Esiti Rx) x id 100 d/t ")} << QList<qint64>{-1, 0, 0, 0, 0};
    QTest::newRow("unknown code is recorded only")
        << 15 << 0 << 1 << QString() << QStringList{l("Esito 15 () x id 100 d/t "), l("Esito 15 sconosciuto: registrato senza altri effetti")}
        << QList<qint64>{0, 0, 0, 0, 0};
}

void TestOutcomes::effectsOnTheCustomer()
{
    QFETCH(int, code);
    QFETCH(int, negatives);
    QFETCH(QStringList, lines);
    QFETCH(QList<qint64>, counts);
    Outcomes f;
    f.settings.spostaNonTrovati = 0;
    f.negatives(negatives);
    f.campaign.outcomes().registraEsito(outcome(code, QStringLiteral("100")));
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().code, qint32(AckEsito));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), negatives + 1);
    QCOMPARE(f.number(QStringLiteral("select top 1 Esito from Esiti_Quorin order by ID_Esito desc")), code);
    QTEST(int(f.flag(100)), "flag");
    QFETCH(QString, last); // Null read back is 0 on some backends: asked as such
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where contatore=100 and UltimoEsitoQuorin is null")),
             last.isEmpty() ? 1 : 0);
    if (!last.isEmpty())
        QCOMPARE(f.number(QStringLiteral("select UltimoEsitoQuorin from [tabella pratiche] where contatore=100")), last.toLongLong());
    // Only a customer not found, with a shift set, is moved.
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where contatore=100 and datarichiamo is null")), 1);
    QCOMPARE(f.text(QStringLiteral("select ORAPLA from PLA")), QStringLiteral("09:00"));
    const QStringList list1 = f.list1();
    qsizetype at = 0;
    while (at < list1.size() && !list1[at].startsWith(lines.first()))
        ++at;
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(list1.value(at + i).startsWith(lines[i]), qPrintable(list1.join(QLatin1Char('\n'))));
    qint64 all = 0;
    for (CountValue *count : f.model.outcomes)
        all += count->value();
    QList<qint64> got;
    for (MainModel::DbCounter c : {MainModel::InQueue, MainModel::ToSend, MainModel::Discarded, MainModel::ToOperator})
        got << f.model.database[c]->value();
    QCOMPARE(got << f.model.outcomes[0]->value(), counts);
    QCOMPARE(all, 2 * counts[4]); // the total and the code's own
}

void TestOutcomes::memoAndTextsFromTheWire()
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
    // Texts from the wire are stored and listed verbatim, "%1" and quotes included.
    OutcomeRecord o;
    o.code = 5;
    o.operatore = QStringLiteral("op%8");
    o.campagna = QStringLiteral("c%1%2'");
    o.calllist = QStringLiteral("%3 lista");
    o.customerId = QStringLiteral("100");
    o.progressive = 7009;
    const DialerRequest r{requestHeader(Esito, OutcomeRecord::Size, 12000), {56, QStringLiteral("PD")}, o.encode()};
    QVERIFY(f.campaign.outcomes().registraEsito(r).ok());
    QCOMPARE(f.replies.sent.size(), 3); // stored, so acknowledged
    QCOMPARE(f.text(QStringLiteral("select Operatore from Esiti_Quorin where Prog_Quorin=7009")), QStringLiteral("op%8"));
    QCOMPARE(f.text(QStringLiteral("select campagna from Esiti_Quorin where Prog_Quorin=7009")), QStringLiteral("c%1%2'"));
    QCOMPARE(f.text(QStringLiteral("select calllist from Esiti_Quorin where Prog_Quorin=7009")), QStringLiteral("%3 lista"));
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin where Prog_Quorin=7009")), 1);
    QVERIFY(f.text(QStringLiteral("select memo from [tabella pratiche] where contatore=100")).endsWith(QStringLiteral(")  %3 lista")));
}

void TestOutcomes::notStoredNotAcknowledged()
{
    Outcomes f;
    DialerRequest r = outcome(5, QStringLiteral("100"));
    r.body.truncate(100); // the customer id is cut off
    QVERIFY(!f.campaign.outcomes().registraEsito(r).ok());
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 0);
    // A database failure.
    f.settings.spostaNonTrovati = 30;
    f.sql(QStringLiteral("DROP TABLE PLA"));
    f.campaign.outcomes().registraEsito(outcome(1, QStringLiteral("100")));
    QVERIFY(f.replies.sent.isEmpty());
    QCOMPARE(f.number(QStringLiteral("select count(*) from Esiti_Quorin")), 0); // rolled back whole
    QCOMPARE(f.flag(100), 1);
    QCOMPARE(f.model.outcomes[0]->value(), 0);
    QVERIFY(f.list1().last().startsWith(QStringLiteral("ERRORE DB: ")));
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
    QCOMPARE(f.flag(100), flag);
    QCOMPARE(f.model.outcomes[code]->value(), 1);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), -1);
    QCOMPARE(f.model.database[MainModel::Discarded]->value(), 0);
    QCOMPARE(f.list1().filter(QStringLiteral("ESITO DUPLICATO ")).size(), 1);
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
