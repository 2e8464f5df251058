// The extension and group tables: which records land where, the display and
// group texts built from them, and the per-state counters.
#include <QtTest>

#include <limits>

#include "ct_monitor/ExtensionTable.h"

using telephony::ExtensionRecord;
using telephony::GroupRecord;

namespace {

const QDateTime kNow{QDate(2026, 3, 5), QTime(14, 7, 9)};
const QString kStamp = QStringLiteral(" agg.alle 14:07:09");

ExtensionRecord record(int number, const QString &log = QStringLiteral("LOGGED_IN"), const QString &action = QStringLiteral("FREE"),
                       const QString &line = QStringLiteral("IDLE"))
{
    ExtensionRecord r;
    r.number = number;
    r.numberText = QString::number(number);
    r.agent = QStringLiteral("A") + QString::number(number);
    r.description = QStringLiteral("Agente ") + QString::number(number);
    r.logState = log;
    r.actionState = action;
    r.lineState = line;
    r.acdState = QStringLiteral("ACD");
    r.groups = QList<int>(36, 0);
    return r;
}

GroupRecord group(qint32 number, const QString &name, qint32 logged = 0, qint32 free = 0, qint32 third = 0)
{
    GroupRecord g;
    g.number = number;
    g.name = name;
    g.logged = logged;
    g.free = free;
    g.third = third;
    return g;
}

bool allRowsEmpty(const ExtensionTable &t)
{
    for (int e = ExtensionTable::kFirst; e <= ExtensionTable::kLast; ++e) {
        for (const QString &cell : t.row(e)) {
            if (!cell.isEmpty())
                return false;
        }
    }
    return true;
}

// A row as a list, for a readable failure message.
QStringList cells(const ExtensionTable::Row &r)
{
    return QStringList(r.begin(), r.end());
}

// The counters as a list, for a readable failure message.
QList<int> counters(const ExtensionTable &t)
{
    return QList<int>(t.counters().begin(), t.counters().end());
}

} // namespace

class TestExtensionTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowIsTheNumberAndTheTextOnlyFilters_data();
    void rowIsTheNumberAndTheTextOnlyFilters();
    void recordFillsItsRowAndKeepsLogoutAndCallCounter();
    void displayText_data();
    void displayText();
    void groupTextNamesGroupsInSlotOrder();
    void groupsOutsideTheTableAreRejectedAndCountsBounded();
    void countersAndGroupTotals();
};

void TestExtensionTable::rowIsTheNumberAndTheTextOnlyFilters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("kept");
    // Both ends of the table and of the text range.
    QTest::newRow("first") << QStringLiteral("101") << 101 << true;
    QTest::newRow("last") << QStringLiteral("300") << 300 << true;
    QTest::newRow("text 100, number in the table") << QStringLiteral("100") << 150 << true;
    QTest::newRow("text 399, number in the table") << QStringLiteral("399") << 120 << true;
    QTest::newRow("text below 100") << QStringLiteral("99") << 101 << false;
    QTest::newRow("text above 399") << QStringLiteral("400") << 101 << false;
    QTest::newRow("text not a number") << QStringLiteral("abc") << 101 << false;
    QTest::newRow("text empty") << QString() << 101 << false;
    QTest::newRow("100 has no row") << QStringLiteral("100") << 100 << false;
    QTest::newRow("301 has no row") << QStringLiteral("301") << 301 << false;
    QTest::newRow("399 has no row") << QStringLiteral("399") << 399 << false;
    QTest::newRow("number zero") << QStringLiteral("150") << 0 << false;
    QTest::newRow("number negative") << QStringLiteral("150") << -5 << false;
    QTest::newRow("number lowest") << QStringLiteral("150") << std::numeric_limits<int>::min() << false;
    QTest::newRow("number highest") << QStringLiteral("150") << std::numeric_limits<int>::max() << false;
}

void TestExtensionTable::rowIsTheNumberAndTheTextOnlyFilters()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(bool, kept);
    ExtensionTable t;
    QSignalSpy changed(&t, &ExtensionTable::extensionChanged);
    ExtensionRecord r = record(number);
    r.numberText = text;
    QCOMPARE(t.applyExtension(r, kNow), kept);
    QCOMPARE(changed.count(), kept ? 1 : 0);
    if (kept) {
        QCOMPARE(changed[0][0].toInt(), number);
        QCOMPARE(t.row(number)[ExtensionTable::Agent], QStringLiteral("A") + QString::number(number));
    }
    QCOMPARE(allRowsEmpty(t), !kept);
}

void TestExtensionTable::recordFillsItsRowAndKeepsLogoutAndCallCounter()
{
    ExtensionTable t;
    t.setCells(205, {{ExtensionTable::LogoutTime, QStringLiteral("17:30:00")}, {ExtensionTable::CallCounter, QStringLiteral("12")},
                     {ExtensionTable::LogState, QStringLiteral("OLD")}});
    t.applyGroup(group(4, QStringLiteral("Vendite")));

    ExtensionRecord r = record(205, QStringLiteral("PAUSED"), QStringLiteral("BUSY"), QStringLiteral("TALKING"));
    r.agent = QStringLiteral("1001");
    r.description = QStringLiteral("Mario Rossi");
    r.acdState = QStringLiteral("ACD_WRAP");
    r.groups[0] = 4;
    r.loginTime = QStringLiteral("08:30:00");
    QVERIFY(t.applyExtension(r, kNow));

    // Columns: display, log, action, line, ACD, groups, login, agent, description, logout, calls.
    QCOMPARE(cells(t.row(205)),
             (QStringList{QStringLiteral(" Gruppo/i [[4] Vendite]|(1001) Mario Rossi (PAUSED) (BUSY) (TALKING) (ACD_WRAP)")
                              + QStringLiteral(" (login alle 08:30:00)") + kStamp,
                          QStringLiteral("PAUSED"), QStringLiteral("BUSY"), QStringLiteral("TALKING"), QStringLiteral("ACD_WRAP"),
                          QStringLiteral(" Gruppo/i [[4] Vendite]"), QStringLiteral("08:30:00"), QStringLiteral("1001"),
                          QStringLiteral("Mario Rossi"), QStringLiteral("17:30:00"), QStringLiteral("12")}));

    // A later record replaces every field it carries, emptied ones too.
    ExtensionRecord out = record(205, QStringLiteral("LOGGED_OUT"));
    out.agent.clear();
    out.description.clear();
    out.acdState.clear();
    QVERIFY(t.applyExtension(out, kNow));
    QCOMPARE(cells(t.row(205)), (QStringList{QStringLiteral("()  (LOGGED_OUT) (FREE) (IDLE) ()") + kStamp, QStringLiteral("LOGGED_OUT"),
                                             QStringLiteral("FREE"), QStringLiteral("IDLE"), QString(), QString(), QString(), QString(),
                                             QString(), QStringLiteral("17:30:00"), QStringLiteral("12")}));
}

void TestExtensionTable::displayText_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("expected");
    const QString body = QStringLiteral("(1001) Mario Rossi (LOGGED_IN) (FREE) (IN USE) (ACD1)");
    QTest::newRow("plain") << QString() << QString() << body + kStamp;
    QTest::newRow("login") << QStringLiteral("09:15:00") << QString() << body + QStringLiteral(" (login alle 09:15:00)") + kStamp;
    QTest::newRow("login at zero hours") << QStringLiteral("00:15:00") << QString() << body + kStamp;
    QTest::newRow("login not a time") << QStringLiteral("--:--") << QString() << body + kStamp;
    QTest::newRow("groups") << QString() << QStringLiteral(" Gruppo/i [[3] Vendite]")
                            << QStringLiteral(" Gruppo/i [[3] Vendite]|") + body + kStamp;
    QTest::newRow("groups and login") << QStringLiteral("23:59:59") << QStringLiteral(" Gruppo/i [[3] a][[5] b]")
                                      << QStringLiteral(" Gruppo/i [[3] a][[5] b]|") + body
                                             + QStringLiteral(" (login alle 23:59:59)") + kStamp;
}

void TestExtensionTable::displayText()
{
    QFETCH(QString, login);
    QFETCH(QString, groups);
    QFETCH(QString, expected);
    ExtensionTable::Row r;
    r[ExtensionTable::Agent] = QStringLiteral("1001");
    r[ExtensionTable::Description] = QStringLiteral("Mario Rossi");
    r[ExtensionTable::LogState] = QStringLiteral("LOGGED_IN");
    r[ExtensionTable::ActionState] = QStringLiteral("FREE");
    r[ExtensionTable::LineState] = QStringLiteral("IN USE");
    r[ExtensionTable::AcdState] = QStringLiteral("ACD1");
    r[ExtensionTable::LoginTime] = login;
    r[ExtensionTable::GroupText] = groups;
    r[ExtensionTable::LogoutTime] = QStringLiteral("18:00:00"); // not shown
    r[ExtensionTable::CallCounter] = QStringLiteral("7");       // not shown
    QCOMPARE(ExtensionTable::displayText(r, kNow), expected);
}

void TestExtensionTable::groupTextNamesGroupsInSlotOrder()
{
    ExtensionTable t;
    t.applyGroup(group(3, QStringLiteral("name3")));
    t.applyGroup(group(5, QStringLiteral("name5")));

    QList<int> slots(36, 0);
    QCOMPARE(t.groupText(slots), QString());
    slots[0] = 3;
    slots[1] = 5;
    QCOMPARE(t.groupText(slots), QStringLiteral(" Gruppo/i [[3] name3][[5] name5]"));
    slots[0] = 5;
    slots[1] = 3;
    QCOMPARE(t.groupText(slots), QStringLiteral(" Gruppo/i [[5] name5][[3] name3]"));
    // Empty slots in between and a group without a name.
    slots = QList<int>(36, 0);
    slots[7] = 3;
    slots[35] = 9;
    QCOMPARE(t.groupText(slots), QStringLiteral(" Gruppo/i [[3] name3][[9] ]"));
}

void TestExtensionTable::groupsOutsideTheTableAreRejectedAndCountsBounded()
{
    ExtensionTable t;
    QSignalSpy changed(&t, &ExtensionTable::groupsChanged);
    for (qint32 n : {0, 301, -1, -300, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()})
        QVERIFY2(!t.applyGroup(group(n, QStringLiteral("x"), 5, 5, 5)), qPrintable(QString::number(n)));
    QCOMPARE(changed.count(), 0);
    t.recount();
    QCOMPARE(t.totalLogged(), 0);
    QCOMPARE(t.groupsWithLogged(), 0);

    QVERIFY(t.applyGroup(group(1, QStringLiteral("primo"), 4, 2, 9)));
    QVERIFY(t.applyGroup(group(300, QStringLiteral("ultimo"), 1, 1, 70000)));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(t.group(1).logged, 4);
    QCOMPARE(t.group(1).free, 2);
    QCOMPARE(t.group(1).third, 9);
    QCOMPARE(t.group(1).name, QStringLiteral("primo"));
    QCOMPARE(t.group(300).third, 70000);
    QCOMPARE(t.group(300).name, QStringLiteral("ultimo"));

    // Counts at the ends of the integers, in every group: the totals neither
    // overflow nor go below zero.
    constexpr qint32 kMost = std::numeric_limits<qint32>::max();
    for (int g = 1; g <= ExtensionTable::kGroups; ++g)
        t.applyGroup(group(g, QStringLiteral("G"), kMost, std::numeric_limits<qint32>::min(), kMost));
    t.recount();
    QVERIFY(t.totalLogged() > 0);
    QCOMPARE(t.totalFree(), 0);
    QCOMPARE(t.group(7).logged, ExtensionTable::kMaxGroupCount);
    QCOMPARE(t.groupsWithLogged(), ExtensionTable::kGroups);
}

void TestExtensionTable::countersAndGroupTotals()
{
    ExtensionTable t;
    QSignalSpy counted(&t, &ExtensionTable::countersChanged);
    const auto apply = [&](int n, const QString &log, const QString &action, const QString &line) {
        QVERIFY(t.applyExtension(record(n, log, action, line), kNow));
    };
    apply(101, QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), QStringLiteral("IDLE"));
    apply(102, QStringLiteral("LOGGED_OUT"), QStringLiteral("FREE"), QStringLiteral("IDLE")); // free, not logged
    apply(103, QStringLiteral("PAUSED"), QStringLiteral("BUSY"), QStringLiteral("TALKING"));
    apply(104, QStringLiteral("HANDSHAKING"), QStringLiteral("FREE"), QStringLiteral("IN USE"));
    apply(105, QStringLiteral("WORKING"), QStringLiteral("BUSY"), QStringLiteral("IN USE"));
    apply(106, QString(), QStringLiteral("BUSY"), QString());                                 // busy while not logged
    apply(107, QStringLiteral("SOMETHING_NEW"), QStringLiteral("FREE"), QStringLiteral("TALKING")); // logged all the same
    // Extension 300 counts like the others: leaving the last one out would
    // show a call centre one agent short.
    apply(300, QStringLiteral("LOGGED_IN"), QStringLiteral("free"), QStringLiteral("idle")); // names are case sensitive
    t.applyGroup(group(1, QStringLiteral("a"), 4, 2));
    t.applyGroup(group(2, QStringLiteral("b"), 0, 3));
    t.applyGroup(group(300, QStringLiteral("c"), 1, 1));
    QCOMPARE(counted.count(), 0);

    t.recount();
    QCOMPARE(counted.count(), 1);
    const QList<int> want{6, 3, 3, 1, 2, 2, 2, 1, 1, 0};
    QCOMPARE(counters(t), want);
    QCOMPARE(t.totalLogged(), 5);
    QCOMPARE(t.totalFree(), 6);
    QCOMPARE(t.groupsWithLogged(), 2);

    // Recounted from scratch, not added to.
    t.recount();
    QCOMPARE(counters(t), want);
    QCOMPARE(t.totalLogged(), 5);

    // A state change and a group emptied show at the next recount.
    apply(101, QStringLiteral("LOGGED_OUT"), QStringLiteral("FREE"), QStringLiteral("IDLE"));
    t.applyGroup(group(1, QStringLiteral("a"), 0, 0));
    t.recount();
    QCOMPARE(counters(t), (QList<int>{5, 2, 3, 1, 2, 2, 2, 1, 1, 0}));
    QCOMPARE(t.totalLogged(), 1);
    QCOMPARE(t.totalFree(), 4);
    QCOMPARE(t.groupsWithLogged(), 1);
    QCOMPARE(counted.count(), 3);

    // Cells set by a user action count as well (the logout from the database).
    t.setCells(103, {{ExtensionTable::LogState, QStringLiteral("LOGGED_OUT")}, {ExtensionTable::ActionState, QStringLiteral("FREE")},
                     {ExtensionTable::LineState, QStringLiteral("IDLE")}});
    t.recount();
    QCOMPARE(counters(t), (QList<int>{4, 2, 2, 0, 3, 2, 1, 1, 1, 0}));
}

QTEST_GUILESS_MAIN(TestExtensionTable)
#include "tst_extensiontable.moc"
