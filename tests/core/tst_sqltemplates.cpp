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
    void customersTemplates_data();
    void customersTemplates();
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

void TestSqlTemplates::customersTemplates_data()
{
    QTest::addColumn<bool>("perOperator");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<bool>("orderByKept"); // per group only
    const QString of29 = QStringLiteral("select * from clienti where x"); // 29 characters
    QCOMPARE(of29.size(), 29);
    QTest::newRow("per group, 29 characters: absent") << false << of29 << QString() << true;
    QTest::newRow("per group, 30, select prefix dropped")
        << false << QStringLiteral("select * from clienti where xy") << QStringLiteral("* from clienti where xy") << false;
    QTest::newRow("per group, 30, mixed case prefix")
        << false << QStringLiteral("SeLeCt * from clienti where xy") << QStringLiteral("* from clienti where xy") << false;
    QTest::newRow("per group, no select prefix kept")
        << false << QStringLiteral("top 10 * from clienti order by x") << QStringLiteral("top 10 * from clienti order by x") << false;
    QTest::newRow("per group, select without blank kept")
        << false << QStringLiteral("select\t* from clienti where xyz") << QStringLiteral("select\t* from clienti where xyz") << false;
    QTest::newRow("per operator, 9 characters") << true << QStringLiteral("select ab") << QString() << true;
    QTest::newRow("per operator, 10 characters") << true << QStringLiteral("select abc") << QStringLiteral("abc") << true;
    QTest::newRow("per operator, no prefix") << true << QStringLiteral("* from pratiche") << QStringLiteral("* from pratiche") << true;
}

void TestSqlTemplates::customersTemplates()
{
    QFETCH(bool, perOperator);
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(bool, orderByKept);
    QString orderBy = kDefaultOrderBy;
    if (perOperator)
        normaliseClientiOperatore(text);
    else
        normaliseClientiGruppo(text, orderBy);
    QCOMPARE(text, expectedText);
    QCOMPARE(orderBy, orderByKept ? kDefaultOrderBy : QString());
}

QTEST_GUILESS_MAIN(TestSqlTemplates)
#include "tst_sqltemplates.moc"
