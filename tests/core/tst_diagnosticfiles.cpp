// DEBUG.TXT with its hex dump, the HTML request log, their rotation and
// the retention of the daily logs.
#include <QtTest>

#include "core/DebugFile.h"
#include "core/HexDump.h"
#include "core/HtmlFiles.h"
#include "core/LogRetention.h"
#include "core/Settings.h"
#include "TestSupport.h"
#include "wire/AnsiCodec.h"

class TestDiagnosticFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexDump_data();
    void hexDump();
    void requestLogHeaderAndRows();
    void debugFileResetAppendAndRotation();
    void requestLogRotatesWithItsHeader();
    void dailyLogsOlderThanTheirDaysGo();
};

void TestDiagnosticFiles::hexDump_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("dump");
    QTest::newRow("twenty bytes") << QByteArray("\x00\x00\x00\x10\xFF\xFF\xFF\xFF", 8) + "ABCDEFGHIJKL"
                                  << QByteArray("00000000| 00 00 00 10  FF FF FF FF  41 42 43 44  45 46 47 48   | ........ABCDEFGH\r\n"
                                                "00000016| 49 4A 4B 4C                                          | IJKL\r\n");
    QTest::newRow("printable boundaries") << QByteArray("\x1E\x1F\x20\x7E\x7F\x80\xE9", 7)
                                          << QByteArray("00000000| 1E 1F 20 7E  7F 80 E9" + QByteArray(32, ' ') + "| .\x1F ~\x7F..\r\n");
    QTest::newRow("nothing") << QByteArray() << QByteArray();
}

void TestDiagnosticFiles::hexDump()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, dump);
    QCOMPARE(hexdump::format(bytes), dump);
}

void TestDiagnosticFiles::requestLogHeaderAndRows()
{
    QTemporaryDir dir;
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    // Without a "web" folder nothing is written, and no folder made.
    QVERIFY(!html.creaFileLogRichieste());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("web"))));
    QDir(dir.path()).mkdir(QStringLiteral("web"));
    writeFile(dir.filePath(QStringLiteral("web")), QStringLiteral("richieste.htm"), "old rows");
    QVERIFY(html.creaFileLogRichieste());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("web/richieste.htm"))),
             QByteArray("<html><head><title>Log Richieste PD</title><meta http-equiv=\"refresh\" content=\"10\">"
                        "<link rel=\"stylesheet\" type=\"text/css\" href=\"stileservice.css\"></head>\r\n"
                        "<table>\r\n<tr>\r\n<th>data</th>\r\n<th>id</th>\r\n<th>gruppo/oper</th>\r\n"
                        "<th>rich.</th>\r\n<th>inviati</th>\r\n</tr>\r\n\r\n"));
    // Rows are appended in the code page, or replace the file.
    QVERIFY(html.salvaFileHtml(QStringLiteral("x"), QStringLiteral("richieste"), false));
    QVERIFY(html.salvaFileHtml(QStringLiteral("<tr><td>Cortesì</td></tr>"), QStringLiteral("richieste"), true));
    QVERIFY(html.salvaFileHtml(QStringLiteral("<tr></tr>"), QStringLiteral("richieste"), true));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("web/richieste.htm"))), QByteArray("x\r\n<tr><td>Cortes\xEC</td></tr>\r\n<tr></tr>\r\n"));
}

void TestDiagnosticFiles::debugFileResetAppendAndRotation()
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

    // Past its limit the file starts again.
    QVERIFY(debug.reset());
    const QString kept = dir.filePath(QStringLiteral("DEBUG.TXT.1"));
    debug.setLimit(1000);
    for (int i = 0; i < 9; ++i)
        QVERIFY(debug.appendBytes(QByteArray(100, char('a' + i))));
    QCOMPARE(QFileInfo(debug.path()).size(), 900);
    QVERIFY(!QFile::exists(kept));
    QVERIFY(debug.appendBytes(QByteArray(200, 'z'))); // would pass the limit
    // The full file is kept whole as DEBUG.TXT.1; the new one says where it went.
    QByteArray before;
    for (int i = 0; i < 9; ++i)
        before += QByteArray(100, char('a' + i));
    QCOMPARE(readFile(kept), before);
    const QByteArray file = readFile(debug.path());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d DEBUG.TXT ricominciato: "
                                              "superato il limite di 1000 byte, il precedente in DEBUG.TXT.1\r\n$"))
                .match(QString::fromLatin1(file.left(file.indexOf('\n') + 1)))
                .hasMatch());
    QVERIFY(file.endsWith(QByteArray(200, 'z')));
    // One .1 only: the next rotation replaces it. Never more than two files
    // of the limit plus what one write brings.
    for (int i = 0; i < 50; ++i)
        debug.appendBytes(QByteArray(150, 'x'));
    QVERIFY(QFileInfo(debug.path()).size() <= 1000 + 150);
    QVERIFY(QFileInfo(kept).size() <= 1000 + 150);
    QVERIFY(!readFile(kept).contains("zzzz"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestDiagnosticFiles::requestLogRotatesWithItsHeader()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("web"));
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    HtmlFiles html(files);
    QVERIFY(html.creaFileLogRichieste());
    const QString path = files.webFile(QStringLiteral("richieste"));
    const qint64 header = QFileInfo(path).size();
    const QByteArray head = ansi::encode(HtmlFiles::requestLogHeader());
    for (int i = 0; i < 200; ++i)
        QVERIFY(html.appendRequestRow(QStringLiteral("<tr><td>%1</td></tr>").arg(i), header + 1000));
    // Both files are pages: the kept one as it was written, the new one with
    // its header, a row saying where the rest went and the rows since.
    const QByteArray kept = readFile(path + QStringLiteral(".1"));
    const QByteArray file = readFile(path);
    QVERIFY(kept.startsWith(head));
    QVERIFY(file.startsWith(head));
    QVERIFY(file.mid(head.size()).startsWith("<tr><td colspan=\"5\">"));
    QVERIFY(file.contains(" ricominciato: superato il limite di "));
    QVERIFY(file.contains(", il precedente in richieste.htm.1</td></tr>\r\n"));
    QVERIFY(file.endsWith("<tr><td>199</td></tr>\r\n"));
    QVERIFY(file.size() <= header + 1000 + 200);
    // Nothing lost between the two: the rows run on from one file to the other.
    const qsizetype last = kept.lastIndexOf("<tr><td>");
    const int lastKept = kept.mid(last + 8, kept.indexOf('<', last + 8) - last - 8).toInt();
    QVERIFY(file.contains("<tr><td>" + QByteArray::number(lastKept + 1) + "</td></tr>"));
}

void TestDiagnosticFiles::dailyLogsOlderThanTheirDaysGo()
{
    QTemporaryDir dir;
    const QDate today(2026, 3, 1);
    const QStringList names{QStringLiteral("01-03-2026.LOG"), QStringLiteral("01-12-2025.LOG"),   // today, 90 days ago
                            QStringLiteral("30-11-2025.LOG"), QStringLiteral("30-11-2025.LOG.1"), // 91 days ago, both
                            QStringLiteral("15-06-2020.log"), QStringLiteral("31-02-2020.LOG"),   // any case; no such day
                            QStringLiteral("01-01-2020.LOG.2"), QStringLiteral("note-01-01-2020.LOG"),
                            QStringLiteral("01-01-2020.TXT")};
    for (const QString &name : names)
        writeFile(dir.path(), name, "x");
    QCOMPARE(logretention::dayOf(QStringLiteral("30-11-2025.LOG.1")), QDate(2025, 11, 30));
    QVERIFY(!logretention::dayOf(QStringLiteral("31-02-2020.LOG")).isValid());
    QStringList gone = logretention::purge(dir.path(), today, 90);
    gone.sort();
    QCOMPARE(gone, (QStringList{QStringLiteral("15-06-2020.log"), QStringLiteral("30-11-2025.LOG"),
                                QStringLiteral("30-11-2025.LOG.1")}));
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(left.size(), names.size() - 3);
    QVERIFY(left.contains(QStringLiteral("01-12-2025.LOG")));
    QCOMPARE(logretention::purge(dir.path(), today, 90), QStringList());
    QCOMPARE(logretention::dailyLogName(today), QStringLiteral("01-03-2026.LOG"));
}

QTEST_GUILESS_MAIN(TestDiagnosticFiles)
#include "tst_diagnosticfiles.moc"
