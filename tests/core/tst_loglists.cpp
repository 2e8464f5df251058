// On-screen lists: capacity, trimming and the decoration of ScriviLog.
#include <QtTest>

#include "core/LogList.h"
#include "core/Logger.h"
#include "core/ObservableValue.h"

class TestLogLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptiesBeforeThe32001stLine();
    void trimmingKeepsTheOldestLineAndFollowsTheSelection();
    void decorationWithAndWithoutTagFollowsTheLevelText();
    void destinations();
    void stampedListsUseTimeBarMessage();
};

void TestLogLists::emptiesBeforeThe32001stLine()
{
    LogList list(QStringLiteral("List1"));
    for (int i = 0; i < LogList::kEmptyAt; ++i)
        list.addEmptyingWhenFull(QString::number(i));
    QCOMPARE(list.count(), 32000);
    QCOMPARE(list.selection(), 31999);
    list.addEmptyingWhenFull(QStringLiteral("next"));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.line(0), QStringLiteral("next"));
    QCOMPARE(list.selection(), 0);
}

void TestLogLists::trimmingKeepsTheOldestLineAndFollowsTheSelection()
{
    LogList list(QStringLiteral("List3(0)"));
    for (int i = 0; i < 102; ++i)
        list.addTrimming(QString::number(i), 100);
    QCOMPARE(list.count(), 102); // the 102nd line found the selection at 100: no trim yet
    list.addTrimming(QStringLiteral("102"), 100);
    QCOMPARE(list.count(), 53);
    QCOMPARE(list.line(0), QStringLiteral("0"));
    QCOMPARE(list.line(1), QStringLiteral("51"));
    QCOMPARE(list.line(52), QStringLiteral("102"));
    QCOMPARE(list.selection(), 52);
    LogList list2(QStringLiteral("List2"));
    for (int i = 0; i < 150; ++i)
        list2.addTrimming(QString::number(i), 1000);
    list2.setSelection(1001); // beyond the threshold, whatever the count says
    list2.addTrimming(QStringLiteral("x"), 1000);
    QCOMPARE(list2.count(), 101);
    // A list too short to lose 50 lines keeps line 0.
    LogList shortList(QStringLiteral("s"));
    shortList.addTrimming(QStringLiteral("a"), 0);
    shortList.addTrimming(QStringLiteral("b"), 0);
    shortList.setSelection(5);
    shortList.addTrimming(QStringLiteral("c"), 0);
    QCOMPARE(shortList.lines(), QStringList{QStringLiteral("a")});
}

void TestLogLists::decorationWithAndWithoutTagFollowsTheLevelText()
{
    TextValue level(QStringLiteral("abc"));
    Logger log(level);
    log.setClock([] { return QTime(9, 36, 7, 890); }); // 34567.89 seconds
    QString plain = QStringLiteral("a");
    log.scriviLog(plain, Logger::List1, QStringLiteral("RX"), 12);
    QCOMPARE(plain, QStringLiteral("a")); // level 0: plain, tag and id left out
    level.setText(QStringLiteral("1"));
    QString tagged = QStringLiteral("Ricevuto Esito");
    log.scriviLog(tagged, Logger::List1, QStringLiteral("RX"), 12);
    QCOMPARE(tagged, QStringLiteral("34567.89) (RX) 12 (Ricevuto Esito"));
    QString untagged = QStringLiteral("Socket chiusa [NON OK]");
    log.scriviLog(untagged, Logger::List1, QString(), 99);
    QCOMPARE(untagged, QStringLiteral("34567.89)(Socket chiusa [NON OK]"));
    // The level's text is read again at every call.
    level.setText(QStringLiteral(" 2x"));
    log.scriviLog(QStringLiteral("b"), Logger::List1);
    level.setText(QStringLiteral("-1"));
    log.scriviLog(QStringLiteral("c"), Logger::List1);
    QCOMPARE(log.list1().lines(), (QStringList{plain, tagged, untagged, QStringLiteral("34567.89)(b"), QStringLiteral("c")}));
    log.setClock([] { return QTime(0, 0, 5, 500); });
    QCOMPARE(log.timerValue(), QStringLiteral("5.5"));
}

void TestLogLists::destinations()
{
    TextValue level;
    Logger log(level);
    log.scriviLog(QStringLiteral("to list2"), Logger::List2);
    log.scriviLog(QStringLiteral("nowhere"), 4);
    log.scriviLog(QStringLiteral("no monitor window yet"), Logger::Monitor);
    QCOMPARE(log.list1().count(), 0);
    QCOMPARE(log.list2().lines(), QStringList{QStringLiteral("to list2")});

    // Destinations 2 and 3 share the monitor's list, created on first use.
    std::unique_ptr<LogList> monitor;
    int created = 0;
    log.setDestination(Logger::Monitor, [&] {
        if (!monitor) {
            monitor = std::make_unique<LogList>(QStringLiteral("Monitor"));
            ++created;
        }
        return monitor.get();
    });
    log.setDestination(Logger::MonitorAlt, [&] { return monitor.get(); });
    log.scriviLog(QStringLiteral("m1"), Logger::Monitor);
    log.scriviLog(QStringLiteral("m2"), Logger::MonitorAlt);
    QCOMPARE(created, 1);
    QCOMPARE(monitor->lines(), (QStringList{QStringLiteral("m1"), QStringLiteral("m2")}));
}

void TestLogLists::stampedListsUseTimeBarMessage()
{
    TextValue level(QStringLiteral("5")); // the level does not decorate these lists
    Logger log(level);
    log.setClock([] { return QTime(10, 31, 7); });
    log.aggiungiList2(QStringLiteral("LEGGO PREFERENZE"));
    log.addlist3(QStringLiteral("ID [7] | grp [3] | qnt_req [10] | qnt_out [4]"), 1);
    log.addlist3(QStringLiteral("ignored"), 2);
    QCOMPARE(log.list2().lines(), QStringList{QStringLiteral("10:31:07 | LEGGO PREFERENZE")});
    QCOMPARE(log.list3(1).lines(), QStringList{QStringLiteral("10:31:07 | ID [7] | grp [3] | qnt_req [10] | qnt_out [4]")});
    QCOMPARE(log.list3(0).count(), 0);
}

QTEST_GUILESS_MAIN(TestLogLists)
#include "tst_loglists.moc"
