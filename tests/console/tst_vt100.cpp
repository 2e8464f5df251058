// The console's VT100 subset in its layers, as byte scripts. The parser:
// the actions a script names, whatever writes it comes in. The screen: the
// rows and cursor a script leaves, fed whole and byte by byte, with the
// quirks the console has always had (any letter ends a sequence, control
// bytes inside one are collected, column 79 is overwritten, ESC D does not
// scroll). The cells: which rows they report changed.
#include <QtTest>

#include "console/Vt100Screen.h"

namespace {

// The parser's actions as text: 'printed run', ^n a control byte, "esc x",
// introducer and letter then the parameters; "+n" a sequence left pending.
struct Trace : Vt100Parser::Actions {
    QByteArrayList items;
    bool printing = false;
    static QByteArray name(quint8 b) { return b < 32 ? "^" + QByteArray::number(b) : QByteArray(1, char(b)); }
    void add(const QByteArray &item) { items << item; printing = false; }
    void print(quint8 b) override
    {
        if (!printing)
            items << "''";
        items.last().insert(items.last().size() - 1, char(b));
        printing = true;
    }
    void control(quint8 b) override { add(name(b)); }
    void escape(quint8 b) override { add("esc " + name(b)); }
    void sequence(const Vt100Parser::Sequence &s) override
    {
        QByteArray t = QByteArray(1, s.introducer) + s.letter;
        for (int i = 0; i < s.count; ++i)
            t += (i ? "," : " ") + QByteArray::number(s.parameters[size_t(i)]);
        add(t);
    }
};

QByteArray traced(const QByteArrayList &writes, bool byteByByte)
{
    Vt100Parser parser;
    Trace trace;
    for (const QByteArray &w : writes) {
        for (qsizetype at = 0; at < w.size(); at += byteByByte ? 1 : w.size())
            parser.feed(w.mid(at, byteByByte ? 1 : w.size()), trace);
    }
    if (parser.escaping())
        trace.add("+" + QByteArray::number(parser.pendingLength()));
    return trace.items.join(' ');
}

// The rows changed since a revision, as runs "first-last".
QByteArray changed(const Vt100Cells &cells, quint64 since)
{
    const Vt100Cells::Rows rows = cells.changedSince(since);
    QByteArrayList runs;
    for (int r = 0; r < Vt100Cells::kRows; ++r) {
        int end = r;
        while (rows[size_t(r)] && end + 1 < Vt100Cells::kRows && rows[size_t(end + 1)])
            ++end;
        if (rows[size_t(r)])
            runs << QByteArray::number(r) + "-" + QByteArray::number(end);
        r = end;
    }
    return runs.join(',');
}

// What the screen says of the item an expectation names: "@col,row" the
// cursor, "row:text" a row without its trailing blanks, "?text" a line
// holds the text ("!text" none does), "tabs=", "top=", "bells=" a count,
// "changed=" the rows the last write changed (`since`: the revision before it).
QByteArray actual(const Vt100Screen &s, const QByteArray &expected, quint64 since = 0)
{
    const auto count = [&](const char *key, int n) { return expected.startsWith(key) ? key + QByteArray::number(n) : QByteArray(); };
    if (expected.startsWith('@'))
        return "@" + QByteArray::number(s.col()) + "," + QByteArray::number(s.row());
    if (expected.startsWith('?') || expected.startsWith('!'))
        return (s.contains(QString::fromLatin1(expected.mid(1))) ? "?" : "!") + expected.mid(1);
    if (expected.startsWith("changed="))
        return "changed=" + changed(s.cells(), since);
    const QByteArray n = count("tabs=", s.state().tabCount()) + count("top=", s.state().scrollTop()) + count("bells=", s.bells());
    if (!n.isEmpty())
        return n;
    const int colon = int(expected.indexOf(':'));
    QByteArray text = s.line(expected.left(colon).toInt()).toLatin1();
    while (text.endsWith(' '))
        text.chop(1);
    return expected.left(colon + 1) + text;
}

// Each row r written: the label and r, or without a label 80 times the r-th letter.
QByteArray rows(const char *label)
{
    QByteArray all;
    for (int r = 0; r < 25; ++r)
        all += "\x1b[" + QByteArray::number(r + 1) + ";1H" + (label ? label + QByteArray::number(r) : QByteArray(80, char('a' + r)));
    return all;
}

} // namespace

class TestVt100 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parser_data();
    void parser();
    void screen_data();
    void screen();
    void attributesAndColours();
};

void TestVt100::parser_data()
{
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArray>("actions");
    QTest::newRow("text, controls, IAC never shown") << QByteArrayList{QByteArray("A\xff" "B\x07\x7f\x00", 6)} << QByteArray("'AB' ^7 '\x7f' ^0");
    QTest::newRow("parameters") << QByteArrayList{"\x1b[10;20H\x1b[H\x1b[1;;31m"} << QByteArray("[H 10,20 [H 0 [m 1,0,31");
    QTest::newRow("blanks before, saturated") << QByteArrayList{"\x1b[ 3;99999999H"} << QByteArray("[H 3,9999");
    QTest::newRow("no number") << QByteArrayList{"\x1b[-3A\x1b[1 2A"} << QByteArray("[A 0 [A 1");
    QTest::newRow("controls collected") << QByteArrayList{"\x1b[1\n0;2\r0H"} << QByteArray("[H 1,2");
    QTest::newRow("ESC and IAC collected") << QByteArrayList{"\x1b[1\x1b[2H\x1b[\xff" "5A"} << QByteArray("[H 1 [A 0");
    QTest::newRow("any introducer") << QByteArrayList{"\x1b(B\x1b#3A\x1b" "cX"} << QByteArray("(B 0 #A 3 cc 0 'X'");
    QTest::newRow("one character") << QByteArrayList{"\x1b" "7\x1b" "8\x1b" "D\x1b\x08\x1b%X\x1b\x1b["} << QByteArray("esc 7 esc 8 esc D esc ^8 esc % 'X' esc ^27 '['");
    QTest::newRow("16 with the letter") << QByteArrayList{"\x1b[1;2;3;4;5;6;7;H"} << QByteArray("[H 1,2,3,4,5,6,7,0");
    QTest::newRow("15 parameters fit") << QByteArrayList{"\x1b[;;;;;;;;;;;;;;m"} << QByteArray("[m 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    QTest::newRow("16 without: dropped") << QByteArrayList{"\x1b[1;2;3;4;5;6;7;8;9X"} << QByteArray("';9X'");
    QTest::newRow("dropped, then text") << QByteArrayList{"\x1b[0000000000000000000012H"} << QByteArray("'0000012H'");
    QTest::newRow("pending") << QByteArrayList{"\x1b[12"} << QByteArray("+3");
    QTest::newRow("ESC pending") << QByteArrayList{"x\x1b"} << QByteArray("'x' +0");
    QTest::newRow("split in three") << QByteArrayList{"\x1b[1", "0;2", "0H"} << QByteArray("[H 10,20");
}

void TestVt100::parser()
{
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArray, actions);
    QCOMPARE(traced(writes, false), actions);
    QCOMPARE(traced(writes, true), actions);
}

void TestVt100::screen_data()
{
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArrayList>("expected");
    const auto row = [](const char *name, const QByteArrayList &writes, const QByteArrayList &expected) {
        QTest::newRow(name) << writes << expected;
    };
    row("H homes", {"\x1b[10;20H\x1b[H"}, {"@0,0"});
    row("f like H", {"\x1b[3;4f"}, {"@3,2"});
    row("99;99H", {"\x1b[99;99H"}, {"@79,24"});
    row("A up by n, 0 is 1", {"\x1b[10;10H\x1b[3A\x1b[0A"}, {"@9,5"});
    row("B beyond", {"\x1b[50B"}, {"@0,24"});
    row("C and D", {"\x1b[5C\x1b[2D"}, {"@3,0"});
    row("D below 0", {"\x1b[9D"}, {"@0,0"});
    row("save restore s u", {"\x1b[5;6H\x1b[s\x1b[H\x1b[u"}, {"@5,4"});
    row("save restore 7 8", {"\x1b[5;6H\x1b" "7\x1b[H\x1b" "8"}, {"@5,4"});
    row("ESC D no scroll", {"\x1b[25;1HX\r", "\x1b" "D"}, {"@0,24", "24:X", "changed="});
    row("ESC E, ESC M", {"\x1b[5;6H\x1b" "E\x1bM\x1bM"}, {"@0,3"});
    row("ESC BS", {"ab\x1b\x08"}, {"@1,0"});
    row("BS, ESC BS at 0", {"\x08\x1b\x08"}, {"@0,0"});
    row("ESC ( B moves down", {"\x1b(B"}, {"@0,1"});
    row("sequences doing nothing", {"\x1b[?25hA\x1b" "cB\x1bZ\x1bIC\x1b%D\x1b[5;5"}, {"0:ABCD", "@4,0"});
    row("2J", {rows(nullptr), "\x1b[2J"}, {"0:", "24:", "@0,0", "changed=0-24"});
    row("J at 0,0 clears all", {rows(nullptr) + "\x1b[H\x1b[J"}, {"24:", "@0,0"});
    row("J from the cursor", {rows(nullptr) + "\x1b[3;5H", "\x1b[J"}, {"1:" + QByteArray(80, 'b'), "2:cccc", "24:", "@4,2", "changed=2-24"});
    row("1J, cursor cell included", {rows(nullptr) + "\x1b[3;5H", "\x1b[1J"}, {"1:", "2:     " + QByteArray(75, 'c'), "changed=0-2"});
    row("K", {rows(nullptr) + "\x1b[3;5H", "\x1b[K"}, {"2:cccc", "changed=2-2"});
    row("1K", {rows(nullptr) + "\x1b[3;5H\x1b[1K"}, {"2:     " + QByteArray(75, 'c')});
    row("2K", {rows(nullptr) + "\x1b[3;5H\x1b[2K"}, {"2:", "3:" + QByteArray(80, 'd')});
    row("7K 5J nothing", {rows(nullptr) + "\x1b[3;5H", "\x1b[7K\x1b[5J"}, {"2:" + QByteArray(80, 'c'), "changed="});
    row("line drawing", {"\x0elqqkjmvwxa\x0flq"}, {"0:+--+++++|alq"});
    row("81 characters", {QByteArray(79, 'x') + "YZ"}, {"0:" + QByteArray(79, 'x') + "Z", "@79,0"});
    row("code page, controls", {QByteArray("\xe8\x1f\x00\x7f!\x07", 6)}, {"0:\xe8\x7f!", "bells=1"});
    row("no stops: slot 21, 0", {"abc\t"}, {"@0,0"});
    row("stops, g clears", {"\x1b[1;9H\x1bH\x1b[1;17H\x1bH\r\tA\tB", "\x1b[g\r\tC"}, {"0:C       A       B"});
    QByteArray stops;
    for (int i = 1; i <= 25; ++i)
        stops += "\x1b[1;" + QByteArray::number(i * 3) + "H\x1bH";
    row("21 stops fit, the 21st last, kept by g", {stops + "\x1b[g\x1b[1;70H\t"}, {"tabs=21", "@62,0"});
    row("LF on row 24 scrolls", {rows("row") + "\n"}, {"0:row1", "23:row24", "24:", "@5,24"});
    row("scrolling area", {rows("row") + "\x1b[4;10r\x1b[25;1H", "\n\x0b\x0c"}, {"2:row2", "3:row6", "top=3", "changed=3-24"});
    row("r alone", {"\x1b[5r\x1b[r"}, {"top=0"});
    row("waits see one line", {"\x1b[24;75Hlogi\x1b[25;1Hn:"}, {"!login:"});
    row("cursor and modes change no row", {"x", "\r\x1b[5;5H\x1b[3A\x0e\x1b[1m\x07\x1b[4r\n"}, {"changed="});
    row("text changes its row", {"\x1b[3;1H", "x"}, {"changed=2-2"});
    row("split in two", {"\x1b[24;75Hlogi\x1b[2", "5;1Hn:\rlogin: "}, {"?login:", "!Login:", "24:login:"});
}

void TestVt100::screen()
{
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArrayList, expected);
    Vt100Screen whole, bytes;
    quint64 since = 0;
    for (const QByteArray &w : writes) {
        since = whole.cells().revision();
        whole.feed(w);
        for (const char b : w)
            bytes.feed(QByteArray(1, b));
    }
    for (const QByteArray &e : expected)
        QCOMPARE(actual(whole, e, since), e);
    QCOMPARE(bytes.lines(), whole.lines());
    QCOMPARE(actual(bytes, "@"), actual(whole, "@"));
    for (int r = 0; r < Vt100Screen::kRows; ++r)
        QCOMPARE(bytes.attributes(r), whole.attributes(r));
}

void TestVt100::attributesAndColours()
{
    Vt100Screen s;
    s.feed("\x1b[1;31mAB\x1b[0mC\x1b[7mD\x1b[44;33mE\x1b[99mF\x1b[mG\x1b[4;5mH\x1b[8mI");
    QCOMPARE(s.line(0).left(9), QStringLiteral("ABCDEFGHI"));
    // Each cell keeps the last code in force: 99 is no code, "m" alone is 0.
    const QChar codes[] = {QChar(31), QChar(31), QChar(0), QChar(7), QChar(33), QChar(33), QChar(0), QChar(5), QChar(8), QLatin1Char('0')};
    QCOMPARE(s.attributes(0).left(10), QString(codes, 10));
    using Style = Vt100Screen::Style;
    const Vt100Screen::Rgb black = Vt100Screen::rgb(0, 0, 0), white = Vt100Screen::rgb(255, 255, 255);
    const std::pair<int, Style> styles[] = {{0, {Vt100Screen::rgb(128, 0, 0), white, true}}, // bold red
                                            {2, {black, white}}, // code 0: the defaults again
                                            {3, {white, black}}, // reverse
                                            {4, {Vt100Screen::rgb(255, 255, 0), Vt100Screen::rgb(0, 0, 128)}},
                                            {7, {black, white, false, true, true}}, // italic, underline
                                            {8, {white, white, false, true, true}}}; // hidden, the styles stay
    for (const auto &[col, style] : styles)
        QVERIFY2(s.style(0, col) == style, qPrintable(QString::number(col)));
    s.feed("\r\x1b[K"); // erased cells: code "0", the defaults
    QVERIFY(s.attributes(0) == QString(80, QLatin1Char('0')) && s.style(0, 0) == (Style{black, white}));
    const std::array<int, 8> palette{0x000000, 0x800000, 0x008000, 0xFFFF00, 0x000080, 0x800080, 0x008080, 0xFFFFFF};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(Vt100Screen::palette(i), 0xFF000000u | quint32(palette[size_t(i)]));
}

QTEST_GUILESS_MAIN(TestVt100)
#include "tst_vt100.moc"
