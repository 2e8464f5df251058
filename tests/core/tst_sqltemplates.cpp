// SQL templates: reading, joining and normalising.
#include <QtTest>

#include "core/SqlTemplates.h"

using namespace sqltemplates;

class TestSqlTemplates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void joinLines_data();
    void joinLines();
    void splitLinesAcceptsEveryLineEnd();
    void customersPerGroup_data();
    void customersPerGroup();
    void customersPerOperator_data();
    void customersPerOperator();
};

void TestSqlTemplates::joinLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("joined");
    QTest::newRow("comment, select, empty, from")
        << QStringList{QStringLiteral("; counts"), QStringLiteral("select a, b"), QString(), QStringLiteral("from t")}
        << QStringLiteral("select a, b  from t");
    QTest::newRow("all comment kinds, indented")
        << QStringList{QStringLiteral("  # x"), QStringLiteral(" ' y"), QStringLiteral(";z"), QStringLiteral("select 1")}
        << QStringLiteral("select 1");
    QTest::newRow("a tab is not a blank") << QStringList{QStringLiteral("\t;x")} << QStringLiteral("\t;x");
    QTest::newRow("leading blanks of a line kept inside")
        << QStringList{QStringLiteral("select *"), QStringLiteral("    from t")}
        << QStringLiteral("select *     from t");
    QTest::newRow("comment marker later in the line is text")
        << QStringList{QStringLiteral("select '#' as x")} << QStringLiteral("select '#' as x");
    QTest::newRow("only comments") << QStringList{QStringLiteral(";a"), QStringLiteral("#b")} << QString();
    QTest::newRow("empty lines at the ends vanish")
        << QStringList{QString(), QStringLiteral("x"), QString()} << QStringLiteral("x");
}

void TestSqlTemplates::joinLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, joined);
    QCOMPARE(sqltemplates::joinLines(lines), joined);
}

void TestSqlTemplates::splitLinesAcceptsEveryLineEnd()
{
    QCOMPARE(splitLines(QStringLiteral("a\r\nb\nc\rd\r\n")),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    QCOMPARE(splitLines(QStringLiteral("a\r\n\r\nb")), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
}

void TestSqlTemplates::customersPerGroup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<bool>("orderByKept");
    const QString of29 = QStringLiteral("select * from clienti where x"); // 29 characters
    QCOMPARE(of29.size(), 29);
    QTest::newRow("29 characters: absent") << of29 << QString() << true;
    QTest::newRow("30, select prefix dropped")
        << QStringLiteral("select * from clienti where xy") << QStringLiteral("* from clienti where xy") << false;
    QTest::newRow("30, mixed case prefix") << QStringLiteral("SeLeCt * from clienti where xy")
                                           << QStringLiteral("* from clienti where xy") << false;
    QTest::newRow("no select prefix kept") << QStringLiteral("top 10 * from clienti order by x")
                                           << QStringLiteral("top 10 * from clienti order by x") << false;
    QTest::newRow("select without blank kept") << QStringLiteral("select\t* from clienti where xyz")
                                               << QStringLiteral("select\t* from clienti where xyz") << false;
}

void TestSqlTemplates::customersPerGroup()
{
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(bool, orderByKept);
    QString orderBy = kDefaultOrderBy;
    normaliseClientiGruppo(text, orderBy);
    QCOMPARE(text, expectedText);
    QCOMPARE(orderBy, orderByKept ? kDefaultOrderBy : QString());
}

void TestSqlTemplates::customersPerOperator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("9 characters") << QStringLiteral("select ab") << QString();
    QTest::newRow("10 characters") << QStringLiteral("select abc") << QStringLiteral("abc");
    QTest::newRow("no prefix") << QStringLiteral("* from pratiche") << QStringLiteral("* from pratiche");
}

void TestSqlTemplates::customersPerOperator()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    normaliseClientiOperatore(text);
    QCOMPARE(text, expected);
}

QTEST_GUILESS_MAIN(TestSqlTemplates)
#include "tst_sqltemplates.moc"
