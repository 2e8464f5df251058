// SQL Server statements translated for PostgreSQL.
#include <QtTest>

#include "campaign/PostgresDialect.h"
#include "campaign/SqliteDialect.h"

class TestPostgresDialect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translations_data();
    void translations();
    void sharedRulesHoldOnSqliteToo();
};

void TestPostgresDialect::translations_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out"); // empty: refused, never half-translated
    QTest::newRow("top 1") << QStringLiteral("select top 1 *  from Esiti_Quorin") << QStringLiteral("select *  from Esiti_Quorin LIMIT 1");
    QTest::newRow("brackets fold to the names the server keeps")
        << QStringLiteral("SELECT top 10 [tabella pratiche].* FROM [tabella pratiche] order by [Nome] Desc,[IMPORTO TOTALE] desc")
        << QStringLiteral("SELECT \"tabella pratiche\".* FROM \"tabella pratiche\" order by \"nome\" Desc NULLS LAST,\"importo totale\" desc NULLS LAST LIMIT 10");
    // Null sorts first on SQL Server, last here: each term says where it goes.
    QTest::newRow("null first ascending, last descending")
        << QStringLiteral("SELECT top 5 * FROM p order by [Nome] Desc,[Cognome],datarichiamo asc , x collate \"C\" DESC;")
        << QStringLiteral("SELECT * FROM p order by \"nome\" Desc NULLS LAST,\"cognome\" NULLS FIRST,datarichiamo asc NULLS FIRST ,"
                          " x collate \"C\" DESC NULLS LAST LIMIT 5");
    QTest::newRow("null order in subqueries, windows and expressions; one said stays")
        << QStringLiteral("select a, row_number() over (partition by g order by d desc) from t where b in (select b from u order by c)"
                          " order by case when d is null then 0 else 1 end desc, f(x, y) nulls last, 2")
        << QStringLiteral("select a, row_number() over (partition by g order by d desc NULLS LAST) from t where b in (select b from u"
                          " order by c NULLS FIRST) order by case when d is null then 0 else 1 end desc NULLS LAST, f(x, y) nulls last,"
                          " 2 NULLS FIRST");
    QTest::newRow("an index reads in the order the statements ask")
        << QStringLiteral("CREATE INDEX i ON [tabella pratiche]([Nome] DESC, [Cognome], datarichiamo) WHERE (FlagQuorin=0 or FlagQuorin is null)")
        << QStringLiteral("CREATE INDEX i ON \"tabella pratiche\"(\"nome\" DESC NULLS LAST, \"cognome\" NULLS FIRST, datarichiamo NULLS FIRST)"
                          " WHERE (FlagQuorin=0 or FlagQuorin is null)");
    QTest::newRow("order in words and strings is not an order")
        << QStringLiteral("select [order by], 'order by x' from t") << QStringLiteral("select \"order by\", 'order by x' from t");
    QTest::newRow("a quote inside brackets") << QStringLiteral("select [a\"b] from t") << QStringLiteral("select \"a\"\"b\" from t");
    QTest::newRow("getdate, in a subquery too")
        << QStringLiteral("SELECT COUNT(c) FROM p WHERE (c IN (SELECT x FROM g WHERE d>=GETDATE())) AND (e >= getdate ( ))")
        << QStringLiteral("SELECT COUNT(c) FROM p WHERE (c IN (SELECT x FROM g WHERE d>=LOCALTIMESTAMP)) AND (e >= LOCALTIMESTAMP)");
    QTest::newRow("convert, len and isnull")
        << QStringLiteral("SELECT convert(int,[statolog]) as qe FROM CT_Monitor WHERE len([Interno])=1 and ISNULL(x, 0)=0")
        << QStringLiteral("SELECT CAST(\"statolog\" AS INTEGER) as qe FROM CT_Monitor WHERE length(\"interno\")=1 and COALESCE(x, 0)=0");
    QTest::newRow("texts joined with +")
        << QStringLiteral("select [Cognome] + ' ' + Nome, a + b, 1 + 2 from t")
        << QStringLiteral("select \"cognome\" || ' ' || Nome, a + b, 1 + 2 from t");
    QTest::newRow("update from join selects rows by their address")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  INNER JOIN G ON [tabella pratiche].a = G.b WHERE (G.GRUPPO = '3' AND x >=GETDATE())")
        << QStringLiteral("UPDATE \"tabella pratiche\" set flagquorin=0 WHERE ctid IN (SELECT \"tabella pratiche\".ctid FROM \"tabella pratiche\"  INNER JOIN G ON \"tabella pratiche\".a = G.b WHERE (G.GRUPPO = '3' AND x >=LOCALTIMESTAMP))");
    QTest::newRow("update from the same table alone is a plain update")
        << QStringLiteral("UPDATE [tabella pratiche] set flagquorin=0  FROM  [tabella pratiche]  WHERE ([CODICE ESATTORE]= 'ES001' AND FlagQuorin=1 )  AND [datarichiamo]>='2026-12-06 00:00:00'")
        << QStringLiteral("UPDATE \"tabella pratiche\" set flagquorin=0 WHERE (\"codice esattore\"= 'ES001' AND FlagQuorin=1 )  AND \"datarichiamo\">='2026-12-06 00:00:00'");
    QTest::newRow("strings are not code")
        << QStringLiteral("select 'top 5 [x] GETDATE() + len(x)' as t from a")
        << QStringLiteral("select 'top 5 [x] GETDATE() + len(x)' as t from a");
    QTest::newRow("placeholders stay") << QStringLiteral("Select * from [tabella pratiche] where contatore=?")
                                       << QStringLiteral("Select * from \"tabella pratiche\" where contatore=?");
    QTest::newRow("refused: top in a subquery") << QStringLiteral("select * from a where x in (select top 3 y from b)") << QString();
    QTest::newRow("refused: top percent") << QStringLiteral("select top 10 percent * from a") << QString();
    QTest::newRow("refused: convert to varchar") << QStringLiteral("select convert(varchar(10), x) from a") << QString();
    QTest::newRow("refused: update from another table only") << QStringLiteral("UPDATE a set x=1 FROM b WHERE a.id=b.id") << QString();
    QTest::newRow("refused: unterminated name") << QStringLiteral("select [abc from t") << QString();
}

void TestPostgresDialect::translations()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    const auto r = postgresdialect::rewrite(in);
    if (out.isEmpty()) {
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        return;
    }
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sql, out);
}

void TestPostgresDialect::sharedRulesHoldOnSqliteToo()
{
    // The rules both backends share, with SQLite's own names and clock.
    const auto r = sqlitedialect::rewrite(
        QStringLiteral("UPDATE [t] set m=ISNULL(m, '') + 'x' FROM [t] WHERE d>=GETDATE()"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sql, QStringLiteral("UPDATE [t] set m=COALESCE(m, '') || 'x' WHERE d>=datetime('now','localtime')"));
    // SQLite sorts Null first, as SQL Server does: the order stays as written.
    QCOMPARE(sqlitedialect::rewrite(QStringLiteral("select a from t order by a desc, b")).sql,
             QStringLiteral("select a from t order by a desc, b"));
}

QTEST_GUILESS_MAIN(TestPostgresDialect)
#include "tst_postgresdialect.moc"
