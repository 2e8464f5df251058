// Settings files: Windows private-profile semantics and the ANSI code page.
#include <QtTest>

#include "core/IniFile.h"
#include "core/IniText.h"
#include "TestSupport.h"
#include "wire/AnsiCodec.h"

class TestSettingsFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valueRead_data();
    void valueRead();
    void writeReplacesOrRemovesOnlyItsLine();
    void writeCreatesSectionAndFile();
    void ansiOnDiskAndEveryByteBack();
};

void TestSettingsFiles::valueRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const QString names = QStringLiteral("[settings]\r\nIntervallo=15\r\nReplicaUDP_port = 7777\r\n");
    QTest::newRow("names without case") << names << QStringLiteral("Settings") << QStringLiteral("intervallo") << QStringLiteral("15");
    QTest::newRow("names without case 2") << names << QStringLiteral("SETTINGS") << QStringLiteral("ReplicaUDP_Port") << QStringLiteral("7777");
    QTest::newRow("missing key") << names << QStringLiteral("Settings") << QStringLiteral("missing") << QString();
    QTest::newRow("missing section") << names << QStringLiteral("Other") << QStringLiteral("intervallo") << QString();
    const QString values = QStringLiteral("[S]\na =  spaced out  \nb=\"quoted value\"\nc=") + QString(300, QLatin1Char('x'))
        + QStringLiteral("\nd=\"half\n");
    QTest::newRow("trimmed") << values << QStringLiteral("S") << QStringLiteral("a") << QStringLiteral("spaced out");
    QTest::newRow("unquoted") << values << QStringLiteral("S") << QStringLiteral("b") << QStringLiteral("quoted value");
    QTest::newRow("cut at 254") << values << QStringLiteral("S") << QStringLiteral("c") << QString(254, QLatin1Char('x'));
    QTest::newRow("half quoted") << values << QStringLiteral("S") << QStringLiteral("d") << QStringLiteral("\"half");
    QTest::newRow("first section and key win") << QStringLiteral("[S]\nk=1\nk=2\n[S]\nk=3\n") << QStringLiteral("S")
                                               << QStringLiteral("k") << QStringLiteral("1");
    QTest::newRow("comments and other sections are not keys") << QStringLiteral("[A]\nk=a\n[S]\n;k=commented\nother=1\n[B]\nk=b\n")
                                                              << QStringLiteral("S") << QStringLiteral("k") << QString();
}

void TestSettingsFiles::valueRead()
{
    QFETCH(QString, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QCOMPARE(initext::value(text, section, key), value);
}

void TestSettingsFiles::writeReplacesOrRemovesOnlyItsLine()
{
    const QString text = QStringLiteral("; header comment\r\n[Settings]\r\nServerIp=1.2.3.4\r\n  odd line without equals\r\n"
                                        "ServerPort=12000\r\n\r\n[Other]\r\nServerIp=keep\r\n");
    const QString out = initext::withValue(text, QStringLiteral("settings"), QStringLiteral("SERVERIP"), QStringLiteral("10.0.0.9"));
    QCOMPARE(out, QStringLiteral("; header comment\r\n[Settings]\r\nSERVERIP=10.0.0.9\r\n  odd line without equals\r\n"
                                 "ServerPort=12000\r\n\r\n[Other]\r\nServerIp=keep\r\n"));
    // A new key joins its section before the blank line that separates sections.
    const QString added = initext::withValue(text, QStringLiteral("Settings"), QStringLiteral("debug"), QStringLiteral("2"));
    QVERIFY(added.contains(QStringLiteral("ServerPort=12000\r\ndebug=2\r\n\r\n[Other]")));
    // An empty value removes the key; removing an absent key changes nothing.
    const QString removed = initext::withValue(text, QStringLiteral("Settings"), QStringLiteral("serverip"), QString());
    QCOMPARE(removed, QStringLiteral("; header comment\r\n[Settings]\r\n  odd line without equals\r\n"
                                     "ServerPort=12000\r\n\r\n[Other]\r\nServerIp=keep\r\n"));
    QCOMPARE(initext::withValue(removed, QStringLiteral("Settings"), QStringLiteral("absent"), QString()), removed);
}

void TestSettingsFiles::writeCreatesSectionAndFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("conn_quorin.ini"));
    QVERIFY(inifile::scriviIni(file, QStringLiteral("Settings"), QStringLiteral("ServerIp"), QStringLiteral("10.1.1.1")));
    QCOMPARE(readFile(file), QByteArray("[Settings]\r\nServerIp=10.1.1.1\r\n"));
    QVERIFY(inifile::scriviIni(file, QStringLiteral("datiserver"), QStringLiteral("connstring"), QStringLiteral("x")));
    QCOMPARE(readFile(file), QByteArray("[Settings]\r\nServerIp=10.1.1.1\r\n[datiserver]\r\nconnstring=x\r\n"));
    QCOMPARE(inifile::leggiIni(file, QStringLiteral("DATISERVER"), QStringLiteral("ConnString")), QStringLiteral("x"));
    // Removing from a missing file creates nothing.
    const QString none = dir.filePath(QStringLiteral("none.ini"));
    QVERIFY(inifile::scriviIni(none, QStringLiteral("Settings"), QStringLiteral("ServerIp"), QString()));
    QVERIFY(!QFile::exists(none));
}

void TestSettingsFiles::ansiOnDiskAndEveryByteBack()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.ini"));
    const QString value = QStringLiteral("Perché costa 5 \u20AC");
    QVERIFY(inifile::scriviIni(file, QStringLiteral("S"), QStringLiteral("k"), value));
    QVERIFY(readFile(file).contains("Perch\xE9 costa 5 \x80"));
    QCOMPARE(inifile::leggiIni(file, QStringLiteral("S"), QStringLiteral("k")), value);
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    QCOMPARE(ansi::encode(ansi::decode(all)), all);
    QCOMPARE(ansi::encode(QStringLiteral("\u4E2D")), QByteArray("?"));
    QCOMPARE(ansi::decode("\x93x\x94"), QStringLiteral("\u201Cx\u201D"));
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
