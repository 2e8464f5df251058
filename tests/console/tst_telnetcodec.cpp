// The telnet side of the console, from bytes: the opening, every answer of
// the negotiation tables, subnegotiations and their bounds, and the same
// result whatever way the bytes are split.
#include <QtTest>

#include "console/TelnetCodec.h"

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

constexpr int IAC = 255, DO = 253, DONT = 254, WILL = 251, WONT = 252, SB = 250, SE = 240;

TelnetCodec::Output feed(TelnetCodec &c, const QByteArray &in)
{
    TelnetCodec::Output out;
    c.feed(in, out);
    return out;
}

TelnetCodec connectedCodec()
{
    TelnetCodec c;
    c.connected();
    return c;
}

} // namespace

class TestTelnetCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theOpeningNegotiation();
    void answers_data();
    void answers();
    void subnegotiations();
    void dataPassesAndSplitsDoNotMatter();
};

void TestTelnetCodec::theOpeningNegotiation()
{
    QCOMPARE(TelnetCodec::opening(), bytes({255, 253, 1, 255, 253, 3, 255, 251, 31, 255, 251, 24, 255, 251, 32}));
}

void TestTelnetCodec::answers_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray type = bytes({IAC, WILL, 24, IAC, SB, 24, 0}) + "VT100" + bytes({IAC, SE});
    QTest::newRow("DO binary") << bytes({IAC, DO, 0}) << bytes({IAC, WONT, 0});
    QTest::newRow("DO echo") << bytes({IAC, DO, 1}) << bytes({IAC, WONT, 1});
    QTest::newRow("DO sga") << bytes({IAC, DO, 3}) << bytes({IAC, WILL, 3});
    QTest::newRow("DO terminal type") << bytes({IAC, DO, 24}) << type;
    QTest::newRow("DO naws") << bytes({IAC, DO, 31}) << bytes({IAC, SB, 31, 0, 80, 0, 24, IAC, SE});
    QTest::newRow("DO speed") << bytes({IAC, DO, 32}) << bytes({IAC, WILL, 32, IAC, SB, 32, 0}) + "57600,57600" + bytes({IAC, SE});
    QTest::newRow("DO authentication") << bytes({IAC, DO, 37}) << bytes({IAC, WILL, 37, IAC, SB, 37, 0, 0, 0, 0, IAC, SE});
    QTest::newRow("DO other") << bytes({IAC, DO, 99}) << bytes({IAC, WONT, 99});
    // Offers are answered once; WONT SGA takes ours back, so a new DO is answered again.
    QTest::newRow("DO sga twice") << bytes({IAC, DO, 3, IAC, DO, 3}) << bytes({IAC, WILL, 3});
    QTest::newRow("DO terminal type twice") << bytes({IAC, DO, 24, IAC, DO, 24}) << type;
    QTest::newRow("sga taken back") << bytes({IAC, DO, 3, IAC, WONT, 3, IAC, DO, 3}) << bytes({IAC, WILL, 3, IAC, DONT, 3, IAC, WILL, 3});
    // Right after connecting the host's echo and suppress-go-ahead count as accepted.
    QTest::newRow("WILL ECHO: accepted already") << bytes({IAC, WILL, 1}) << QByteArray();
    QTest::newRow("WILL other") << bytes({IAC, WILL, 24}) << bytes({IAC, DONT, 24});
    QTest::newRow("WONT ECHO") << bytes({IAC, WONT, 1}) << bytes({IAC, DONT, 1});
    QTest::newRow("WONT other") << bytes({IAC, WONT, 77}) << bytes({IAC, WONT, 77});
    QTest::newRow("DONT ECHO after connect") << bytes({IAC, DONT, 1}) << QByteArray();
    QTest::newRow("DONT SGA after connect") << bytes({IAC, DONT, 3}) << QByteArray();
    QTest::newRow("DONT other") << bytes({IAC, DONT, 24}) << bytes({IAC, WONT, 24});
    // Echo withdrawn, then offered again: asked for again, once.
    QTest::newRow("WONT then WILL ECHO") << bytes({IAC, WONT, 1, IAC, WILL, 1, IAC, WILL, 1})
                                         << bytes({IAC, DONT, 1, IAC, DO, 1});
    QTest::newRow("WONT ECHO then DONT ECHO") << bytes({IAC, WONT, 1, IAC, DONT, 1}) << bytes({IAC, DONT, 1, IAC, WONT, 1});
    QTest::newRow("IAC and an unknown command") << bytes({IAC, 241}) << QByteArray();
    for (int option : {3, 5, 6, 32, 33, 34, 35, 36, 39})
        QTest::newRow(qPrintable(QStringLiteral("WONT %1").arg(option))) << bytes({IAC, WONT, option}) << bytes({IAC, DONT, option});
    // A stray SE answers the last request again, as the table has it.
    QTest::newRow("stray SE") << bytes({IAC, SB, 24, 1, IAC, SE, IAC, SE})
                              << bytes({IAC, SB, 24, 0}) + "DEC-VT100" + bytes({IAC, SE, IAC, SB, 24, 0}) + "DEC-VT100" + bytes({IAC, SE});
}

void TestTelnetCodec::answers()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, reply);
    TelnetCodec c = connectedCodec();
    const TelnetCodec::Output out = feed(c, in);
    QCOMPARE(out.reply, reply);
    QVERIFY(out.data.isEmpty());
    QCOMPARE(c.state(), TelnetCodec::Data);
    // A new connection starts the offers afresh.
    c.connected();
    QCOMPARE(feed(c, in).reply, reply);
}

void TestTelnetCodec::subnegotiations()
{
    TelnetCodec c = connectedCodec();
    // The terminal type asked for: "DEC-VT100" (DO TERMINAL-TYPE got "VT100").
    QCOMPARE(feed(c, bytes({IAC, SB, 24, 1, IAC, SE})).reply, bytes({IAC, SB, 24, 0}) + "DEC-VT100" + bytes({IAC, SE}));
    QCOMPARE(feed(c, bytes({IAC, SB, 32, 1, IAC, SE})).reply,
             bytes({IAC, WILL, 32, IAC, SB, 32, 0}) + "57600,57600" + bytes({IAC, SE}));
    QCOMPARE(feed(c, bytes({IAC, SB, 24, 0, 'x', IAC, SE})).reply, QByteArray()); // not a SEND
    // A 255 inside ends the buffer there: what follows is not a subnegotiation any more.
    TelnetCodec::Output out = feed(c, bytes({IAC, SB, 24, IAC, 1, 'a', 'b'}));
    QCOMPARE(out.reply, QByteArray());
    QCOMPARE(out.data, QByteArray("ab"));
    // Longer than 11 bytes: the rest is dropped, the machine stays in step.
    QByteArray longSub = bytes({IAC, SB, 24, 1});
    longSub += QByteArray(500, 'z');
    out = feed(c, longSub);
    QCOMPARE(c.subnegotiation().size(), TelnetCodec::kSubLimit);
    out = feed(c, bytes({IAC, SE}) + "after");
    QCOMPARE(out.reply, bytes({IAC, SB, 24, 0}) + "DEC-VT100" + bytes({IAC, SE}));
    QCOMPARE(out.data, QByteArray("after"));
}

void TestTelnetCodec::dataPassesAndSplitsDoNotMatter()
{
    const QByteArray stream = QByteArray("login: ") + bytes({IAC, DO, 24, IAC, WILL, 1, IAC, SB, 24, 1, IAC, SE}) + "ok\r\n"
        + bytes({IAC, DO, 31, IAC, WONT, 3, IAC, DONT, 99}) + "\x1b[2J" + bytes({IAC, SB, 32, 1, IAC, SE, IAC, 246}) + "end";
    // IAC IAC is not a data byte here: both go.
    TelnetCodec plain = connectedCodec();
    QCOMPARE(feed(plain, bytes({'a', IAC, IAC, 'b'})).data, QByteArray("ab"));
    TelnetCodec whole = connectedCodec();
    const TelnetCodec::Output all = feed(whole, stream);
    QCOMPARE(all.data, QByteArray("login: ok\r\n\x1b[2Jend"));
    for (int piece = 1; piece <= stream.size(); ++piece) {
        TelnetCodec c = connectedCodec();
        TelnetCodec::Output out;
        for (qsizetype at = 0; at < stream.size(); at += piece)
            c.feed(stream.mid(at, piece), out);
        QCOMPARE(out.data, all.data);
        QCOMPARE(out.reply, all.reply);
    }
}

QTEST_GUILESS_MAIN(TestTelnetCodec)
#include "tst_telnetcodec.moc"
