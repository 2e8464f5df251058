// SQL Server statements translated for SQLite and PostgreSQL, and run on SQLite.
#include "CampaignFixture.h"
#include "campaign/PostgresDialect.h"
#include "campaign/SqliteDialect.h"

using sqlitedialect::rewrite;

namespace {
enum Backends { Sqlite = 1, Postgres = 2, Both = 3 };

// A row for each backend named; an empty `out` is refused, never half-translated.
void row(int backends, const char *name, const char *in, const char *out)
{
    if (backends & Sqlite)
        QTest::addRow("sqlite: %s", name) << false << QString::fromUtf8(in) << QString::fromUtf8(out);
    if (backends & Postgres)
        QTest::addRow("postgres: %s", name) << true << QString::fromUtf8(in) << QString::fromUtf8(out);
}
} // namespace

class TestSqlDialect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translations_data();
    void translations();
    void updateFromChangesTheRightRows();
    void firstTableDrivesOnlyWithAnOrderedIndex();
    void groupCustomersAreReadInIndexOrder_data();
    void groupCustomersAreReadInIndexOrder();
};

void TestSqlDialect::translations_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    row(Both, "top 1", "select top 1 *  from Esiti_Quorin", "select *  from Esiti_Quorin LIMIT 1");
    row(Sqlite, "top with order by", "SELECT top 10 [tabella pratiche].* FROM t order by [Nome] Desc,x",
        "SELECT [tabella pratiche].* FROM t order by [Nome] Desc,x LIMIT 10");
    row(Sqlite, "first n in order, no index known: the planner chooses",
        "SELECT top 5 p.* FROM p INNER JOIN g ON p.c = g.c WHERE (g.n = ?) order by p.x",
        "SELECT p.* FROM p INNER JOIN g ON p.c = g.c WHERE (g.n = ?) order by p.x LIMIT 5");
    row(Sqlite, "join without order keeps its planner", "SELECT top 5 p.* FROM p INNER JOIN g ON p.c = g.c",
        "SELECT p.* FROM p INNER JOIN g ON p.c = g.c LIMIT 5");
    row(Sqlite, "count keeps its join", "SELECT count(*) FROM p INNER JOIN g ON p.c = g.c", "SELECT count(*) FROM p INNER JOIN g ON p.c = g.c");
    row(Sqlite, "distinct top", "SELECT DISTINCT TOP 5 a FROM t", "SELECT DISTINCT a FROM t LIMIT 5");
    // Blanks before a statement that needs no translation were dropped.
    row(Sqlite, "leading blanks kept", "\n\v\t SELECT a FROM t", "\n\v\t SELECT a FROM t");
    row(Sqlite, "leading blanks before a translation", "  UPDATE t SET d=GETDATE()", "  UPDATE t SET d=datetime('now','localtime')");
    row(Sqlite, "getdate", "where x >=GETDATE()", "where x >=datetime('now','localtime')");
    row(Sqlite, "getdate with blanks", "where x >= getdate ( )", "where x >= datetime('now','localtime')");
    row(Sqlite, "convert and len",
        "SELECT descrizione,Interno,convert(int,[statolog]) as qe FROM CT_Monitor  WHERE len([Interno])=1 or len([Interno])=2 order by convert(int,interno) ",
        "SELECT descrizione,Interno,CAST([statolog] AS INTEGER) as qe FROM CT_Monitor  WHERE length([Interno])=1 or length([Interno])=2 order by CAST(interno AS INTEGER) ");
    row(Sqlite, "nested convert", "select convert(int, len(convert(int, x)))", "select CAST( length(CAST( x AS INTEGER)) AS INTEGER)");
    row(Sqlite, "update from join",
        "UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND   x >=GETDATE() AND   FlagQuorin=1 ) ",
        "UPDATE [tabella pratiche] set flagquorin=0 WHERE rowid IN (SELECT [tabella pratiche].rowid FROM [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND   x >=datetime('now','localtime') AND   FlagQuorin=1 ))");
    row(Sqlite, "plain update untouched", "UPDATE PLA set DATPLA='01/02/2026' where CODSCH='1'",
        "UPDATE PLA set DATPLA='01/02/2026' where CODSCH='1'");
    row(Both, "strings are not code", "select 'top 5 [x] GETDATE() + len(x)' as t from a", "select 'top 5 [x] GETDATE() + len(x)' as t from a");
    row(Sqlite, "quote inside string", "select * from t where n='D''Angelo top'", "select * from t where n='D''Angelo top'");
    row(Sqlite, "column named like a function", "select len from t", "select len from t");
    row(Postgres, "brackets fold to the names the server keeps",
        "SELECT top 10 [tabella pratiche].* FROM [tabella pratiche] order by [Nome] Desc,[IMPORTO TOTALE] desc",
        "SELECT \"tabella pratiche\".* FROM \"tabella pratiche\" order by \"nome\" Desc NULLS LAST,\"importo totale\" desc NULLS LAST LIMIT 10");
    // Null sorts first on SQL Server, last on PostgreSQL: each term says where it goes.
    row(Postgres, "null first ascending, last descending",
        "SELECT top 5 * FROM p order by [Nome] Desc,[Cognome],datarichiamo asc , x collate \"C\" DESC;",
        "SELECT * FROM p order by \"nome\" Desc NULLS LAST,\"cognome\" NULLS FIRST,datarichiamo asc NULLS FIRST , x collate \"C\" DESC NULLS LAST LIMIT 5");
    row(Postgres, "null order in subqueries, windows and expressions; one said stays",
        "select a, row_number() over (partition by g order by d desc) from t where b in (select b from u order by c)"
        " order by case when d is null then 0 else 1 end desc, f(x, y) nulls last, 2",
        "select a, row_number() over (partition by g order by d desc NULLS LAST) from t where b in (select b from u"
        " order by c NULLS FIRST) order by case when d is null then 0 else 1 end desc NULLS LAST, f(x, y) nulls last, 2 NULLS FIRST");
    row(Postgres, "an index reads in the order the statements ask",
        "CREATE INDEX i ON [tabella pratiche]([Nome] DESC, [Cognome], datarichiamo) WHERE (FlagQuorin=0 or FlagQuorin is null)",
        "CREATE INDEX i ON \"tabella pratiche\"(\"nome\" DESC NULLS LAST, \"cognome\" NULLS FIRST, datarichiamo NULLS FIRST)"
        " WHERE (FlagQuorin=0 or FlagQuorin is null)");
    row(Postgres, "order in words and strings is not an order", "select [order by], 'order by x' from t",
        "select \"order by\", 'order by x' from t");
    row(Postgres, "a quote inside brackets", "select [a\"b] from t", "select \"a\"\"b\" from t");
    row(Postgres, "getdate, in a subquery too", "SELECT COUNT(c) FROM p WHERE (c IN (SELECT x FROM g WHERE d>=GETDATE())) AND (e >= getdate ( ))",
        "SELECT COUNT(c) FROM p WHERE (c IN (SELECT x FROM g WHERE d>=LOCALTIMESTAMP)) AND (e >= LOCALTIMESTAMP)");
    row(Postgres, "convert, len and isnull", "SELECT convert(int,[statolog]) as qe FROM CT_Monitor WHERE len([Interno])=1 and ISNULL(x, 0)=0",
        "SELECT CAST(\"statolog\" AS INTEGER) as qe FROM CT_Monitor WHERE length(\"interno\")=1 and COALESCE(x, 0)=0");
    row(Postgres, "texts joined with +", "select [Cognome] + ' ' + Nome, a + b, 1 + 2 from t",
        "select \"cognome\" || ' ' || Nome, a + b, 1 + 2 from t");
    row(Postgres, "update from join selects rows by their address",
        "UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND x >=GETDATE())",
        "UPDATE \"tabella pratiche\" set flagquorin=0 WHERE ctid IN (SELECT \"tabella pratiche\".ctid FROM \"tabella pratiche\"  INNER JOIN G ON \"tabella pratiche\".a = G.b WHERE (G.GRUPPO = '3' AND x >=LOCALTIMESTAMP))");
    row(Postgres, "update from the same table alone is a plain update",
        "UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  WHERE ([CODICE ESATTORE]= 'ES001' AND FlagQuorin=1 )  AND [datarichiamo]>='2026-12-06 00:00:00'",
        "UPDATE \"tabella pratiche\" set flagquorin=0 WHERE (\"codice esattore\"= 'ES001' AND FlagQuorin=1 )  AND \"datarichiamo\">='2026-12-06 00:00:00'");
    // The rules both backends share, with SQLite's own names and clock; Null sorts first there, as on SQL Server.
    row(Sqlite, "isnull and +", "UPDATE [t] set m=ISNULL(m, '') + 'x' FROM [t] WHERE d>=GETDATE()",
        "UPDATE [t] set m=COALESCE(m, '') || 'x' WHERE d>=datetime('now','localtime')");
    row(Sqlite, "order as written", "select a from t order by a desc, b", "select a from t order by a desc, b");
    row(Postgres, "placeholders stay", "Select * from [tabella pratiche] where contatore=?", "Select * from \"tabella pratiche\" where contatore=?");
    row(Both, "refused: top in a subquery", "select * from a where x in (select top 3 y from b)", "");
    row(Both, "refused: top percent", "select top 10 percent * from a", "");
    row(Sqlite, "refused: top expression", "select top (5) * from a", "");
    row(Both, "refused: convert to varchar", "select convert(varchar(10), x) from a", "");
    row(Both, "refused: update from another table only", "UPDATE a set x=1 FROM b WHERE a.id=b.id", "");
    row(Sqlite, "refused: unterminated string", "select 'abc", "");
    row(Postgres, "refused: unterminated name", "select [abc from t", "");
    // A stray ")" made the subquery's FROM of a first translation look like the statement's own to a second one.
    row(Sqlite, "refused: stray closing parenthesis", "UPDATE a set x=1 FROM a JOIN b ON a.id=b.id) AS c FROM a WHERE x=1", "");
    row(Sqlite, "refused: closing before opening", "select x) from (a)", "");
    // Only the first FROM was folded, and a second translation folded the next.
    row(Sqlite, "refused: two FROMs", "UPDATE [t] set a=0 FROM [t] WHERE ] set a=0 FROM [t] WHERE x=1", "");
    row(Both, "refused: two FROMs, one WHERE", "UPDATE a set x=1 FROM a JOIN b ON a.id=b.id FROM c WHERE x=1", "");
    row(Sqlite, "refused: two WHEREs", "UPDATE a set x=1 FROM a WHERE x=1 WHERE y=2", "");
    row(Sqlite, "refused: two SETs", "UPDATE a set x=1 FROM a set y=2", "");
}

void TestSqlDialect::translations()
{
    QFETCH(bool, postgres);
    QFETCH(QString, in);
    QFETCH(QString, out);
    const auto r = postgres ? postgresdialect::rewrite(in) : rewrite(in);
    if (out.isEmpty()) {
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        return;
    }
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sql, out);
}

void TestSqlDialect::updateFromChangesTheRightRows()
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
    QCOMPARE(f.flag(1), 0);
    QCOMPARE(f.number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin=1 and contatore in (2, 3)")), 2);
    // Commits are durable: WAL, and a sync at every commit (FULL).
    QCOMPARE(f.campaign.db().journalMode(), QStringLiteral("wal"));
    QCOMPARE(f.number(QStringLiteral("PRAGMA synchronous")), 2);
}

void TestSqlDialect::firstTableDrivesOnlyWithAnOrderedIndex()
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

void TestSqlDialect::groupCustomersAreReadInIndexOrder_data()
{
    QTest::addColumn<int>("customers");
    QTest::newRow("small campaign") << 300;
    QTest::newRow("larger campaign") << 20000;
}

void TestSqlDialect::groupCustomersAreReadInIndexOrder()
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

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
