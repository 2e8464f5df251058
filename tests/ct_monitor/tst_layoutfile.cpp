// Pos_CT.ini: what is saved is read back, an installation's own file lands
// every tile where it was, and a damaged or foreign file is read as far as
// it is sound.
#include <QtTest>

#include "ct_monitor/LayoutFile.h"
#include "wire/AnsiCodec.h"

namespace {

constexpr int kMax = 200000;

QByteArray lines(const QStringList &values)
{
    return ansi::encode(values.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

} // namespace

class TestLayoutFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whatIsSavedIsReadBack();
    void anInstallationsFileLandsEveryTile();
    void aCountThatAddsUpTooAndAnEditorsUtf8();
    void damagedFilesAreReadAsFarAsTheyAreSound();
};

void TestLayoutFile::whatIsSavedIsReadBack()
{
    layoutfile::Layout layout;
    for (int i = 0; i < 96; ++i)
        layout.tiles.append({4320 + (i % 10) * 1260, 120 + (i / 10) * 620});
    layout.texts = {{{100, 200}, QStringLiteral("Turno serale")},
                    {{0, 0}, QStringLiteral("due righe\r\nseconda, con \"virgolette\" e è")},
                    {{5, 6}, QStringLiteral("  spazi ai lati  ")}};
    const QByteArray bytes = layoutfile::write(layout);
    // One value a line: a text with line breaks stays one line of the file.
    QCOMPARE(bytes.count('\n'), 96 * 2 + 1 + 3 * 3);
    QVERIFY(!bytes.contains("\n\n"));
    const layoutfile::Layout back = layoutfile::read(bytes, 96, kMax);
    QVERIFY2(back.problem.isEmpty(), qPrintable(back.problem));
    QCOMPARE(back.tiles, layout.tiles);
    QCOMPARE(back.texts.size(), 3);
    QCOMPARE(back.texts[0], layout.texts[0]);
    QCOMPARE(back.texts[1].text, QStringLiteral("due righe\nseconda, con \"virgolette\" e è"));
    QCOMPARE(back.texts[2].text, layout.texts[2].text);
    // Read by a window with fewer tiles or more: the tiles saved (the caller
    // places those it has) and the texts.
    for (int count : {40, 200}) {
        const layoutfile::Layout other = layoutfile::read(bytes, count, kMax);
        QVERIFY2(other.problem.isEmpty(), qPrintable(other.problem));
        QCOMPARE(other.tiles, layout.tiles);
        QCOMPARE(other.texts.size(), 3);
    }
    // Never more than 99 texts written.
    layout.texts = QList<layoutfile::FreeText>(150, {{1, 1}, QStringLiteral("x")});
    QCOMPARE(layoutfile::read(layoutfile::write(layout), 96, kMax).texts.size(), layoutfile::kMaxTexts);
}

void TestLayoutFile::anInstallationsFileLandsEveryTile()
{
    // As the original wrote it: numbers with a leading blank and decimals
    // where a drag left them, texts in quotes, a last empty line.
    QStringList values;
    for (int i = 0; i < 12; ++i) {
        values << QStringLiteral(" ") + QString::number(4500 + i * 1280) << QStringLiteral(" 360,5");
    }
    values << QStringLiteral(" 2") << QStringLiteral(" 120") << QStringLiteral(" 7000") << QStringLiteral("\"SALA A\"")
           << QStringLiteral(" 9000") << QStringLiteral(" 7000") << QStringLiteral("\"Supervisore: int. 150\"");
    const layoutfile::Layout l = layoutfile::read(lines(values) + "\r\n", 12, kMax);
    QVERIFY2(l.problem.isEmpty(), qPrintable(l.problem));
    QCOMPARE(l.tiles.size(), 12);
    QCOMPARE(l.tiles[0], QPoint(4500, 361));
    QCOMPARE(l.tiles[11], QPoint(4500 + 11 * 1280, 361));
    QCOMPARE(l.texts.size(), 2);
    QCOMPARE(l.texts[0].at, QPoint(120, 7000));
    QCOMPARE(l.texts[0].text, QStringLiteral("SALA A"));
    QCOMPARE(l.texts[1].text, QStringLiteral("Supervisore: int. 150"));
    // LF only, as a file edited elsewhere may have become.
    QByteArray lf = lines(values);
    lf.replace("\r\n", "\n");
    QCOMPARE(layoutfile::read(lf, 12, kMax).tiles, l.tiles);
}

void TestLayoutFile::aCountThatAddsUpTooAndAnEditorsUtf8()
{
    // 96 tiles and no text, the first at x = 64: a count of 0 would add up
    // too (64 texts), and must not win over the tiles.
    layoutfile::Layout snapped;
    for (int i = 0; i < 96; ++i)
        snapped.tiles.append({i == 0 ? 64 : 1000 + i, 128});
    const layoutfile::Layout read40 = layoutfile::read(layoutfile::write(snapped), 40, kMax);
    QCOMPARE(read40.tiles, snapped.tiles);
    QVERIFY(read40.texts.isEmpty());

    // Saved again by a text editor as UTF-8 with a byte-order mark.
    snapped.texts = {{{10, 20}, QStringLiteral("caffè")}};
    const QByteArray utf8 = "\xEF\xBB\xBF" + QString::fromLatin1(layoutfile::write(snapped)).toUtf8(); // è is the same in both
    const layoutfile::Layout edited = layoutfile::read(utf8, 96, kMax);
    QCOMPARE(edited.tiles, snapped.tiles);
    QCOMPARE(edited.texts.value(0).text, QStringLiteral("caffè"));
}

void TestLayoutFile::damagedFilesAreReadAsFarAsTheyAreSound()
{
    QStringList values;
    for (int i = 0; i < 10; ++i)
        values << QString::number(i * 100) << QString::number(i * 10);
    values << QStringLiteral("1") << QStringLiteral("5") << QStringLiteral("6") << QStringLiteral("testo");

    // A word where a number belongs: the tiles before it are placed.
    QStringList broken = values;
    broken[7] = QStringLiteral("abc");
    layoutfile::Layout l = layoutfile::read(lines(broken), 10, kMax);
    QCOMPARE(l.tiles.size(), 3);
    QVERIFY(l.problem.contains(QStringLiteral("riga 8")));
    QVERIFY(l.texts.isEmpty());

    // Cut short in the middle of the texts.
    l = layoutfile::read(lines(values.mid(0, values.size() - 1)), 10, kMax);
    QCOMPARE(l.tiles.size(), 10);
    QVERIFY(l.texts.isEmpty());
    QVERIFY(!l.problem.isEmpty());

    // Negative, huge and not finite coordinates.
    QStringList odd = values;
    odd[0] = QStringLiteral("-500");
    odd[1] = QStringLiteral("1e300");
    odd[2] = QStringLiteral("99999999999");
    odd[3] = QStringLiteral("nan");
    l = layoutfile::read(lines(odd), 10, kMax);
    QCOMPARE(l.tiles.size(), 1);
    QCOMPARE(l.tiles[0], QPoint(0, kMax));

    // A text count far beyond what the file holds, or negative.
    QStringList many = values;
    many[20] = QStringLiteral("2000000000");
    l = layoutfile::read(lines(many), 10, kMax);
    QCOMPARE(l.tiles.size(), 10);
    QCOMPARE(l.texts.size(), 1);
    QVERIFY(!l.problem.isEmpty());
    many[20] = QStringLiteral("-3");
    QVERIFY(layoutfile::read(lines(many), 10, kMax).texts.isEmpty());
    // A count beyond any integer (converting it was undefined behaviour,
    // which the sanitizer build stops at).
    many[20] = QStringLiteral("1e300");
    l = layoutfile::read(lines(many), 10, kMax);
    QCOMPARE(l.tiles.size(), 10);
    QCOMPARE(l.texts.size(), 1);
    QVERIFY(!l.problem.isEmpty());

    // Empty, binary and oversized files.
    QVERIFY(layoutfile::read(QByteArray(), 10, kMax).tiles.isEmpty());
    QByteArray noise(70000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919) % 256);
    l = layoutfile::read(noise, 96, kMax);
    QVERIFY(l.tiles.size() <= 96);
    QVERIFY(!l.problem.isEmpty());
    QByteArray huge = lines(values);
    huge += QByteArray(layoutfile::kMaxBytes + 10, '7');
    l = layoutfile::read(huge, 10, kMax);
    QCOMPARE(l.tiles.size(), 10);
    QVERIFY(!l.problem.isEmpty());
}

QTEST_GUILESS_MAIN(TestLayoutFile)
#include "tst_layoutfile.moc"
