// frm_WDog over its model: opened by the model, the report in a fixed
// font, the caption, closing stops listening.
#include <QtTest>

#include "auxiliary/WatchdogMonitor.h"
#include "auxiliary/ui/WatchdogWindow.h"

#include <QListView>

class TestWatchdogWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheReportAndClosesTheListener();
};

void TestWatchdogWindow::showsTheReportAndClosesTheListener()
{
    WatchdogMonitor monitor;
    monitor.setPort(0);
    WatchdogWindow window(monitor);
    QVERIFY(window.isHidden());
    monitor.show(); // the "wd" menu
    QVERIFY(window.isVisible());
    QCOMPARE(window.objectName(), QStringLiteral("frm_WDog"));
    QCOMPARE(window.windowTitle(), monitor.caption.text());
    QVERIFY(window.windowTitle().endsWith(QStringLiteral(" Stato: 2")));
    // The report's columns line up: every letter as wide as the next.
    const QFontMetrics metrics(window.list().font());
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii|")), metrics.horizontalAdvance(QStringLiteral("WWWW|")));

    // The report the monitor holds, row by row (what fills it: tst_watchdog).
    monitor.list.addEmptyingWhenFull(QStringLiteral("oper.log|in pausa|working |"));
    QCOMPARE(window.list().model()->rowCount(), 1);
    QCOMPARE(window.list().model()->index(0, 0).data().toString(), QStringLiteral("oper.log|in pausa|working |"));
    monitor.caption.setText(QStringLiteral("WatchDog :1526 Stato: 7"));
    QCOMPARE(window.windowTitle(), QStringLiteral("WatchDog :1526 Stato: 7"));

    // The list fills the window.
    window.resize(500, 300);
    QCOMPARE(window.list().geometry(), window.rect());

    window.close();
    QVERIFY(!monitor.isOpen());
    QCOMPARE(monitor.state(), 0);
    // Opened again from the menu, it listens again.
    monitor.show();
    QVERIFY(window.isVisible());
    QCOMPARE(monitor.state(), 2);
}

QTEST_MAIN(TestWatchdogWindow)
#include "tst_watchdogwindow.moc"
