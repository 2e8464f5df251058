// frm_WDog over its model: opened by the model, the report in a fixed
// font, the caption, closing stops listening.
#include <QtTest>

#include "auxiliary/WatchdogMonitor.h"
#include "auxiliary/ui/WatchdogWindow.h"

#include <QListView>
#include <QTcpSocket>

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

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, monitor.port());
    QVERIFY(peer.waitForConnected(20000));
    peer.write("WD Ready on 10.0.0.1 06/12/2026 10:00:00\r\noper.log|in pausa|working |\r\n");
    QVERIFY(QTest::qWaitFor([&] { return window.list().model()->rowCount() == 3; }, 20000));
    QCOMPARE(window.list().model()->index(1, 0).data().toString(), QStringLiteral("oper.log|in pausa|working |"));
    monitor.tick();
    QVERIFY(window.windowTitle().endsWith(QStringLiteral(" Stato: 7")));

    // The list fills the window.
    window.resize(500, 300);
    QCOMPARE(window.list().geometry(), window.rect());

    window.close();
    QVERIFY(!monitor.isOpen());
    QVERIFY(QTest::qWaitFor([&] { return peer.state() == QAbstractSocket::UnconnectedState; }, 20000));
    // Opened again from the menu, it listens again.
    monitor.show();
    QVERIFY(window.isVisible());
    QCOMPARE(monitor.state(), 2);
}

QTEST_MAIN(TestWatchdogWindow)
#include "tst_watchdogwindow.moc"
