// Customers per group and per operator: packets, records, phones, marking.
#include "CampaignFixture.h"
#include "campaign/PhoneLog.h"

using namespace packet;

namespace {
// The customers of the group packets sent, by their id.
QList<qint64> sentIds(const RecordingReplies &r)
{
    QList<qint64> out;
    for (const auto &reply : r.sent) {
        if (reply.code != ClientiGruppo)
            continue;
        for (int i = 0; i < readInt32Le(reply.body, 0); ++i)
            out << fixedtext::pulisciStringa(QString::fromLatin1(reply.body.mid(4 + 296 * i + 56, 30))).toLongLong();
    }
    return out;
}

QList<int> recordCounts(const RecordingReplies &r, qint32 code, int countOffset = 0)
{
    QList<int> out;
    for (const auto &reply : r.sent)
        if (reply.code == code)
            out << readInt32Le(reply.body, countOffset);
    return out;
}
} // namespace

class TestCustomers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twentyFiveCustomersInThreePacketsAnEmptyPairTwentyInTwo();
    void recordLayoutAndOrder();
    void phoneChoices_data();
    void phoneChoices();
    void operatorPacketsOfNine();
    void operatorWindowAndRecallFields();
    void testQueriesCountWithoutSending();
    void operatorCodesFromTheWireStayInert();
    void requestsNotServedGetAnEmptyAnswer();
    void oneRequestTakesAtMostItsLimit();
    void theDemoServesAnOperatorAtAnyHour_data();
    void theDemoServesAnOperatorAtAnyHour();
    void twoServersNeverSendOneCustomer_data();
    void twoServersNeverSendOneCustomer();
};

void TestCustomers::twentyFiveCustomersInThreePacketsAnEmptyPairTwentyInTwo()
{
    CampaignFixture f;
    f.group(1, QStringLiteral("A"), 25);
    f.group(3, QStringLiteral("B"), 4, 101);
    f.group(2, QStringLiteral("C"), 20, 201);
    QDir(f.dir.path()).mkdir(QStringLiteral("web"));
    const DialerRequest ask = groupRequest({{1, 30}});
    f.dispatch(ask.header, ask.record, ask.body);
    QCOMPARE(recordCounts(f.replies, ClientiGruppo), (QList<int>{10, 10, 5}));
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEnd));
    QCOMPARE(f.replies.sent.last().body, QByteArray(4, '\0'));
    QCOMPARE(f.replies.sent.size(), 4);
    for (const auto &reply : f.replies.sent) {
        QCOMPARE(reply.echo.id, 9);
        if (reply.code == ClientiGruppo) {
            QCOMPARE(reply.body.size(), 4 + 296 * readInt32Le(reply.body, 0));
            QVERIFY(!reply.logCode);
            for (int r = 0; r < readInt32Le(reply.body, 0); ++r)
                QCOMPARE(readInt32Le(reply.body, 4 + 296 * r + 12), r + 4);
        }
    }
    QCOMPARE(f.model.lastRequest[MainModel::LastSent]->value(), 25);
    QCOMPARE(f.model.lastRequest[MainModel::LastFound]->value(), 25);
    QCOMPARE(f.model.customers[MainModel::CustomersSent]->value(), 25);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 25);
    QCOMPARE(f.model.database[MainModel::ToSend]->value(), -25);
    QCOMPARE(f.sentCount(), 25);
    QCOMPARE(f.log.list3(0).count(), 1);
    QVERIFY(f.log.list3(0).line(0).endsWith(QStringLiteral("ID [9] | grp [1] | qnt_req [30] | qnt_out [25]")));
    const QStringList lines = f.list1();
    QCOMPARE(lines.filter(QStringLiteral("Invio cliente ")).size(), 25);
    QVERIFY(lines.contains(QStringLiteral("Cerco 30 cl x gr 1")));
    const QByteArray html = readFile(f.dir.filePath(QStringLiteral("web/richieste.htm")));
    QVERIFY(html.contains("</td><td>9</td><td>1</td><td>30</td><td>25</td></tr>\r\n"));
    const QByteArray phones = readFile(f.dir.filePath(phonelog::fileName(QDate::currentDate())));
    QCOMPARE(phones.count('\n'), 25);

    // A first pair with nobody, a second one served.
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{7, 5}, {3, 2}}));
    QVERIFY(f.list1().contains(QStringLiteral("Non trovati clienti x gr.7")));
    QCOMPARE(recordCounts(f.replies, ClientiGruppo), QList<int>{2});
    QCOMPARE(recordCounts(f.replies, QueryEnd), QList<int>{0});
    QCOMPARE(f.replies.sent.size(), 2);
    QCOMPARE(f.log.list3(0).count(), 3);
    QCOMPARE(f.sentCount(), 27);

    // Exactly two packets; the day's phone log, near its limit, is rotated on the
    // way: the full file kept whole as ".1", every line of this answer in one or the other.
    f.settings.limiteFileMB = 1;
    const QString log = f.dir.filePath(phonelog::fileName(f.now.date()));
    const QByteArray full((1 << 20) - 300, 'x');
    writeFile(f.dir.path(), phonelog::fileName(f.now.date()), full);
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{2, 20}}));
    QCOMPARE(recordCounts(f.replies, ClientiGruppo), (QList<int>{10, 10}));
    const QByteArray kept = readFile(log + QStringLiteral(".1"));
    const QByteArray fresh = readFile(log);
    QVERIFY(kept.startsWith(full));
    QVERIFY(fresh.contains(" ricominciato: superato il limite di 1048576 byte, il precedente in "
                           + phonelog::fileName(f.now.date()).toLatin1() + ".1\r\n"));
    QCOMPARE(kept.count('\n') + fresh.count('\n'), 20 + 1);
}

void TestCustomers::recordLayoutAndOrder()
{
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (5, 'A')"));
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin, [scadenza mandato],"
                         " [ragione sociale], [tipo mandato], Tot_Abbattuto_Quorin, UltimoEsitoQuorin)"
                         " VALUES (4711, 'A', '3331234567', NULL, '2999-01-01 00:00:00', '%1', 'LEGALE-LUNGO-OLTRE-VENTI', 2, 5)")
              .arg(QString(200, QLatin1Char('R'))));
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{5, 1}}));
    const QByteArray rec = f.replies.sent.first().body.mid(4);
    QCOMPARE(rec.size(), 296);
    QCOMPARE(readInt32Le(rec, 0), 5);
    QCOMPARE(readInt32Le(rec, 4), 0);
    QCOMPARE(readInt32Le(rec, 8), 2);
    QCOMPARE(readInt32Le(rec, 12), 4);
    QCOMPARE(rec.mid(16, 20), QByteArray("LEGALE-LUNGO-OLTRE-V"));
    QCOMPARE(rec.mid(36, 20), QByteArray("3331234567").leftJustified(20, '\0'));
    QCOMPARE(rec.mid(56, 30), QByteArray("4711").leftJustified(30, '\0'));
    QCOMPARE(rec.mid(86, 20), rec.mid(36, 20));
    QCOMPARE(rec.mid(106, 180), QByteArray(180, 'R')); // cut at 180
    QCOMPARE(rec.mid(286, 6), QByteArray(6, '\0'));
    QCOMPARE(readInt32Le(rec, 292), 5);

    // The same names and mandate: the recall (ascending) and the amount
    // (descending) of the default order decide, Null lowest as on SQL Server.
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'N')"));
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, Nome, Cognome, [scadenza mandato],"
                         " datarichiamo, [IMPORTO TOTALE]) VALUES"
                         " (1, 'N', '3331', 'Anna', 'Bianchi', '2999-01-01 00:00:00', '2026-06-15 10:00:00', 5),"
                         " (2, 'N', '3332', 'Anna', 'Bianchi', '2999-01-01 00:00:00', NULL, NULL),"
                         " (3, 'N', '3333', 'Anna', 'Bianchi', '2999-01-01 00:00:00', NULL, 7)"));
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 3}}));
    QCOMPARE(recordCounts(f.replies, ClientiGruppo), QList<int>{3});
    QByteArrayList ids;
    for (int r = 0; r < 3; ++r)
        ids << f.replies.sent.first().body.mid(4 + 296 * r + 56, 30).replace('\0', QByteArray());
    QCOMPARE(ids, (QByteArrayList{"3", "2", "1"}));
}

void TestCustomers::phoneChoices_data()
{
    QTest::addColumn<int>("last");
    QTest::addColumn<QVariant>("second");
    QTest::addColumn<QVariant>("contact");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("kind");
    QTest::newRow("fax, second phone with blanks") << 3 << QVariant(QStringLiteral(" 1234 ")) << QVariant() << QStringLiteral("1234") << QStringLiteral("t2");
    QTest::newRow("machine, contact too short") << 2 << QVariant() << QVariant(QStringLiteral("12")) << QStringLiteral("3330001") << QStringLiteral("t1");
    QTest::newRow("wrong number, contact") << 4 << QVariant(QStringLiteral("12")) << QVariant(QStringLiteral("0612345")) << QStringLiteral("0612345") << QStringLiteral("tr");
    QTest::newRow("short second, no contact") << 4 << QVariant(QStringLiteral("12")) << QVariant() << QStringLiteral("3330001") << QStringLiteral("t1");
    QTest::newRow("dropped call keeps the first") << 5 << QVariant(QStringLiteral("0699999")) << QVariant(QStringLiteral("0688888")) << QStringLiteral("3330001") << QStringLiteral("t1");
}

void TestCustomers::phoneChoices()
{
    QFETCH(int, last);
    QFETCH(QVariant, second);
    QFETCH(QVariant, contact);
    QFETCH(QString, phone);
    QFETCH(QString, kind);
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A')"));
    QSqlQuery q(f.campaign.db().handle());
    q.prepare(f.dialect(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, telefono2,"
                                       " [tel recapito], UltimoEsitoQuorin, [scadenza mandato])"
                                       " VALUES (1, 'A', '3330001', ?, ?, ?, '2999-01-01 00:00:00')")));
    q.addBindValue(second);
    q.addBindValue(contact);
    q.addBindValue(last);
    QVERIFY(q.exec());
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 1}}));
    QCOMPARE(f.replies.sent.first().body.mid(4 + 36, 20), fixedtext::completaStringa(phone, 20));
    const QString log = QString::fromLatin1(readFile(f.dir.filePath(phonelog::fileName(QDate::currentDate()))));
    QVERIFY2(log.endsWith(QStringLiteral("; 1 ; %1 ;%2;%3\r\n").arg(last).arg(kind, phone)), qPrintable(log));
}

void TestCustomers::operatorPacketsOfNine()
{
    CampaignFixture f;
    f.settings.intervallo = 24 * 60;
    const QString today = f.now.date().toString(QStringLiteral("yyyy-MM-dd"));
    for (int i = 1; i <= 20; ++i)
        f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, datarichiamo, [scadenza mandato])"
                             " VALUES (%1, 'OP7', '333', '%2 00:00:%3', '2999-01-01 00:00:00')").arg(i).arg(today).arg(10 + i));
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("OP7"), 25));
    QCOMPARE(recordCounts(f.replies, ClientiOperatore, 20), (QList<int>{9, 9, 2}));
    const auto &first = f.replies.sent.first();
    QCOMPARE(first.body.left(20), fixedtext::completaStringa(QStringLiteral("OP7"), 20));
    QCOMPARE(first.body.size(), 24 + 9 * 296);
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEndOp));
    QCOMPARE(f.model.customers[MainModel::CustomersSent]->value(), 20);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 0); // the queue counters do not move
    QVERIFY(f.list1().contains(QStringLiteral("pd chiede 25 x op OP7")));
    QVERIFY(f.log.list3(1).line(0).endsWith(QStringLiteral("ID [11] | op [OP7] | qnt_req [25] | qnt_out [20]")));
}

void TestCustomers::operatorWindowAndRecallFields()
{
    CampaignFixture f;
    const QDate today = f.now.date();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QString early = QDateTime(today, QTime(0, 0, 30)).toString(format);
    const QString later = f.now.addSecs(2 * 3600).toString(format);
    const QString yesterday = QDateTime(today.addDays(-1), QTime(18, 0)).toString(format);
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, datarichiamo, [scadenza mandato]) VALUES"
                         " (1, 'OP', '333', '%1', '2999-01-01'), (2, 'OP', '333', '%2', '2999-01-01'), (3, 'OP', '333', '%3', '2999-01-01')")
              .arg(early, later, yesterday));
    f.settings.intervallo = 0;
    // The window follows the service clock: just after midnight the recall at 00:00:30 is not yet due ...
    f.now = QDateTime(today, QTime(0, 0, 10));
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("OP"), 10, 8));
    QVERIFY(recordCounts(f.replies, ClientiOperatore, 20).isEmpty());
    // ... twenty seconds later it is, alone, with its "HHMM".
    f.now = QDateTime(today, QTime(0, 0, 50));
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("OP"), 10, 8));
    QCOMPARE(recordCounts(f.replies, ClientiOperatore, 20), QList<int>{1});
    const QByteArray rec = f.replies.sent[1].body.mid(24, 296);
    QCOMPARE(readInt32Le(rec, 0), 8);
    QCOMPARE(readInt32Le(rec, 4), 2);
    QCOMPARE(rec.mid(288, 4), QByteArray("0000"));

    // A template without a window reaches back to yesterday: kind 3.
    CampaignFixture g;
    g.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, datarichiamo, [scadenza mandato])"
                         " VALUES (3, 'OP', '333', '%1', '2999-01-01'), (4, 'OP', '333', NULL, '2999-01-01')").arg(yesterday));
    g.settings.templates[sqltemplates::ClientiOperatore] =
        QStringLiteral("[tabella pratiche].* from [tabella pratiche] where [codice esattore]='##' order by contatore");
    g.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("OP"), 10));
    const QByteArray body = g.replies.sent.first().body;
    QCOMPARE(readInt32Le(body, 24 + 4), 3);
    QCOMPARE(body.mid(24 + 288, 4), QByteArray("1800"));
    QCOMPARE(readInt32Le(body, 24 + 296 + 4), 3);             // Null recall
    QCOMPARE(body.mid(24 + 296 + 288, 4), QByteArray(4, '\0')); // four NULs
}

void TestCustomers::testQueriesCountWithoutSending()
{
    CampaignFixture f;
    f.group(1, QStringLiteral("A"), 7);
    QCOMPARE(f.campaign.customers().testGruppo(QStringLiteral("1")), 7);
    QCOMPARE(f.prompts.asked.last(), QStringLiteral("message:Records 7"));
    f.settings.intervallo = 24 * 60;
    QCOMPARE(f.campaign.customers().testOperatore(QStringLiteral("A")), 0); // no recall times
    QVERIFY(f.replies.sent.isEmpty());
    QCOMPARE(f.sentCount(), 0);
    f.settings.templates[sqltemplates::ClientiGruppo] =
        QStringLiteral("[tabella pratiche].* from [tabella pratiche] where contatore < ## order by contatore desc");
    QCOMPARE(f.campaign.customers().testGruppo(QStringLiteral("4")), 3);
}

void TestCustomers::operatorCodesFromTheWireStayInert()
{
    CampaignFixture f;
    f.settings.intervallo = 24 * 60;
    const QString due = QDateTime(f.now.date(), QTime(0, 0, 30)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, datarichiamo, [scadenza mandato])"
                         " VALUES (1, 'X''Y', '333', '%1', '2999-01-01'), (2, 'Z', '333', '%1', '2999-01-01')").arg(due));
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("X'Y"), 10));
    QCOMPARE(recordCounts(f.replies, ClientiOperatore, 20), QList<int>{1});
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("' OR ''='"), 10));
    QVERIFY(recordCounts(f.replies, ClientiOperatore, 20).isEmpty());
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEndOp));

    // An installation's template that leaves the placeholder without quotes.
    for (int id = 11; id <= 14; ++id)
        f.customer(id, id <= 12 ? QStringLiteral("140") : QStringLiteral("141"), QStringLiteral("333"), 0, 30);
    f.settings.templates[sqltemplates::ClientiOperatore] =
        QStringLiteral("[tabella pratiche].* from [tabella pratiche] where [codice esattore]=## and FlagQuorin=0 order by contatore");
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("0 OR 1=1"), 10));
    QVERIFY(recordCounts(f.replies, ClientiOperatore, 20).isEmpty());
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEndOp)); // an empty answer
    QCOMPARE(f.sentCount(), 1);
    QCOMPARE(f.list1().filter(QStringLiteral("RICHIESTA RIFIUTATA: ")).size(), 1);
    // A plain code still works with the same template.
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("141"), 10));
    QCOMPARE(recordCounts(f.replies, ClientiOperatore, 20), QList<int>{2});
    QCOMPARE(f.sentCount(), 3);
    // The test entry refuses the same way, without touching the database.
    QCOMPARE(f.campaign.customers().testOperatore(QStringLiteral("1 OR 1=1")), -1);
}

void TestCustomers::requestsNotServedGetAnEmptyAnswer()
{
    CampaignFixture f;
    f.group(1, QStringLiteral("A"), 3);
    // Two pairs announced, one present: nothing is read as zeros or served.
    const DialerRequest cut = groupRequest({{1, 3}, {1, 3}});
    DialerRequest shortened = cut;
    shortened.body.chop(8);
    QVERIFY(!f.campaign.customers().rispostaClientiXGruppo(shortened).ok());
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().code, qint32(QueryEnd));
    QCOMPARE(f.sentCount(), 0);
    DialerRequest op = operatorRequest(QStringLiteral("A"), 5);
    op.body.chop(1);
    QVERIFY(!f.campaign.customers().rispostaClientiXOperatore(op).ok());
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEndOp));
    QCOMPARE(f.sentCount(), 0);

    // Marking a customer sent fails: a trigger on SQLite, a constraint elsewhere.
    f.sql(f.campaign.db().isSqlite() ? QStringLiteral("CREATE TRIGGER no_marks BEFORE UPDATE OF FlagQuorin ON [tabella pratiche]"
                                                      " BEGIN SELECT RAISE(ABORT, 'locked'); END")
                                     : QStringLiteral("ALTER TABLE [tabella pratiche] ADD CONSTRAINT no_marks CHECK (FlagQuorin <> 1)"));
    QDir(f.dir.path()).mkdir(QStringLiteral("web"));
    f.replies.sent.clear();
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 3}}));
    QCOMPARE(f.replies.sent.size(), 1); // QueryEnd only: the dialer is not left waiting
    QCOMPARE(f.replies.sent.first().code, qint32(QueryEnd));
    QCOMPARE(f.model.customers[MainModel::CustomersSent]->value(), 0);
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 0);
    QVERIFY(f.list1().filter(QStringLiteral("ERRORE DB: ")).size() == 1);
    QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("web/richieste.htm"))));
}

void TestCustomers::oneRequestTakesAtMostItsLimit()
{
    CampaignFixture f;
    f.group(1, QStringLiteral("A"), 30);
    f.group(2, QStringLiteral("B"), 30, 101);
    f.settings.limiteClientiRichiesta = 15;
    // A dialer asking for two billion customers gets what the limit allows, over all pairs.
    f.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 10}, {2, 2000000000}}));
    QCOMPARE(recordCounts(f.replies, ClientiGruppo), (QList<int>{10, 5}));
    QCOMPARE(f.replies.sent.last().code, qint32(QueryEnd));
    QCOMPARE(f.sentCount(), 15);
    QVERIFY(f.list1().contains(
        QStringLiteral("RICHIESTA LIMITATA: 2000000000 clienti chiesti, 5 serviti (LimiteClientiRichiesta 15)")));
    f.replies.sent.clear();
    f.settings.intervallo = 24 * 60;
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("A"), 2000000000));
    QCOMPARE(f.list1().filter(QStringLiteral("RICHIESTA LIMITATA: ")).size(), 2);
}

void TestCustomers::theDemoServesAnOperatorAtAnyHour_data()
{
    QTest::addColumn<QTime>("at");
    for (const QTime &t : {QTime(0, 0, 1), QTime(0, 10), QTime(3, 0), QTime(7, 59), QTime(12, 0), QTime(23, 59, 59)})
        QTest::newRow(qPrintable(t.toString(QStringLiteral("HH:mm:ss")))) << t;
}

void TestCustomers::theDemoServesAnOperatorAtAnyHour()
{
    QFETCH(QTime, at);
    // The demo database as --create-demo-db makes it, and its settings (intervallo 0).
    const QDate day(2026, 6, 15);
    demodatabase::Options demo;
    demo.today = day;
    CampaignFixture f(demo);
    f.now = QDateTime(day, at);
    f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("140"), 9));
    QVERIFY2(!recordCounts(f.replies, ClientiOperatore, 20).isEmpty(), qPrintable(f.list1().join(QLatin1Char('\n'))));
    QVERIFY(f.list1().filter(QStringLiteral("Non trovati clienti x Op.140")).isEmpty());
}

void TestCustomers::twoServersNeverSendOneCustomer_data()
{
    QTest::addColumn<QString>("templ");
    QTest::newRow("built-in query") << QString();
    QTest::newRow("installation's query")
        << QStringLiteral(" [tabella pratiche].* FROM [tabella pratiche] INNER JOIN GRUPPI_ESATTORE"
                          " ON [tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE"
                          " WHERE GRUPPI_ESATTORE.GRUPPO = ## AND (FlagQuorin=0 or FlagQuorin is null) order by contatore");
}

void TestCustomers::twoServersNeverSendOneCustomer()
{
    QFETCH(QString, templ);
    CampaignFixture a;
    CampaignFixture b(CampaignFixture::SameDatabase{}, a);
    a.settings.templates[sqltemplates::ClientiGruppo] = templ;
    b.settings.templates[sqltemplates::ClientiGruppo] = templ;
    a.group(1, QStringLiteral("A"), 120);
    // Server B answers the same request while A's answer is under way: A
    // has read its rows (and, where the database locks them, holds them).
    bool interleaved = false;
    a.onClock = [&] {
        if (!std::exchange(interleaved, true))
            b.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 50}}));
    };
    a.campaign.customers().rispostaClientiXGruppo(groupRequest({{1, 50}}));
    QVERIFY(interleaved);
    const QList<qint64> toA = sentIds(a.replies), toB = sentIds(b.replies);
    QCOMPARE(toA.size(), 50); // topped up from the next rows
    QCOMPARE(toB.size(), 50);
    const QSet<qint64> both = QSet<qint64>(toA.begin(), toA.end()).intersect(QSet<qint64>(toB.begin(), toB.end()));
    QVERIFY2(both.isEmpty(), qPrintable(QString::number(both.size()) + QStringLiteral(" customers sent by both")));
    QCOMPARE(a.sentCount(), 100);
    // Where the rows were read without a lock, B's marks came first and A
    // passed over every row it had read; where they were locked, B never saw them.
    const bool locked = templ.isEmpty() && a.campaign.db().locksRows();
    QCOMPARE(a.model.metrics.claimsLost(), quint64(locked ? 0 : 50));
    QCOMPARE(a.list1().contains(QStringLiteral("GIA' INVIATI DA UN ALTRO SERVER 50 CL.: sostituiti dai successivi")),
             !locked);
    QCOMPARE(a.model.database[MainModel::InQueue]->value(), 50);
}

QTEST_GUILESS_MAIN(TestCustomers)
#include "tst_customers.moc"
