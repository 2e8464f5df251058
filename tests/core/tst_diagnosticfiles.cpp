// DEBUG.TXT with its hex dump, and the HTML request log.
#include <QtTest>

#include "TestSupport.h"
#include "core/AnsiCodec.h"
#include "core/DebugFile.h"
#include "core/HexDump.h"
#include "core/HtmlFiles.h"
#include "core/Settings.h"

class TestDiagnosticFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dumpOfTwentyBytes();
    void dumpShowsPrintableBoundaries();
    void dumpOfNothingIsEmpty();
    void debugFileResetAndAppend();
    void requestLogHeaderBytes();
    void salvaFileHtmlAppendsOrReplaces();
    void missingWebFolderIsSilent();
    void debugFileStartsOverPastItsLimit();
    void requestLogStartsOverWithItsHeader();
};

void TestDiagnosticFiles::dumpOfTwentyBytes()
{
    const QByteArray bytes = QByteArray("\x00\x00\x00\x10\xFF\xFF\xFF\xFF", 8) + "ABCDEFGHIJKL";
    const QByteArray dump = hexdump::format(bytes);
    const QByteArray expected =
        "00000000| 00 00 00 10  FF FF FF FF  41 42 43 44  45 46 47 48   | ........ABCDEFGH\r\n"
        "00000016| 49 4A 4B 4C                                          | IJKL\r\n";
    QCOMPARE(dump, expected);
}

void TestDiagnosticFiles::dumpShowsPrintableBoundaries()
{
    const QByteArray bytes("\x1E\x1F\x20\x7E\x7F\x80\xE9", 7);
    QCOMPARE(hexdump::format(bytes),
             QByteArray("00000000| 1E 1F 20 7E  7F 80 E9" + QByteArray(32, ' ') + "| .\x1F ~\x7F..\r\n"));
}

void TestDiagnosticFiles::dumpOfNothingIsEmpty()
{
    QCOMPARE(hexdump::format(QByteArray()), QByteArray());
}

void TestDiagnosticFiles::debugFileResetAndAppend()
{
    QTemporaryDir dir;
    DebugFile debug(dir.filePath(QStringLiteral("DEBUG.TXT")));
    writeFile(dir.path(), QStringLiteral("DEBUG.TXT"), "left from the last run");
    QVERIFY(debug.reset());
    QCOMPARE(readFile(debug.path()), QByteArray());
    QVERIFY(debug.appendBytes(QByteArray("\x00\x01", 2)));
    QVERIFY(debug.appendLine(DebugFile::stamp(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 1))) + QStringLiteral(" SVUOTO CODA x 3 bytes")));
    QVERIFY(debug.appendHexDump("abc"));
    QCOMPARE(readFile(debug.path()),
             QByteArray("\x00\x01", 2) + "06/12/2026 09:05:01 SVUOTO CODA x 3 bytes\r\n"
                 "00000000| 61 62 63                                             | abc\r\n");
}

void TestDiagnosticFiles::requestLogHeaderBytes()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("web"));
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    writeFile(dir.filePath(QStringLiteral("web")), QStringLiteral("richieste.htm"), "old rows");
    QVERIFY(html.creaFileLogRichieste());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("web/richieste.htm"))),
             QByteArray("<html><head><title>Log Richieste PD</title><meta http-equiv=\"refresh\" content=\"10\">"
                        "<link rel=\"stylesheet\" type=\"text/css\" href=\"stileservice.css\"></head>\r\n"
                        "<table>\r\n<tr>\r\n<th>data</th>\r\n<th>id</th>\r\n<th>gruppo/oper</th>\r\n"
                        "<th>rich.</th>\r\n<th>inviati</th>\r\n</tr>\r\n\r\n"));
}

void TestDiagnosticFiles::salvaFileHtmlAppendsOrReplaces()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("web"));
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    QVERIFY(html.salvaFileHtml(QStringLiteral("<tr><td>Cortesì</td></tr>"), QStringLiteral("richieste"), true));
    QVERIFY(html.salvaFileHtml(QStringLiteral("<tr></tr>"), QStringLiteral("richieste"), true));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("web/richieste.htm"))), QByteArray("<tr><td>Cortes\xEC</td></tr>\r\n<tr></tr>\r\n"));
    QVERIFY(html.salvaFileHtml(QStringLiteral("x"), QStringLiteral("richieste"), false));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("web/richieste.htm"))), QByteArray("x\r\n"));
}

void TestDiagnosticFiles::missingWebFolderIsSilent()
{
    QTemporaryDir dir;
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    QVERIFY(!html.creaFileLogRichieste());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("web"))));
}

void TestDiagnosticFiles::debugFileStartsOverPastItsLimit()
{
    QTemporaryDir dir;
    DebugFile debug(dir.filePath(QStringLiteral("DEBUG.TXT")));
    debug.setLimit(1000);
    for (int i = 0; i < 9; ++i)
        QVERIFY(debug.appendBytes(QByteArray(100, char('a' + i))));
    QCOMPARE(QFileInfo(debug.path()).size(), 900);
    QVERIFY(debug.appendBytes(QByteArray(200, 'z'))); // would pass the limit
    const QByteArray file = readFile(debug.path());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d DEBUG.TXT ricominciato: "
                                              "superato il limite di 1000 byte\r\n$"))
                .match(QString::fromLatin1(file.left(file.indexOf('\n') + 1)))
                .hasMatch());
    QVERIFY(file.endsWith(QByteArray(200, 'z')));
    QVERIFY(!file.contains("aaaa"));
    // Never more than the limit plus what one write brings.
    for (int i = 0; i < 50; ++i)
        debug.appendBytes(QByteArray(150, 'x'));
    QVERIFY(QFileInfo(debug.path()).size() <= 1000 + 150);
}

void TestDiagnosticFiles::requestLogStartsOverWithItsHeader()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("web"));
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    QVERIFY(html.creaFileLogRichieste());
    const qint64 header = QFileInfo(files.webFile(QStringLiteral("richieste"))).size();
    const QString row = QStringLiteral("<tr><td>x</td></tr>");
    for (int i = 0; i < 200; ++i)
        QVERIFY(html.appendRequestRow(row, header + 1000));
    const QByteArray file = readFile(files.webFile(QStringLiteral("richieste")));
    QVERIFY(file.startsWith(ansi::encode(HtmlFiles::requestLogHeader())));
    QVERIFY(file.contains(" ricominciato: superato il limite di "));
    QVERIFY(file.size() <= header + 1000 + 200);
}

QTEST_GUILESS_MAIN(TestDiagnosticFiles)
#include "tst_diagnosticfiles.moc"
