// The console's window over its model: menus and status bar as the
// operator knows them, keys from the screen to the host, the screen drawn
// from the model, the window following the console's opening.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "../../support/Loopback.h"
#include "console/TelnetConsole.h"
#include "console/ui/ConsoleWindow.h"
#include "console/ui/ScreenView.h"

class TestConsoleWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menusKeysAndScreen();
};

void TestConsoleWindow::menusKeysAndScreen()
{
    ScriptedHost host;
    TelnetConsole console;
    ConsoleWindow window(console);
    QVERIFY(!window.isVisible());
    console.show();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Obel Telnet Client"));
    for (const char *name : {"mExit", "mSettings", "mOpen", "mClose", "pd", "prcmon", "quotrace", "TraceCalling"})
        QVERIFY2(window.findChild<QAction *>(QString::fromLatin1(name)), name);
    QCOMPARE(window.findChild<QAction *>(QStringLiteral("quotrace"))->text(), QStringLiteral("&quotrace"));
    QCOMPARE(window.findChild<QMenu *>(QStringLiteral("mnulog"))->actions().size(), 21);
    QCOMPARE(window.findChild<QAction *>(QStringLiteral("log_16"))->text(), QStringLiteral("WARNING MORE_OP"));

    QCOMPARE(console.applySettings(QStringLiteral("127.0.0.1"), host.port()), QString());
    window.findChild<QAction *>(QStringLiteral("mOpen"))->trigger();
    QVERIFY(QTest::qWaitFor([&] { return bool(host.peer) && console.isConnected(); }, 20000));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("Connected"));
    QVERIFY(host.heard(TelnetCodec::opening()));
    host.got.clear();
    QTest::keyClick(&window.screen(), Qt::Key_X);
    QTest::keyClick(&window.screen(), Qt::Key_Return);
    QTest::keyClick(&window.screen(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&window.screen(), Qt::Key_Tab); // to the host, not to the next control
    QTest::keyClick(&window.screen(), '@', Qt::ControlModifier | Qt::AltModifier); // AltGr on some systems
    QVERIFY(host.heard("x\r\n\x03\t@"));
    QCOMPARE(host.got, QByteArray("x\r\n\x03\t@"));

    // What the host writes is drawn: a red cell where it wrote in red.
    host.say("\x1b[41m  \x1b[0m");
    QVERIFY(QTest::qWaitFor([&] { return console.screen().style(0, 1).bg == Vt100Screen::palette(1); }, 20000));
    const QImage image = window.screen().grab().toImage();
    const QSize cell = window.screen().cell();
    QCOMPARE(image.pixelColor(cell.width() + cell.width() / 2, cell.height() / 2), QColor(128, 0, 0));

    window.close();
    QVERIFY(!console.loaded.value());
    QVERIFY(!console.isConnected());
}

QTEST_MAIN(TestConsoleWindow)
#include "tst_consolewindow.moc"
