// SQL Server statements translated for SQLite, and run there.
#include "CampaignFixture.h"
#include "campaign/Counters.h"
#include "campaign/SqliteDialect.h"

using sqlitedialect::rewrite;

class TestSqliteDialect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translations_data();
    void translations();
    void refused_data();
    void refused();
    void everyBuiltInStatementRunsOnSqlite_data();
    void everyBuiltInStatementRunsOnSqlite();
    void updateFromChangesTheRightRows();
    void firstTableDrivesOnlyWithAnOrderedIndex();
    void groupCustomersAreReadInIndexOrder_data();
    void groupCustomersAreReadInIndexOrder();
    void commitsAreDurable();
};

void TestSqliteDialect::translations_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("top 1") << QStringLiteral("select top 1 *  from Esiti_Quorin") << QStringLiteral("select *  from Esiti_Quorin LIMIT 1");
    QTest::newRow("top with order by")
        << QStringLiteral("SELECT top 10 [tabella pratiche].* FROM t order by [Nome] Desc,x")
        << QStringLiteral("SELECT [tabella pratiche].* FROM t order by [Nome] Desc,x LIMIT 10");
    QTest::newRow("first n in order, no index known: the planner chooses")
        << QStringLiteral("SELECT top 5 p.* FROM p INNER JOIN g ON p.c = g.c WHERE (g.n = ?) order by p.x")
        << QStringLiteral("SELECT p.* FROM p INNER JOIN g ON p.c = g.c WHERE (g.n = ?) order by p.x LIMIT 5");
    QTest::newRow("join without order keeps its planner")
        << QStringLiteral("SELECT top 5 p.* FROM p INNER JOIN g ON p.c = g.c")
        << QStringLiteral("SELECT p.* FROM p INNER JOIN g ON p.c = g.c LIMIT 5");
    QTest::newRow("count keeps its join") << QStringLiteral("SELECT count(*) FROM p INNER JOIN g ON p.c = g.c")
                                          << QStringLiteral("SELECT count(*) FROM p INNER JOIN g ON p.c = g.c");
    QTest::newRow("distinct top") << QStringLiteral("SELECT DISTINCT TOP 5 a FROM t") << QStringLiteral("SELECT DISTINCT a FROM t LIMIT 5");
    // Blanks before a statement that needs no translation were dropped.
    QTest::newRow("leading blanks kept") << QStringLiteral("\n\v\t SELECT a FROM t") << QStringLiteral("\n\v\t SELECT a FROM t");
    QTest::newRow("leading blanks before a translation")
        << QStringLiteral("  UPDATE t SET d=GETDATE()") << QStringLiteral("  UPDATE t SET d=datetime('now','localtime')");
    QTest::newRow("getdate") << QStringLiteral("where x >=GETDATE()") << QStringLiteral("where x >=datetime('now','localtime')");
    QTest::newRow("getdate with blanks") << QStringLiteral("where x >= getdate ( )") << QStringLiteral("where x >= datetime('now','localtime')");
    QTest::newRow("convert and len")
        << QStringLiteral("SELECT descrizione,Interno,convert(int,[statolog]) as qe FROM CT_Monitor  WHERE len([Interno])=1 or len([Interno])=2 order by convert(int,interno) ")
        << QStringLiteral("SELECT descrizione,Interno,CAST([statolog] AS INTEGER) as qe FROM CT_Monitor  WHERE length([Interno])=1 or length([Interno])=2 order by CAST(interno AS INTEGER) ");
    QTest::newRow("nested convert") << QStringLiteral("select convert(int, len(convert(int, x)))")
                                    << QStringLiteral("select CAST( length(CAST( x AS INTEGER)) AS INTEGER)");
    QTest::newRow("update from join")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND   x >=GETDATE() AND   FlagQuorin=1 ) ")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0 WHERE rowid IN (SELECT [tabella pratiche].rowid FROM [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND   x >=datetime('now','localtime') AND   FlagQuorin=1 ))");
    QTest::newRow("plain update untouched") << QStringLiteral("UPDATE PLA set DATPLA='01/02/2026' where CODSCH='1'")
                                            << QStringLiteral("UPDATE PLA set DATPLA='01/02/2026' where CODSCH='1'");
    QTest::newRow("strings are not code") << QStringLiteral("select 'top 5 GETDATE() len(x)' as t from a")
                                          << QStringLiteral("select 'top 5 GETDATE() len(x)' as t from a");
    QTest::newRow("quote inside string") << QStringLiteral("select * from t where n='D''Angelo top'")
                                         << QStringLiteral("select * from t where n='D''Angelo top'");
    QTest::newRow("column named like a function") << QStringLiteral("select len from t") << QStringLiteral("select len from t");
}

void TestSqliteDialect::translations()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    const auto r = rewrite(in);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sql, out);
}

void TestSqliteDialect::refused_data()
{
    QTest::addColumn<QString>("in");
    QTest::newRow("top in a subquery") << QStringLiteral("select * from a where x in (select top 3 y from b)");
    QTest::newRow("top percent") << QStringLiteral("select top 10 percent * from a");
    QTest::newRow("top expression") << QStringLiteral("select top (5) * from a");
    QTest::newRow("convert to varchar") << QStringLiteral("select convert(varchar(10), x) from a");
    QTest::newRow("update from another table only") << QStringLiteral("UPDATE a set x=1 FROM b WHERE a.id=b.id");
    QTest::newRow("unterminated string") << QStringLiteral("select 'abc");
    // A stray ")" made the subquery's FROM of a first translation look like
    // the statement's own to a second one.
    QTest::newRow("stray closing parenthesis")
        << QStringLiteral("UPDATE a set x=1 FROM a JOIN b ON a.id=b.id) AS c FROM a WHERE x=1");
    QTest::newRow("closing before opening") << QStringLiteral("select x) from (a)");
    // Only the first FROM was folded, and a second translation folded the next.
    QTest::newRow("two FROMs") << QStringLiteral("UPDATE [t] set a=0 FROM [t] WHERE ] set a=0 FROM [t] WHERE x=1");
    QTest::newRow("two WHEREs") << QStringLiteral("UPDATE a set x=1 FROM a WHERE x=1 WHERE y=2");
    QTest::newRow("two SETs") << QStringLiteral("UPDATE a set x=1 FROM a set y=2");
}

void TestSqliteDialect::refused()
{
    QFETCH(QString, in);
    const auto r = rewrite(in);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
}

void TestSqliteDialect::everyBuiltInStatementRunsOnSqlite_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("coda") << Counters::kCodaStatement;
    QTest::newRow("da inviare") << Counters::kDaInviareStatement;
    QTest::newRow("stati") << Counters::kStatiStatement;
    QTest::newRow("archivio") << Counters::kArchivioStatement;
    QTest::newRow("azzera") << Counters::kAzzeraStatement;
    QTest::newRow("groups") << QStringLiteral("select  DISTINCT GRUPPO from GRUPPI_ESATTORE");
    QTest::newRow("esiti") << QStringLiteral("select top 1 *  from Esiti_Quorin");
    QTest::newRow("riepilogo") << QStringLiteral("SELECT Esito, COUNT(ID_Esito) AS Tot_esiti From Esiti_Quorin GROUP BY Esito ORDER BY tot_esiti DESC");
    QTest::newRow("customers per group")
        << QStringLiteral("SELECT top 10 [tabella pratiche].* FROM  [tabella pratiche]  INNER JOIN GRUPPI_ESATTORE ON "
                          "[tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE WHERE (GRUPPI_ESATTORE.GRUPPO = '1' "
                          "AND (Telefono1 is not null)  AND (Telefono1<>'')  AND (FlagQuorin=0 or FlagQuorin is null))  order by "
                          "[Nome] Desc,[Cognome],datarichiamo,[scadenza mandato],[IMPORTO TOTALE] desc");
    QTest::newRow("group release")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN GRUPPI_ESATTORE ON "
                          "[tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE WHERE (GRUPPI_ESATTORE.GRUPPO = '1' "
                          "AND   [scadenza mandato] >=GETDATE() AND   FlagQuorin=1 ) ");
    QTest::newRow("operator release")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  WHERE ([CODICE ESATTORE]= 'ES001' "
                          "AND   [scadenza mandato] >=GETDATE() AND   FlagQuorin=1 )  AND [datarichiamo]>='2026-12-06 00:00:00' "
                          "AND [datarichiamo]<='2026-12-06 23:59:59'");
    QTest::newRow("ct monitor")
        << QStringLiteral("SELECT descrizione,Interno,convert(int,[statolog]) as qe FROM CT_Monitor  WHERE len([Interno])=1 or "
                          "len([Interno])=2 order by convert(int,interno) ");
}

void TestSqliteDialect::everyBuiltInStatementRunsOnSqlite()
{
    QFETCH(QString, statement);
    CampaignFixture f(50);
    QSqlQuery q;
    QString error;
    QVERIFY2(f.campaign.db().select(statement, q, error), qPrintable(error));
}

void TestSqliteDialect::updateFromChangesTheRightRows()
{
    CampaignFixture f;
    f.sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (1, 'A'), (2, 'B')"));
    f.customer(1, QStringLiteral("A"), QStringLiteral("1"), 1, 10);
    f.customer(2, QStringLiteral("A"), QStringLiteral("2"), 1, -1); // mandate expired
    f.customer(3, QStringLiteral("B"), QStringLiteral("3"), 1, 10); // other group
    f.customer(4, QStringLiteral("A"), QStringLiteral("4"), 0, 10); // not sent
    QString error;
    const int n = f.campaign.db().execute(
        QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN GRUPPI_ESATTORE ON "
                       "[tabella pratiche].[codice esattore] = GRUPPI_ESATTORE.CODESATTORE WHERE (GRUPPI_ESATTORE.GRUPPO = '1' "
                       "AND   [scadenza mandato] >=GETDATE() AND   FlagQuorin=1 ) "),
        error);
    QCOMPARE(n, 1);
    QCOMPARE(f.number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=1")), 0);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin=1 and contatore in (2, 3)")), 2);
}

void TestSqliteDialect::firstTableDrivesOnlyWithAnOrderedIndex()
{
    using sqlitedialect::OrderTerm;
    QString askedTable;
    QList<OrderTerm> askedTerms;
    const auto index = [&](const QString &table, const QList<OrderTerm> &terms) {
        askedTable = table;
        askedTerms = terms;
        return terms.size() == 2 && terms[0] == OrderTerm{QStringLiteral("Nome"), true}
            && terms[1] == OrderTerm{QStringLiteral("Cognome"), false};
    };
    const QString join = QStringLiteral("SELECT top 3 [tabella pratiche].* FROM [tabella pratiche] INNER JOIN G ON a = b ");
    auto r = rewrite(join + QStringLiteral("order by [tabella pratiche].[Nome] Desc,Cognome"), index);
    QVERIFY(r.ok);
    QCOMPARE(askedTable, QStringLiteral("tabella pratiche"));
    QCOMPARE(askedTerms.size(), 2);
    QVERIFY(r.sql.contains(QStringLiteral(" CROSS JOIN G ")));
    // Another order, an expression, or no limit: the planner keeps its choice.
    r = rewrite(join + QStringLiteral("order by Cognome, [Nome] desc"), index);
    QVERIFY(r.sql.contains(QStringLiteral(" INNER JOIN G ")));
    r = rewrite(join + QStringLiteral("order by len(Nome)"), index);
    QVERIFY(r.sql.contains(QStringLiteral(" INNER JOIN G ")));
    r = rewrite(QStringLiteral("SELECT p.* FROM [tabella pratiche] INNER JOIN G ON a = b order by [Nome] desc, Cognome"), index);
    QVERIFY(r.sql.contains(QStringLiteral(" INNER JOIN G ")));
}

void TestSqliteDialect::groupCustomersAreReadInIndexOrder_data()
{
    QTest::addColumn<int>("customers");
    QTest::newRow("small campaign") << 300;
    QTest::newRow("larger campaign") << 20000;
}

void TestSqliteDialect::groupCustomersAreReadInIndexOrder()
{
    // The planner's choice for the default customers query on the demo
    // database: the partial index in the ORDER BY, no sort of every row.
    QFETCH(int, customers);
    CampaignFixture f(customers);
    // A custom order that no index reads keeps the planner's own join.
    f.settings.orderBy = QStringLiteral("[ragione sociale]");
    QString custom, why;
    QVERIFY(f.campaign.db().translate(f.campaign.customers().groupStatement(100, 1).sql, custom, why));
    QVERIFY(custom.contains(QStringLiteral("INNER JOIN")));
    f.settings.orderBy = sqltemplates::kDefaultOrderBy;
    const CustomersService::Statement s = f.campaign.customers().groupStatement(100, 1);
    QString sql, error;
    QVERIFY2(f.campaign.db().translate(s.sql, sql, error), qPrintable(error));
    QSqlQuery q(f.campaign.db().handle());
    QVERIFY(q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql));
    q.addBindValue(1);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QStringList plan;
    while (q.next())
        plan << q.value(3).toString();
    QVERIFY2(plan.join(QLatin1Char('|')).contains(QStringLiteral("SCAN tabella pratiche USING INDEX pratiche_da_inviare")),
             qPrintable(plan.join(QLatin1Char('|'))));
    QVERIFY2(plan.filter(QStringLiteral("TEMP B-TREE")).isEmpty(), qPrintable(plan.join(QLatin1Char('|'))));
    // The same first hundred, by their ordering keys, as a plain sort gives.
    QList<QSqlRecord> fast;
    QVERIFY(f.campaign.db().rows(s.sql, fast, error, s.binds));
    QSqlQuery slow(f.campaign.db().handle());
    QVERIFY(slow.exec(QStringLiteral("SELECT p.* FROM [tabella pratiche] p NOT INDEXED JOIN GRUPPI_ESATTORE g"
                                     " ON p.[codice esattore] = g.CODESATTORE WHERE g.GRUPPO = 1 AND Telefono1 is not null"
                                     " AND Telefono1<>'' AND (FlagQuorin=0 or FlagQuorin is null)"
                                     " ORDER BY [Nome] Desc,[Cognome],datarichiamo,[scadenza mandato],[IMPORTO TOTALE] desc LIMIT 100")));
    const auto keys = [](const QSqlRecord &r) {
        QStringList k;
        for (const char *c : {"Nome", "Cognome", "datarichiamo", "scadenza mandato", "IMPORTO TOTALE"})
            k << r.value(QString::fromLatin1(c)).toString();
        return k.join(QLatin1Char('|'));
    };
    QStringList expected, got;
    while (slow.next())
        expected << keys(slow.record());
    for (const QSqlRecord &r : std::as_const(fast))
        got << keys(r);
    QCOMPARE(got.size(), std::min(100, int(expected.size())));
    QCOMPARE(got, expected);

    // Whether the group has anyone left is asked first, without the order:
    // through its collectors' index, never a walk of the ordered one, which
    // for a group with nobody left would read it whole.
    const CustomersService::Statement probe = f.campaign.customers().groupProbe(1);
    QVERIFY2(f.campaign.db().translate(probe.sql, sql, error), qPrintable(error));
    QVERIFY(q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql));
    q.addBindValue(1);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    plan.clear();
    while (q.next())
        plan << q.value(3).toString();
    // Through an index of the collector (at scale the partial one, of the customers still to send).
    const QString probed = plan.join(QLatin1Char('|'));
    QVERIFY2(probed.contains(customers > 1000 ? QStringLiteral("SEARCH tabella pratiche USING INDEX pratiche_esattore_da_inviare")
                                              : QStringLiteral("SEARCH tabella pratiche USING INDEX")),
             qPrintable(probed));
    QVERIFY2(!probed.contains(QStringLiteral("SCAN tabella pratiche")), qPrintable(probed));
}

void TestSqliteDialect::commitsAreDurable()
{
    CampaignFixture f;
    QCOMPARE(f.campaign.db().journalMode(), QStringLiteral("wal"));
    QCOMPARE(f.number(QStringLiteral("PRAGMA synchronous")), 2); // FULL: a sync at every commit
}

QTEST_GUILESS_MAIN(TestSqliteDialect)
#include "tst_sqlitedialect.moc"
