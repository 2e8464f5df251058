// The console without a window: opened by its menu caption, the screen
// printed as "Screen | rr | text" lines after each burst, keys typed with
// "key", the procedures and settings by caption.
#include <QtTest>

#include "../support/Loopback.h"
#include "../support/Program.h"
#include "app/HeadlessCommands.h"
#include "app/HeadlessFrontEnd.h"
#include "app/HeadlessMonitor.h"

class TestConsoleHeadless : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedAndPrinted();
};

void TestConsoleHeadless::typedAndPrinted()
{
    ScriptedHost host;
    Program p;
    QString printed;
    QTextStream stream(&printed);
    HeadlessOutput out(stream, false);
    HeadlessPrompts prompts(out);
    HeadlessCommands commands(*p.controller, *p.parts, prompts, out);
    printConsole(p.parts->console(), out);
    const auto shows = [&](const QString &text) { return QTest::qWaitFor([&] { return printed.contains(text); }, 20000); };

    QVERIFY(commands.run(QStringLiteral("TELNET")));
    QVERIFY(shows(QStringLiteral("Telnet | aperto")));
    QVERIFY(commands.run(QStringLiteral("Settings 127.0.0.1 ") + host.port()));
    QVERIFY(commands.run(QStringLiteral("Open")));
    QVERIFY(QTest::qWaitFor([&] { return bool(host.peer) && p.parts->console().isConnected(); }, 20000));
    host.say("\x1b[2J\x1b[1;1HUNIX(r) System V\r\n\r\nlogin: ");
    QVERIFY(shows(QStringLiteral("Screen | 00 | UNIX(r) System V\n")));
    QVERIFY(shows(QStringLiteral("Screen | 02 | login:\n")));
    QVERIFY(!printed.contains(QStringLiteral("Screen | 01 |"))); // unchanged rows are not printed
    host.got.clear();
    QVERIFY(commands.run(QStringLiteral("key \"quocom\"")));
    QVERIFY(commands.run(QStringLiteral("key Enter")));
    QVERIFY(commands.run(QStringLiteral("key Ctrl+C")));
    QVERIFY(commands.run(QStringLiteral("key Up")));
    QVERIFY(commands.run(QStringLiteral("key ls -l")));
    QVERIFY(host.heard("ls -l"));
    QCOMPARE(host.got, QByteArray("quocom\r\n\x03\x1b[Als -l"));
    // Settings that do not make sense are refused with their reason.
    QVERIFY(commands.run(QStringLiteral("Settings pd abc")));
    QVERIFY(shows(QStringLiteral("Comandi | Porta non valida: abc")));
    QVERIFY(commands.run(QStringLiteral("Close")));
    QVERIFY(shows(QStringLiteral("Telnet | pannello 4 | Connection Reset")));
}

QTEST_GUILESS_MAIN(TestConsoleHeadless)
#include "tst_console_headless.moc"
