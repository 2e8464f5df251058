// Why a group or an operator gets no customers: known counts on a seeded
// database, and the line logged when the dialer gets an empty answer.
#include "CampaignFixture.h"
#include "campaign/DiagnosisWorker.h"
#include "campaign/EmptyAnswerDiagnosis.h"

using namespace packet;

namespace {

struct Seeded : CampaignFixture {
    Seeded()
    {
        sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE (GRUPPO, CODESATTORE) VALUES (5, 'A'), (5, 'B'), (6, 'C')"));
        const QDateTime yesterday = now.addDays(-1), tomorrow = now.addDays(1), later = now.addDays(30);
        // id, collector, phone, flag, recall, mandate
        add(1, "A", QStringLiteral("333"), {}, {}, later);        // sendable
        add(2, "A", QStringLiteral(""), {}, {}, later);           // no phone
        add(3, "A", {}, 1, {}, later);            // no phone, and in the queue
        add(4, "B", QStringLiteral("334"), 1, {}, later);         // in the queue
        add(5, "B", QStringLiteral("335"), 2, {}, later);         // too many negative outcomes
        add(6, "B", QStringLiteral("336"), 3, {}, later);         // with an agent
        add(7, "B", QStringLiteral("337"), 0, tomorrow, later);   // sendable; recall later (not a condition here)
        add(8, "B", QStringLiteral("338"), 0, {}, yesterday);     // sendable; mandate expired (not a condition here)
        add(9, "C", QStringLiteral("339"), 1, {}, later);         // group 6: all in the queue
        // Collector D is in no group: only operator requests reach his customers.
        add(10, "D", QStringLiteral("340"), {}, now.addSecs(-3600), later); // inside today's window
        add(11, "D", QStringLiteral("341"), {}, yesterday, later);          // before the window
        add(12, "D", QStringLiteral("342"), 0, {}, later);                   // no recall at all
        add(13, "D", QStringLiteral("343"), 0, now.addSecs(3600), later);    // after the window (intervallo 0)
    }
    void add(int id, const char *collector, const QVariant &phone, const QVariant &flag, const QDateTime &recall,
             const QDateTime &mandate)
    {
        QSqlQuery q(campaign.db().handle());
        q.prepare(dialect(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin,"
                                         " datarichiamo, [scadenza mandato]) VALUES (?, ?, ?, ?, ?, ?)")));
        q.addBindValue(id);
        q.addBindValue(QString::fromLatin1(collector));
        q.addBindValue(phone.isValid() ? phone : QVariant(QMetaType(QMetaType::QString)));
        q.addBindValue(flag.isValid() ? flag : QVariant(QMetaType(QMetaType::Int)));
        q.addBindValue(recall.isValid() ? campaign.db().dateTimeValue(recall) : QVariant(QMetaType(QMetaType::QString)));
        q.addBindValue(campaign.db().dateTimeValue(mandate));
        if (!q.exec())
            qFatal("%s", qPrintable(q.lastError().text()));
    }
    QStringList diagnosisLines()
    {
        QStringList out;
        for (const QString &line : log.list1().lines())
            if (line.contains(QStringLiteral("DIAGNOSI ")))
                out << line.mid(line.indexOf(QStringLiteral("DIAGNOSI ")));
        return out;
    }
};

} // namespace

class TestDiagnosis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groupsAndOperatorsByCondition();
    void anEmptyAnswerExplainsItselfOnceAMinute();
    void theWorkerSharesKeepsAndBounds();
};

void TestDiagnosis::groupsAndOperatorsByCondition()
{
    Seeded f;
    const EmptyAnswerDiagnosis d = EmptyAnswerDiagnosis::forGroup(f.campaign.db(), 5, f.now);
    QVERIFY2(d.ok(), qPrintable(d.error));
    QCOMPARE(d.summary(), QStringLiteral("DIAGNOSI gr. 5: 8 clienti, 3 inviabili; esclusi: senza telefono 2, gia' inviati 2, "
                                         "limite esiti negativi 1, all'operatore 1; inoltre: fuori finestra richiamo 1, "
                                         "mandato scaduto 1; esattori nel gruppo 2"));
    // What is sendable is what the customers query finds.
    QCOMPARE(f.campaign.customers().testGruppo(QStringLiteral("5")), d.available);

    // A group without collectors says so; one that does not exist is the same.
    const EmptyAnswerDiagnosis none = EmptyAnswerDiagnosis::forGroup(f.campaign.db(), 9, f.now);
    QVERIFY(none.ok());
    QCOMPARE(none.collectors, 0);
    QCOMPARE(none.customers, 0);
    QCOMPARE(none.available, 0);
    QVERIFY(none.lines().last().contains(QStringLiteral("non comprende alcun esattore")));

    // The page's and the box's lines: one per condition, the numbers at one column.
    const QStringList lines = d.lines();
    QCOMPARE(lines.first(), QStringLiteral("Gruppo 5"));
    QCOMPARE(lines.size(), 11);
    QCOMPARE(lines[8], QStringLiteral("non esclusi dalla query predefinita:"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (i != 8)
            QCOMPARE(lines[i].size() - lines[i].trimmed().section(QLatin1Char(' '), -1).size(), 34);
    }
    QVERIFY(lines.contains(QStringLiteral("inviabili").leftJustified(34, QLatin1Char(' ')) + QStringLiteral("3")));

    // An operator: his window, and the groups of his collector.
    EmptyAnswerDiagnosis op = EmptyAnswerDiagnosis::forOperator(f.campaign.db(), QStringLiteral(" D "), f.now, 0);
    QVERIFY2(op.ok(), qPrintable(op.error));
    QCOMPARE(op.who, QStringLiteral("D"));
    QCOMPARE(op.collectors, 0);
    QCOMPARE(op.customers, 4);
    QCOMPARE(op.outsideRecall, 3);
    QCOMPARE(op.available, 1);
    QCOMPARE(f.campaign.customers().testOperatore(QStringLiteral("D")), op.available);
    QVERIFY(op.lines().last().contains(QStringLiteral("non fa parte di alcun gruppo")));
    // A wider window takes in the recall an hour from now.
    QCOMPARE(EmptyAnswerDiagnosis::forOperator(f.campaign.db(), QStringLiteral("D"), f.now, 120).available, 2);
    // A code full of quotes is a value, never SQL.
    op = EmptyAnswerDiagnosis::forOperator(f.campaign.db(), QStringLiteral("D' OR '1'='1"), f.now, 0);
    QVERIFY2(op.ok(), qPrintable(op.error));
    QCOMPARE(op.customers, 0);
    // Collector B is in group 5.
    QCOMPARE(EmptyAnswerDiagnosis::forOperator(f.campaign.db(), QStringLiteral("B"), f.now, 0).collectors, 1);

    // A database that cannot answer.
    f.sql(QStringLiteral("DROP TABLE GRUPPI_ESATTORE"));
    const EmptyAnswerDiagnosis failed = EmptyAnswerDiagnosis::forGroup(f.campaign.db(), 5, f.now);
    QVERIFY(!failed.ok());
    QVERIFY(failed.summary().startsWith(QStringLiteral("DIAGNOSI gr. 5: ERRORE DB ")));
    QCOMPARE(failed.lines().size(), 2);
}

void TestDiagnosis::anEmptyAnswerExplainsItselfOnceAMinute()
{
    Seeded f;
    const quint64 before = f.model.metrics.customersDelivered();
    const auto groupLines = [&f] { return f.diagnosisLines().filter(QStringLiteral("DIAGNOSI gr.")); };
    // Group 6 has a customer, in the queue: the empty answer says why, once its QueryEnd is on its way.
    QVERIFY(f.campaign.customers().rispostaClientiXGruppo(groupRequest({{6, 10}})).ok());
    QCOMPARE(f.replies.sent.last().code, QueryEnd);
    QVERIFY(f.diagnosisLines().isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return groupLines().size() == 1; }, 20000));
    QCOMPARE(groupLines(),
             QStringList{QStringLiteral("DIAGNOSI gr. 6: 1 clienti, 0 inviabili; esclusi: senza telefono 0, gia' inviati 1, "
                                        "limite esiti negativi 0, all'operatore 0; inoltre: fuori finestra richiamo 0, "
                                        "mandato scaduto 0; esattori nel gruppo 1")});
    // The dialer asks again at once: not counted again; nor when it asks for nobody.
    QVERIFY(f.campaign.customers().rispostaClientiXGruppo(groupRequest({{6, 10}}, 10)).ok());
    f.now = f.now.addSecs(61);
    QVERIFY(f.campaign.customers().rispostaClientiXGruppo(groupRequest({{6, 0}}, 11)).ok());
    // A minute later it is (and the ones before, had they been, would show first).
    QVERIFY(f.campaign.customers().rispostaClientiXGruppo(groupRequest({{6, 10}}, 12)).ok());
    QVERIFY(QTest::qWaitFor([&] { return groupLines().size() >= 2; }, 20000));
    QCOMPARE(groupLines().size(), 2);
    // Each empty answer counted; those explained by customers, once each.
    QCOMPARE(f.model.metrics.emptyAnswers(false, QStringLiteral("6")), 3u);
    QVERIFY(f.model.metrics.render().contains("quorin_empty_answers_with_customers_total{by=\"group\",who=\"6\"} 2\n"));
    // A group with nobody at all has nothing to explain.
    QVERIFY(f.campaign.customers().rispostaClientiXGruppo(groupRequest({{9, 10}}, 13)).ok());
    // An operator's empty answer too, once his one customer inside the window has been sent.
    QVERIFY(f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("D"), 10)).ok());
    QCOMPARE(f.model.metrics.customersDelivered(), before + 1);
    QVERIFY(f.campaign.customers().rispostaClientiXOperatore(operatorRequest(QStringLiteral("D"), 10)).ok());
    QVERIFY(QTest::qWaitFor([&] { return f.diagnosisLines().filter(QStringLiteral("DIAGNOSI op.")).size() == 1; }, 20000));
    QCOMPARE(groupLines().size(), 2); // group 9's came before and said nothing
    const QString op = f.diagnosisLines().last();
    QVERIFY2(op.startsWith(QStringLiteral("DIAGNOSI op. D: 4 clienti, 0 inviabili; ")), qPrintable(op));
    QVERIFY(op.contains(QStringLiteral("gia' inviati 1")));
    QVERIFY(op.contains(QStringLiteral(", fuori finestra richiamo 3; inoltre: mandato scaduto 0;")));
    QVERIFY(op.endsWith(QStringLiteral("gruppi dell'esattore 0")));

    // From the menu: the lines, in List2 too, as counted on the program's own connection.
    QStringList shown;
    QVERIFY(f.campaign.diagnose(false, QStringLiteral(" 5"), [&shown](const QStringList &lines) { shown = lines; }));
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QCOMPARE(shown, EmptyAnswerDiagnosis::forGroup(f.campaign.db(), 5, f.now).lines());
    QVERIFY(f.list2Messages().contains(QStringLiteral("DIAGNOSI Gruppo 5")));
    QVERIFY(f.campaign.diagnose(false, QStringLiteral("cinque"), [&shown](const QStringList &lines) { shown = lines; }));
    QCOMPARE(shown, QStringList{QStringLiteral("gruppo non valido: cinque")});
}

void TestDiagnosis::theWorkerSharesKeepsAndBounds()
{
    Seeded f;
    DiagnosisWorker &worker = f.campaign.diagnoses();
    worker.setKeepMs(600000); // "a few seconds" must not run out on a slow machine
    ThreadGate gate;
    worker.setBeforeComputing([&gate] { gate.hold(); });
    QList<QStringList> answers;
    const auto keep = [&answers](const QStringList &lines) { answers << lines; };
    QVERIFY(f.campaign.diagnose(false, QStringLiteral("5"), keep));
    QVERIFY(gate.waitArrived()); // counting, held there
    // Asked again meanwhile: one computation for both; another subject waits its turn.
    QVERIFY(f.campaign.diagnose(false, QStringLiteral("5"), keep));
    QVERIFY(f.campaign.diagnose(true, QStringLiteral("D"), keep));
    QCOMPARE(worker.waiting(), 3);
    // The program's own connection is free all along.
    QCOMPARE(f.campaign.customers().testGruppo(QStringLiteral("5")), 3);
    // No more than kMaxWaiting callers at once.
    for (int group = 100; worker.waiting() < DiagnosisWorker::kMaxWaiting; ++group)
        QVERIFY(f.campaign.diagnose(false, QString::number(group), [](const QStringList &) {}));
    QVERIFY(!f.campaign.diagnose(false, QStringLiteral("99"), keep));
    QVERIFY(answers.isEmpty());
    gate.open();
    QTRY_COMPARE_WITH_TIMEOUT(worker.waiting(), 0, 20000);
    QVERIFY(!gate.timedOut);
    QCOMPARE(answers.size(), 3);
    QCOMPARE(answers[0], EmptyAnswerDiagnosis::forGroup(f.campaign.db(), 5, f.now).lines());
    QCOMPARE(answers[1], answers[0]);
    QCOMPARE(answers[2], EmptyAnswerDiagnosis::forOperator(f.campaign.db(), QStringLiteral("D"), f.now, 0).lines());
    const int computed = worker.computations();
    QCOMPARE(computed, DiagnosisWorker::kMaxWaiting - 1);
    // Kept: asked again, answered without counting again (and never inside the call).
    QVERIFY(f.campaign.diagnose(false, QStringLiteral("5"), keep));
    QCOMPARE(answers.size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 4, 20000);
    QCOMPARE(worker.computations(), computed);
    QCOMPARE(answers[3], answers[0]);
    // A database the worker cannot open answers with its error, not with silence.
    ConnectionParams gone;
    gone.kind = ConnectionParams::Kind::Sqlite;
    gone.database = f.dir.filePath(QStringLiteral("missing.sqlite"));
    worker.setConnection(gone);
    QVERIFY(f.campaign.diagnose(false, QStringLiteral("5"), keep));
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 5, 20000);
    QCOMPARE(answers[4].size(), 2);
    QVERIFY(answers[4][1].startsWith(QStringLiteral("errore del database: database file not found")));
}

QTEST_GUILESS_MAIN(TestDiagnosis)
#include "tst_diagnosis.moc"
