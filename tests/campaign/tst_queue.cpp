// Queue releases and refused customers.
#include "CampaignFixture.h"

#include <QSqlField>
#include "campaign/CustomerRow.h"

using namespace packet;

namespace {
QByteArray customerRecord(int group, int id, const QString &phone, const QString &name)
{
    QSqlRecord row;
    const auto add = [&](const char *name, const QVariant &v) {
        QSqlField field(QString::fromLatin1(name), v.metaType());
        field.setValue(v);
        row.append(field);
    };
    add("contatore", id);
    add("ragione sociale", name);
    add("tipo mandato", QStringLiteral("ORD"));
    return dialerbody::encode(customerrow::build(row, group, 1, {phone, QStringLiteral("t1")}, customerrow::Reply::Group, QDateTime()));
}
} // namespace

class TestQueue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void releasesSkipExpiredMandatesAndTomorrow();
    void discards();
    void releaseLeavesOtherServersQueues_data();
    void releaseLeavesOtherServersQueues();
    void sentAndUnansweredComeBack();
};

void TestQueue::releasesSkipExpiredMandatesAndTomorrow()
{
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A')"));
    for (int i = 1; i <= 8; ++i) {
        f.customer(i, i <= 7 ? QStringLiteral("A") : QStringLiteral("B"), QStringLiteral("333"), 1, i <= 2 ? -3 : 30);
        f.campaign.ledger().add(i, f.now); // as this server sent them; 8 is of another group
    }
    f.model.database[MainModel::InQueue]->set(8);
    f.campaign.queue().liberaCodaGruppo({{}, {3, QStringLiteral("PD")}, dialerbody::encode(dialerbody::GroupRelease{1})});
    QVERIFY(f.list1().contains(QStringLiteral("LIBERATI 5 CL. grp 1")));
    QCOMPARE(f.model.database[MainModel::InQueue]->value(), 3);
    QCOMPARE(f.model.database[MainModel::ToSend]->value(), 5);
    QCOMPARE(f.sentCount(), 3);
    QCOMPARE(f.replies.sent.size(), 1);
    QCOMPARE(f.replies.sent.first().code, qint32(FreeQueueReply));
    QCOMPARE(f.replies.sent.first().text, QStringLiteral("Invio FreeQueue"));
    QVERIFY(f.replies.sent.first().body.isEmpty());

    // An operator's release keeps tomorrow's recalls.
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QDate today = f.now.date();
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin, datarichiamo, [scadenza mandato]) VALUES"
                         " (11, 'OP', '3', 1, '%1', '2999-01-01'), (12, 'OP', '3', 1, '%2', '2999-01-01'), (13, 'XX', '3', 1, '%1', '2999-01-01')")
              .arg(QDateTime(today, QTime(23, 0)).toString(format), QDateTime(today.addDays(1), QTime(9, 0)).toString(format)));
    for (int id : {11, 12, 13})
        f.campaign.ledger().add(id, f.now);
    const auto release = [&](const QString &op, qint32 id) {
        f.campaign.queue().liberaCodaOperatore({{}, {id, {}}, dialerbody::encode(dialerbody::OperatorRelease{0, op})});
    };
    release(QStringLiteral("OP"), 4);
    QVERIFY(f.list1().contains(QStringLiteral("LIBERATI 1 CL x OP OP")));
    QCOMPARE(f.flag(11), 0);
    QCOMPARE(f.flag(12), 1);
    QCOMPARE(f.flag(13), 1);
    QCOMPARE(f.replies.sent.last().code, qint32(FreeQueueOpReply));

    // An operator code holding placeholders or arg() markers stays text.
    release(QStringLiteral("A%1#ora1#'"), 5);
    QVERIFY(f.list1().contains(QStringLiteral("LIBERATI 0 CL x OP A%1#ora1#'")));
    QCOMPARE(f.replies.sent.size(), 3);

    // An installation's template that leaves the placeholder without quotes takes only safe codes.
    f.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin, datarichiamo, [scadenza mandato]) VALUES"
                         " (14, '140', '3', 1, '%1', '2999-01-01'), (15, '141', '3', 1, '%1', '2999-01-01')")
              .arg(QDateTime(today, QTime(9, 0)).toString(format)));
    f.settings.templates[sqltemplates::LiberaOperatore] = QStringLiteral(
        "UPDATE [tabella pratiche] set flagquorin=0 WHERE [codice esattore]=## AND FlagQuorin=1");
    release(QStringLiteral("1 OR 1=1"), 6);
    QCOMPARE(f.sentCount(), 7);
    QCOMPARE(f.list1().filter(QStringLiteral("RICHIESTA RIFIUTATA: ")).size(), 1);
    QVERIFY(f.list1().contains(QStringLiteral("LIBERATI 0 CL x OP 1 OR 1=1")));
    QCOMPARE(f.replies.sent.last().code, qint32(FreeQueueOpReply)); // an empty answer
    release(QStringLiteral("141"), 7);
    QCOMPARE(f.flag(15), 0);
    QCOMPARE(f.flag(14), 1);
}

void TestQueue::discards()
{
    CampaignFixture f;
    f.customer(10, QStringLiteral("A"), QStringLiteral("333"), 1, 30, 4);
    f.customer(11, QStringLiteral("A"), QStringLiteral("333"), 1, 30);
    f.customer(12, QStringLiteral("A"), QStringLiteral("333"), 2, 30); // discarded meanwhile: stays so
    f.model.debugLevel.setText(QStringLiteral("2"));
    QByteArray body = fixedtext::completaStringa(QStringLiteral("OPX"), 20);
    appendInt32Le(body, 2);
    body += customerRecord(4, 10, QStringLiteral("333"), QStringLiteral("ROSSI")) + customerRecord(4, 11, QStringLiteral("444"), QStringLiteral("BIANCHI"));
    f.dispatch({int(body.size()) + 40, 0, 0, DiscardQueryOp, int(body.size()) + 24}, {21, QStringLiteral("PDTAG")}, body);
    const QStringList list2 = f.log.list2().lines();
    QCOMPARE(list2.filter(QStringLiteral("OP=OPX")).size(), 2);
    QCOMPARE(list2.filter(QStringLiteral("T.Pro=4")).size(), 2);
    QCOMPARE(list2.filter(QStringLiteral("Respinti 2 clienti ")).size(), 1);
    QCOMPARE(list2.filter(QRegularExpression(QStringLiteral("\\(id_cl=10 {28}$"))).size(), 1); // full width, NULs as blanks
    const QStringList list1 = f.list1();
    QCOMPARE(list1.filter(QStringLiteral("riattivato")).size(), 2);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin=0")), 2);
    QCOMPARE(f.number(QStringLiteral("select UltimoEsitoQuorin from [tabella pratiche] where contatore=10")), 4);
    QCOMPARE(f.model.customers[MainModel::CustomersRefused]->value(), 2);
    QVERIFY(f.replies.sent.isEmpty());
    const QByteArray debug = readFile(f.debug.path());
    QVERIFY(debug.contains(" ID_RICH21 PDTAG               \r\n"));
    QVERIFY(debug.contains("\r\n00000000| 4F 50 58 00 "));
    QVERIFY(debug.contains("\r\n00000010| ")); // offsets in hexadecimal
    QCOMPARE(debug.count("\r\n") - 1, int((body.size() + 15) / 16));
    // A customer discarded since it was sent stays discarded.
    QByteArray late = fixedtext::completaStringa(QStringLiteral("OPX"), 20);
    appendInt32Le(late, 1);
    late += customerRecord(4, 12, QStringLiteral("555"), QStringLiteral("VERDI"));
    f.dispatch({int(late.size()) + 40, 0, 0, DiscardQueryOp, int(late.size()) + 24}, {22, QStringLiteral("PDTAG")}, late);
    QCOMPARE(f.flag(12), 2);
    QCOMPARE(f.list1().filter(QStringLiteral("CL 12 non riattivato: non risulta inviato")).size(), 1);

    // A plain discard at debug level 1.
    f.model.debugLevel.setText(QStringLiteral("1"));
    const QStringList respinti = f.log.list2().lines().filter(QStringLiteral("Respinti"));
    const auto refused = f.model.customers[MainModel::CustomersRefused]->value();
    f.customer(5, QStringLiteral("A"), QStringLiteral("333"), 1, 30);
    QByteArray cut;
    appendInt32Le(cut, 3);
    cut += customerRecord(1, 5, QStringLiteral("1"), QStringLiteral("N"));
    // Three records announced, one present: the discard is refused whole.
    QVERIFY(!f.campaign.queue().riceviScartati(false, {{0, 0, 0, DiscardQuery, 0}, {2, {}}, cut}).ok());
    QCOMPARE(f.flag(5), 1);
    QCOMPARE(f.log.list2().lines().filter(QStringLiteral("Respinti")), respinti);
    QCOMPARE(f.model.customers[MainModel::CustomersRefused]->value(), refused);

    // At debug level 1, four lines a record; a group's discard, as the link hands it over.
    QByteArray plain;
    appendInt32Le(plain, 1);
    plain += customerRecord(3, 77, QStringLiteral("555"), QStringLiteral("VERDI"));
    f.dispatch({int(plain.size()) + 40, 0, 0, DiscardQuery, int(plain.size()) + 24}, {1, {}}, plain);
    QStringList lines;
    for (const QString &line : f.log.list2().lines())
        if (line.contains(QStringLiteral(" (RX) 1 (")))
            lines << line.section(QStringLiteral(" (RX) 1 ("), -1);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QStringLiteral("IDGR=3"));
    QVERIFY(lines[2].startsWith(QStringLiteral("id_cl=77")));
    QVERIFY(lines[3].startsWith(QStringLiteral("TEL=555")));
    QVERIFY(lines[4].startsWith(QStringLiteral("info cl=VERDI")));
    QVERIFY(f.list1().last().endsWith(QStringLiteral("CL 77 non trovato in archivio")));
}

void TestQueue::releaseLeavesOtherServersQueues_data()
{
    QTest::addColumn<bool>("byOperator");
    QTest::newRow("group") << false;
    QTest::newRow("operator") << true;
}

void TestQueue::releaseLeavesOtherServersQueues()
{
    QFETCH(bool, byOperator);
    CampaignFixture a;
    CampaignFixture b(CampaignFixture::SameDatabase{}, a);
    a.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A')"));
    const QString recall = QDateTime(a.now.date(), QTime(9, 0)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (int id = 1; id <= 11; ++id)
        a.sql(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin, datarichiamo,"
                             " [scadenza mandato]) VALUES (%1, 'A', '333', %2, '%3', '2999-01-01')")
                  .arg(id)
                  .arg(id == 11 ? 1 : 0) // 11: sent before this run
                  .arg(recall));
    const DialerRequest request = groupRequest({{1, 5}}, 1);
    a.campaign.customers().rispostaClientiXGruppo(request); // five for A's dialer
    b.campaign.customers().rispostaClientiXGruppo(request); // five for B's
    QCOMPARE(a.sentCount(), 11);
    const auto release = [&] {
        if (byOperator)
            a.campaign.queue().liberaCodaOperatore({{}, {2, {}}, dialerbody::encode(dialerbody::OperatorRelease{0, QStringLiteral("A")})});
        else
            a.campaign.queue().liberaCodaGruppo({{}, {2, {}}, dialerbody::encode(dialerbody::GroupRelease{1})});
    };
    // A's dialer drops its queue: A's five come back, B's stay in B's dialer's queue.
    release();
    const QString who = byOperator ? QStringLiteral(" CL x OP A") : QStringLiteral(" CL. grp 1");
    QVERIFY(a.list1().contains(QStringLiteral("LIBERATI 5") + who));
    QVERIFY(a.list1().contains(QStringLiteral("NON LIBERATI 6") + who
                                           + QStringLiteral(": non inviati da questo server in questa sessione")));
    QCOMPARE(a.sentCount(), 6);
    QCOMPARE(a.model.database[MainModel::InQueue]->value(), 0);
    release(); // nothing of A's is left
    QVERIFY(a.list1().contains(QStringLiteral("LIBERATI 0") + who));
    QCOMPARE(a.sentCount(), 6);
}

void TestQueue::sentAndUnansweredComeBack()
{
    CampaignFixture a;
    CampaignFixture b(CampaignFixture::SameDatabase{}, a);
    a.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A')"));
    a.settings.orderBy = b.settings.orderBy = QStringLiteral("contatore");
    for (int id = 1; id <= 4; ++id)
        a.customer(id, QStringLiteral("A"), QStringLiteral("333"), 0, 30);
    a.customer(9, QStringLiteral("A"), QStringLiteral("333"), 1, 30); // sent before the setting was on
    const auto tableThere = [&] {
        return a.campaign.db().handle().tables().contains(SentTimeout::kTable, Qt::CaseInsensitive);
    };
    // Off by default: the database is not touched.
    a.campaign.sentTimeout().tick();
    QVERIFY(!tableThere());
    a.settings.oreRilascioInviati = 2;
    a.campaign.sentTimeout().tick();
    QVERIFY(tableThere());
    b.campaign.sentTimeout().tick(); // B finds it and stamps its own marks too
    QVERIFY(b.campaign.sentTimeout().tablePresent());
    const DialerRequest ask = groupRequest({{1, 3}}, 1);
    a.campaign.customers().rispostaClientiXGruppo(ask); // 1, 2, 3 at 10:00
    OutcomeRecord o;
    o.code = 5;
    o.customerId = QStringLiteral("2");
    a.campaign.outcomes().registraEsito({{}, {2, QStringLiteral("PD")}, o.encode()});

    a.now = a.now.addSecs(2 * 3600 - 60);
    a.campaign.sentTimeout().tick();
    QCOMPARE(a.model.metrics.customersReturned(), quint64(0));
    // Stamps of customers long answered, more than a minute's batch and
    // older than any overdue one: they never hold the overdue ones back.
    QString error;
    QVERIFY2(a.campaign.db().inTransaction(
                 [&](QString &e) {
                     for (int id = 1001; id <= 1000 + SentTimeout::kBatch; ++id) {
                         if (a.campaign.db().execute(QStringLiteral("INSERT INTO Quorin_Inviati (contatore, inviato_il) VALUES (?, ?)"),
                                                     e, {id, a.campaign.db().dateTimeValue(a.now.addSecs(-5 * 3600))})
                             < 0)
                             return false;
                     }
                     return true;
                 },
                 error),
             qPrintable(error));
    a.now = a.now.addSecs(120); // two hours and a minute
    const int queued = a.model.database[MainModel::InQueue]->value();
    a.campaign.sentTimeout().tick();
    QCOMPARE(a.model.metrics.customersReturned(), quint64(3));
    QCOMPARE(a.sentCount(), 0);
    QCOMPARE(a.number(QStringLiteral("select count(*) from Quorin_Inviati where contatore>1000")), 0);
    for (int id : {1, 3, 9})
        QVERIFY(a.list1().contains(QStringLiteral("CL %1 rilasciato: inviato da oltre 2 ore senza esito").arg(id)));
    QCOMPARE(a.model.database[MainModel::InQueue]->value(), queued - 3);
    QVERIFY(!a.campaign.ledger().contains(1));
    // The other server, a moment later, finds nothing left to give back.
    b.now = a.now;
    b.settings.oreRilascioInviati = 2;
    b.campaign.sentTimeout().tick();
    QCOMPARE(b.model.metrics.customersReturned(), quint64(0));

    // B sends customer 1 again; A had it on its list of overdue customers,
    // read before B's mark: A leaves it in B's dialer's queue.
    b.campaign.customers().rispostaClientiXGruppo(ask);
    QCOMPARE(b.flag(1), 1);
    int given = -1;
    QVERIFY(a.campaign.db().inTransaction(
        [&](QString &e) { return (given = a.campaign.sentTimeout().giveBack(1, a.now.addSecs(-2 * 3600), e)) >= 0; }, error));
    QCOMPARE(given, 0);
    QCOMPARE(a.flag(1), 1);
}

QTEST_GUILESS_MAIN(TestQueue)
#include "tst_queue.moc"
