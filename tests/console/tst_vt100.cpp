// The console's VT100 subset, from bytes: cursor addressing and its
// clamping, erasing, attributes and colours, line drawing, tabs, scrolling
// and its area, and the quirks the console has always had: any letter ends
// a sequence, control bytes inside one are collected, column 79 is
// overwritten, ESC D does not scroll.
#include <QtTest>

#include "console/Vt100Screen.h"

namespace {

Vt100Screen fed(const QByteArray &bytes)
{
    Vt100Screen s;
    s.feed(bytes);
    return s;
}

QPoint cursor(const Vt100Screen &s)
{
    return {s.col(), s.row()};
}

} // namespace

class TestVt100 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cursorAddressingIsClamped_data();
    void cursorAddressingIsClamped();
    void erasing();
    void attributesAndColours();
    void lineDrawingAndPrinting();
    void tabStops();
    void scrollingAndItsArea();
    void sequenceCollectionQuirks();
    void splitsGiveTheSameScreen();
    void waitsSeeOneLineAtATime();
};

void TestVt100::cursorAddressingIsClamped_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QPoint>("at"); // column, row
    QTest::newRow("10;20H") << QByteArray("\x1b[10;20H") << QPoint(19, 9);
    QTest::newRow("H homes") << QByteArray("\x1b[10;20H\x1b[H") << QPoint(0, 0);
    QTest::newRow("f like H") << QByteArray("\x1b[3;4f") << QPoint(3, 2);
    QTest::newRow("99;99H") << QByteArray("\x1b[99;99H") << QPoint(79, 24);
    QTest::newRow("saturated") << QByteArray("\x1b[999999999999;5H") << QPoint(4, 24);
    QTest::newRow("A up by n") << QByteArray("\x1b[10;10H\x1b[3A") << QPoint(9, 6);
    QTest::newRow("A 0 is 1") << QByteArray("\x1b[10;10H\x1b[0A") << QPoint(9, 8);
    QTest::newRow("B beyond") << QByteArray("\x1b[50B") << QPoint(0, 24);
    QTest::newRow("C and D") << QByteArray("\x1b[5C\x1b[2D") << QPoint(3, 0);
    QTest::newRow("D below 0") << QByteArray("\x1b[9D") << QPoint(0, 0);
    QTest::newRow("save restore s u") << QByteArray("\x1b[5;6H\x1b[s\x1b[H\x1b[u") << QPoint(5, 4);
    QTest::newRow("save restore 7 8") << QByteArray("\x1b[5;6H\x1b" "7\x1b[H\x1b" "8") << QPoint(5, 4);
    QTest::newRow("ESC D no scroll") << QByteArray("\x1b[25;1H\x1b" "D") << QPoint(0, 24);
    QTest::newRow("ESC E") << QByteArray("\x1b[5;6H\x1b" "E") << QPoint(0, 5);
    QTest::newRow("ESC M") << QByteArray("\x1b[5;6H\x1bM") << QPoint(5, 3);
    QTest::newRow("ESC BS") << QByteArray("ab\x1b\x08") << QPoint(1, 0);
    QTest::newRow("BS at 0") << QByteArray("\x08") << QPoint(0, 0);
    QTest::newRow("negative") << QByteArray("\x1b[-5;-7H") << QPoint(0, 0);
}

void TestVt100::cursorAddressingIsClamped()
{
    QFETCH(QByteArray, in);
    QFETCH(QPoint, at);
    QCOMPARE(cursor(fed(in)), at);
}

void TestVt100::erasing()
{
    QByteArray fill;
    for (int r = 0; r < 25; ++r)
        fill += "\x1b[" + QByteArray::number(r + 1) + ";1H" + QByteArray(80, char('a' + r % 26));
    Vt100Screen s = fed(fill + "\x1b[2J");
    QCOMPARE(s.line(0), QString(80, QLatin1Char(' ')));
    QCOMPARE(cursor(s), QPoint(0, 0));
    // J at 0,0 clears all; elsewhere it erases from the cursor on.
    s = fed(fill + "\x1b[H\x1b[J");
    QVERIFY(s.line(24).trimmed().isEmpty());
    s = fed(fill + "\x1b[3;5H\x1b[J");
    QCOMPARE(s.line(2), QStringLiteral("cccc") + QString(76, QLatin1Char(' ')));
    QCOMPARE(s.line(1), QString(80, QLatin1Char('b')));
    QVERIFY(s.line(24).trimmed().isEmpty());
    QCOMPARE(cursor(s), QPoint(4, 2));
    s = fed(fill + "\x1b[3;5H\x1b[1J"); // up to the cursor, the cursor cell included
    QVERIFY(s.line(1).trimmed().isEmpty());
    QCOMPARE(s.line(2), QString(5, QLatin1Char(' ')) + QString(75, QLatin1Char('c')));
    s = fed(fill + "\x1b[3;5H\x1b[K");
    QCOMPARE(s.line(2), QStringLiteral("cccc") + QString(76, QLatin1Char(' ')));
    s = fed(fill + "\x1b[3;5H\x1b[1K");
    QCOMPARE(s.line(2), QString(5, QLatin1Char(' ')) + QString(75, QLatin1Char('c')));
    s = fed(fill + "\x1b[3;5H\x1b[2K");
    QVERIFY(s.line(2).trimmed().isEmpty());
    QCOMPARE(s.line(3), QString(80, QLatin1Char('d')));
    s = fed(fill + "\x1b[3;5H\x1b[7K\x1b[5J"); // other values: nothing
    QCOMPARE(s.line(2), QString(80, QLatin1Char('c')));
    QCOMPARE(s.attributes(2), QString(80, QLatin1Char('0')));
}

void TestVt100::attributesAndColours()
{
    Vt100Screen s = fed("\x1b[1;31mAB\x1b[0mC\x1b[7mD\x1b[44;33mE\x1b[99mF\x1b[mG\x1b[4;5mH\x1b[8mI");
    QCOMPARE(s.line(0).left(9), QStringLiteral("ABCDEFGHI"));
    QCOMPARE(s.attributes(0)[0], QChar(31)); // only the last code in force
    QCOMPARE(s.attributes(0)[2], QChar(0));
    QCOMPARE(s.attributes(0)[4], QChar(33));
    QCOMPARE(s.attributes(0)[5], QChar(33)); // 99 is no code: the last one stays
    QCOMPARE(s.attributes(0)[9], QLatin1Char('0')); // never written
    const Vt100Screen::Style bold = s.style(0, 0);
    QVERIFY(bold.bold);
    QCOMPARE(bold.fg, Vt100Screen::rgb(128, 0, 0)); // red, palette entry 4
    QVERIFY(!s.style(0, 2).bold);
    QCOMPARE(s.style(0, 2).fg, Vt100Screen::rgb(0, 0, 0)); // code 0: the defaults again
    QCOMPARE(s.style(0, 2).bg, Vt100Screen::rgb(255, 255, 255));
    QCOMPARE(s.style(0, 3).fg, Vt100Screen::rgb(255, 255, 255)); // reverse: the default background
    QCOMPARE(s.style(0, 3).bg, Vt100Screen::rgb(0, 0, 0));
    QCOMPARE(s.style(0, 4).fg, Vt100Screen::rgb(255, 255, 0));
    QCOMPARE(s.style(0, 4).bg, Vt100Screen::rgb(0, 0, 128));
    QVERIFY(s.style(0, 7).underline && s.style(0, 7).italic);
    QCOMPARE(s.style(0, 8).fg, s.style(0, 8).bg); // hidden
    for (int i = 0; i < 8; ++i)
        QCOMPARE(Vt100Screen::palette(i),
                 (std::array<Vt100Screen::Rgb, 8>{Vt100Screen::rgb(0, 0, 0), Vt100Screen::rgb(128, 0, 0), Vt100Screen::rgb(0, 128, 0),
                                                  Vt100Screen::rgb(255, 255, 0), Vt100Screen::rgb(0, 0, 128), Vt100Screen::rgb(128, 0, 128),
                                                  Vt100Screen::rgb(0, 128, 128), Vt100Screen::rgb(255, 255, 255)})[size_t(i)]);
}

void TestVt100::lineDrawingAndPrinting()
{
    Vt100Screen s = fed("\x0elqqkjmvwxa\x0flq");
    QCOMPARE(s.line(0).left(12), QStringLiteral("+--+++++|alq"));
    // 81 characters on a row: the last one in column 79.
    QByteArray row(79, 'x');
    row += "YZ";
    s = fed(row);
    QCOMPARE(s.line(0).right(1), QStringLiteral("Z"));
    QCOMPARE(cursor(s), QPoint(79, 0));
    // Bytes beyond ASCII in the code page, controls and NULs not printed.
    s = fed(QByteArray("\xe8\x01\x00\x7f!\x07", 6));
    QCOMPARE(s.line(0).left(3), QStringLiteral("è\x7f!"));
    QCOMPARE(s.bells(), 1);
}

void TestVt100::tabStops()
{
    // No stops: HT goes to slot 21, which is 0.
    QCOMPARE(cursor(fed("abc\t")), QPoint(0, 0));
    Vt100Screen s = fed("\x1b[1;9H\x1bH\x1b[1;17H\x1bH\r\tA\tB");
    QCOMPARE(s.line(0).indexOf(QLatin1Char('A')), 8);
    QCOMPARE(s.line(0).indexOf(QLatin1Char('B')), 16);
    s.feed("\x1b[g\r\tC"); // stops cleared to 0: back to column 0
    QCOMPARE(s.line(0).indexOf(QLatin1Char('C')), 0);
    // Only 21 stops fit; the 21st answers when no other is beyond the cursor.
    Vt100Screen many;
    for (int i = 1; i <= 25; ++i)
        many.feed("\x1b[1;" + QByteArray::number(i * 3) + "H\x1bH");
    QCOMPARE(many.tabCount(), 21);
    QCOMPARE(many.tabStop(20), 62); // column 63 counted from 1
    many.feed("\x1b[1;70H\t");
    QCOMPARE(many.col(), 62);
}

void TestVt100::scrollingAndItsArea()
{
    QByteArray rows;
    for (int r = 0; r < 25; ++r)
        rows += "\x1b[" + QByteArray::number(r + 1) + ";1Hrow" + QByteArray::number(r);
    Vt100Screen s = fed(rows + "\n");
    QCOMPARE(s.line(0).trimmed(), QStringLiteral("row1")); // row 0 has left the screen
    QCOMPARE(s.line(23).trimmed(), QStringLiteral("row24"));
    QVERIFY(s.line(24).trimmed().isEmpty());
    QCOMPARE(cursor(s), QPoint(5, 24));
    // A scrolling area from row 3 (the second number is not used).
    s = fed(rows + "\x1b[4;10r\x1b[25;1H\n\x0b\x0c");
    QCOMPARE(s.line(2).trimmed(), QStringLiteral("row2")); // above the area: stays
    QCOMPARE(s.line(3).trimmed(), QStringLiteral("row6"));
    QCOMPARE(s.scrollTop(), 3);
    QCOMPARE(fed("\x1b[r").scrollTop(), 0);
}

void TestVt100::sequenceCollectionQuirks()
{
    // Any letter ends a sequence, whatever its introducer: ESC ( B moves down.
    QCOMPARE(cursor(fed("\x1b(B")), QPoint(0, 1));
    QCOMPARE(cursor(fed("\x1b[5;5H\x1b#A")), QPoint(4, 3));
    // Sequences it does nothing with.
    QCOMPARE(fed("\x1b[?25hX").line(0).left(1), QStringLiteral("X"));
    QCOMPARE(fed("\x1b" "cX").line(0).left(1), QStringLiteral("X"));
    QCOMPARE(fed("\x1bZ\x1bIX").line(0).left(1), QStringLiteral("X"));
    QCOMPARE(fed("\x1b%X").line(0).left(1), QStringLiteral("X")); // "%" is dropped with its ESC
    // Control bytes inside a sequence are collected, not acted on: the line
    // feed neither moves the cursor nor joins the digits around it.
    Vt100Screen s = fed("\x1b[1\n0;2\r0H");
    QCOMPARE(cursor(s), QPoint(1, 0));
    QCOMPARE(cursor(fed("\x1b[5;5H\x1b[-3A")), QPoint(4, 3)); // "-3" is no number: 1
    // Longer than 15 characters without a letter: dropped, and what follows is text.
    s = fed("\x1b[1;2;3;4;5;6;7;8;9X");
    QVERIFY(!s.escaping());
    s = fed("\x1b[0000000000000000000012H");
    QVERIFY(!s.escaping());
    QCOMPARE(s.line(0).left(8), QStringLiteral("0000012H"));
    QVERIFY(fed("\x1b[12").escaping());
    QVERIFY(fed("\x1b[12").escapeBuffer().size() <= Vt100Screen::kEscapeLimit);
}

void TestVt100::splitsGiveTheSameScreen()
{
    const QByteArray stream = "\x1b[2J\x1b[1;31mHello\x1b[0m\r\n\x0elqk\x0f\x1b[5;10Hx\x1b[K\x1b[3;4r\x1b[25;1H\n\n"
                              "\x1b[10;10H\x1bH\r\tT\x1b(B\x1b[1\n2C\xe8";
    const Vt100Screen whole = fed(stream);
    for (int piece = 1; piece <= 7; ++piece) {
        Vt100Screen s;
        for (qsizetype at = 0; at < stream.size(); at += piece)
            s.feed(stream.mid(at, piece));
        QCOMPARE(s.lines(), whole.lines());
        QCOMPARE(cursor(s), cursor(whole));
        for (int r = 0; r < Vt100Screen::kRows; ++r)
            QCOMPARE(s.attributes(r), whole.attributes(r));
    }
}

void TestVt100::waitsSeeOneLineAtATime()
{
    Vt100Screen s = fed("\x1b[24;75Hlogi\x1b[25;1Hn:");
    QVERIFY(!s.contains(QStringLiteral("login:")));
    s.feed("\rlogin: ");
    QVERIFY(s.contains(QStringLiteral("login:")));
    QVERIFY(!s.contains(QStringLiteral("Login:")));
}

QTEST_GUILESS_MAIN(TestVt100)
#include "tst_vt100.moc"
