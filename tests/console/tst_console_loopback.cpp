// The console against a scripted telnet server on loopback: the opening
// negotiation, the answers, the screen, the keys, the login procedure from
// a closed connection up to the password, and the peer's close.
#include <QtTest>

#include "../support/Loopback.h"
#include "console/KeyMap.h"
#include "console/TelnetConsole.h"

namespace {

bool screenShows(TelnetConsole &c, const QString &text)
{
    return QTest::qWaitFor([&] { return c.screen().contains(text); }, 20000);
}

} // namespace

class TestConsoleLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void negotiationScreenAndKeys();
    void theLoginProcedureFromAClosedConnection();
    void settingsAreChecked();
    void aHostThatNeverReadsGetsNoMoreAnswers();
    void thousandsOfRequestsInOneWriteAreAllAnswered();
};

void TestConsoleLoopback::negotiationScreenAndKeys()
{
    ScriptedHost host;
    ManualClock clock;
    TelnetConsole console(QStringLiteral("127.0.0.1"), &clock);
    console.show();
    QCOMPARE(console.applySettings(QStringLiteral("127.0.0.1"), host.port()), QString());
    console.open();
    QCOMPARE(console.panels[3]->text(), QStringLiteral("Connecting to Remote Host"));
    QVERIFY(host.connected());
    QVERIFY(host.heard(TelnetCodec::opening()));
    QTRY_VERIFY_WITH_TIMEOUT(console.isConnected(), 20000);
    QCOMPARE(console.panels[0]->text(), QStringLiteral("Connected"));
    QCOMPARE(console.panels[3]->text(), QStringLiteral("Connection Accepted By Remote Host"));
    QCOMPARE(host.got, TelnetCodec::opening()); // 15 bytes, nothing more before the host speaks
    host.got.clear();
    // The host asks for the terminal type and speaks.
    host.say(QByteArray("\xff\xfd\x18") + "\x1b[2J\x1b[1;1HWelcome\r\n\x1b[1;32mlogin: ");
    QVERIFY(screenShows(console, QStringLiteral("login:")));
    QVERIFY(host.heard(QByteArray("\xff\xfb\x18\xff\xfa\x18\x00VT100\xff\xf0", 13)));
    QCOMPARE(console.screen().line(0).trimmed(), QStringLiteral("Welcome"));
    // Keys (Enter, Ctrl+C, an arrow: tst_console_headless, tst_consolewindow).
    host.got.clear();
    console.key(Qt::Key_Shift, QString(), false); // nothing
    console.key(0, QStringLiteral("ÿ"), false); // 255 in the code page: doubled, as telnet data
    QVERIFY(host.heard("\xff\xff"));
    QCOMPARE(host.got, QByteArray("\xff\xff"));
    // The host goes away.
    host.peer->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(console.panels[0]->text(), QStringLiteral("Closed"), 20000);
    QCOMPARE(console.panels[3]->text(), QStringLiteral("Connection Reset"));
    QCOMPARE(console.panels[1]->text(), QString());
    QVERIFY(!console.isConnected() && !console.connecting());
    // Keys go nowhere while closed.
    console.key(Qt::Key_A, QStringLiteral("a"), false);
}

void TestConsoleLoopback::theLoginProcedureFromAClosedConnection()
{
    ScriptedHost host;
    ManualClock clock;
    TelnetConsole console(QStringLiteral("127.0.0.1"), &clock);
    console.show();
    console.applySettings(QStringLiteral("127.0.0.1"), host.port());
    // The steps after the login, and their waits: tst_procedures.
    console.procedures().workPd();
    QVERIFY(host.connected());
    QVERIFY(host.heard(TelnetCodec::opening()));
    host.say("\r\nlogin: ");
    QVERIFY(host.heard("quocom\r\n"));
    host.say("quocom\r\nPassword: ");
    QVERIFY(host.heard("vadrin\r\n"));
    host.say("\r\n[tormix/lan]$ ");
    QVERIFY(host.heard("q\r\n"));
    QVERIFY(!console.screen().contains(QStringLiteral("vadrin"))); // the host never echoed it
}

void TestConsoleLoopback::settingsAreChecked()
{
    TelnetConsole console;
    QCOMPARE(console.host(), TelnetConsole::kDefaultHost);
    QCOMPARE(console.port(), quint16(23));
    QVERIFY(!console.applySettings(QStringLiteral("pd"), QStringLiteral("abc")).isEmpty());
    QVERIFY(!console.applySettings(QStringLiteral("pd"), QStringLiteral("70000")).isEmpty());
    QVERIFY(!console.applySettings(QString(), QStringLiteral("23")).isEmpty());
    QCOMPARE(console.host(), TelnetConsole::kDefaultHost);
    QCOMPARE(console.applySettings(QStringLiteral(" dialer "), QStringLiteral("2323")), QString());
    QCOMPARE(console.host(), QStringLiteral("dialer"));
    QCOMPARE(console.port(), quint16(2323));
    // Key names for the headless "key" command, in any case (Enter, Ctrl+C and Up: tst_console_headless).
    int key = 0;
    QString text;
    bool ctrl = false;
    QVERIFY(keymap::byName(QStringLiteral("F4"), key, text, ctrl));
    QCOMPARE(keymap::bytesFor(key, text, ctrl), QByteArray("\x1bOS"));
    QVERIFY(keymap::byName(QStringLiteral("end"), key, text, ctrl));
    QCOMPARE(keymap::bytesFor(key, text, ctrl), QByteArray("\x1b[K"));
    QVERIFY(!keymap::byName(QStringLiteral("ls"), key, text, ctrl));
    QCOMPARE(keymap::bytesFor(0, QString(QChar(0)), false), QByteArray()); // only a NUL: nothing
}

void TestConsoleLoopback::aHostThatNeverReadsGetsNoMoreAnswers()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    ManualClock clock;
    TelnetConsole console(QStringLiteral("127.0.0.1"), &clock);
    console.show();
    console.applySettings(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
    console.open();
    QVERIFY(server.waitForNewConnection(20000));
    QTcpSocket *host = server.nextPendingConnection();
    host->setReadBufferSize(1); // never read: the system's buffers fill
    host->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    QTRY_VERIFY_WITH_TIMEOUT(console.isConnected(), 20000);
    // Window-size requests, each answered with 9 bytes, far beyond what the
    // system's buffers take.
    QByteArray asks;
    for (int i = 0; i < 1000000; ++i)
        asks += "\xff\xfd\x1f";
    host->write(asks);
    QVERIFY(QTest::qWaitFor([&] { return console.receivedBytes() == asks.size(); }, 30000));
    QVERIFY(console.pendingBytes() <= TelnetConsole::kMaxPendingReplies);
    QVERIFY(console.droppedBytes() > 0); // 9 MB of answers did not all fit
    // Closed and opened again: the host and port of the console's load.
    console.unload();
    console.show();
    QCOMPARE(console.host(), QStringLiteral("127.0.0.1"));
    QCOMPARE(console.port(), TelnetConsole::kDefaultPort);
}

void TestConsoleLoopback::thousandsOfRequestsInOneWriteAreAllAnswered()
{
    ScriptedHost host;
    ManualClock clock;
    TelnetConsole console(QStringLiteral("127.0.0.1"), &clock);
    console.show();
    console.applySettings(QStringLiteral("127.0.0.1"), host.port());
    console.open();
    QVERIFY(host.connected());
    QVERIFY(host.heard(TelnetCodec::opening()));
    host.got.clear();
    // 4,000 terminal-speed requests, 80 KB of answers: more than the bound
    // on what may wait unsent, all of it for a host that reads.
    const QByteArray speed = QByteArray("\xff\xfb\x20\xff\xfa\x20\x00", 7) + "57600,57600" + "\xff\xf0";
    host.say(QByteArray("\xff\xfd\x20").repeated(4000) + "\xff\xfd\x1f");
    const QByteArray all = speed.repeated(4000) + QByteArray("\xff\xfa\x1f\x00\x50\x00\x18\xff\xf0", 9);
    QVERIFY(all.size() > TelnetConsole::kMaxPendingReplies);
    QVERIFY(QTest::qWaitFor([&] { return host.got.size() >= all.size(); }, 20000));
    QCOMPARE(host.got, all);
    QCOMPARE(console.droppedBytes(), 0);
}

QTEST_GUILESS_MAIN(TestConsoleLoopback)
#include "tst_console_loopback.moc"
