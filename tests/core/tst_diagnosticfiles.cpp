// DEBUG.TXT with its hex dump, and the HTML request log.
#include <QtTest>

#include "TestSupport.h"
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

QTEST_GUILESS_MAIN(TestDiagnosticFiles)
#include "tst_diagnosticfiles.moc"
