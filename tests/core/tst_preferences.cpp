// Reading and writing the preferences into the main window's controls.
#include <QtTest>

#include "TestSupport.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Preferences.h"
#include "core/Redaction.h"
#include "core/Settings.h"

class TestPreferences : public QObject {
    Q_OBJECT
private:
    struct Fixture {
        QTemporaryDir dir;
        FileLocations files{platform::AppPaths{dir.path(), dir.filePath(QStringLiteral("dati")), dir.path()}};
        Settings settings;
        MainModel model;
        Logger log{model.debugLevel};
        ScriptedPrompts prompts;
        FakeCampaign campaign;
        FakeWatchdog watchdog;
        Plugins plugins{nullptr, nullptr, &campaign, nullptr, nullptr, &watchdog, nullptr};
        Preferences prefs{files, settings, model, log, prompts, plugins};

        void settingsIni(const QByteArray &body) { writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\n" + body); }
        void sharedIni(const QByteArray &conn) { writeFile(dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=" + conn + "\r\n"); }
        QStringList list2() const
        {
            QStringList out;
            for (const QString &line : const_cast<Logger &>(log).list2().lines())
                out << line.section(QStringLiteral(" | "), 1);
            return out;
        }
    };

private Q_SLOTS:
    void controlsFollowTheFileEvenWhenKeysAreMissing();
    void watchdogDigitsAreIndependent();
    void missingConnectionStringStopsAndOpensTheSharedFile();
    void fullReadLogsTemplatesAndOpensTheDatabaseWithoutShowingItsPassword();
    void noDbAndOrderByFirstLineOrDefault();
    void fileNamesMatchWithoutCase();
    void saveWritesSevenKeysAndRemovesEmptyOnes();
    void passwordsAreHidden_data();
    void passwordsAreHidden();
};

void TestPreferences::controlsFollowTheFileEvenWhenKeysAreMissing()
{
    Fixture f;
    f.settingsIni("Simulazione=1\r\nAutoConnect=yes\r\nPingOnIdle=1\r\ndebug=2\r\n");
    QCOMPARE(f.model.serverIp.text(), QStringLiteral("127.0.0.1"));
    QVERIFY(f.prefs.leggiPreferenze(true) == Preferences::Outcome::Read);
    QCOMPARE(f.model.serverIp.text(), QString()); // the design-time text does not survive
    QCOMPARE(f.model.serverPort.text(), QString());
    QVERIFY(f.model.emula.value());
    QVERIFY(!f.model.autoConnect.value()); // "yes" is not a number
    QVERIFY(f.model.pingOnIdle.value());
    QVERIFY(!f.model.noDb.value());
    QCOMPARE(f.model.debugLevel.text(), QStringLiteral("2"));
    // A minimal read needs no shared file, asks nothing and opens nothing.
    QVERIFY(f.prompts.asked.isEmpty());
    QVERIFY(f.campaign.calls.isEmpty());
    QCOMPARE(f.log.list2().count(), 0);
    // Numbers: zero or none takes the default.
    f.settingsIni("LimiteEsitiNegativiTollerati=0\r\nSpostaNonTrovati=\r\nintervallo=\r\n");
    f.prefs.leggiPreferenze(true);
    QCOMPARE(f.settings.limiteEsitiNegativi, 10);
    QCOMPARE(f.settings.spostaNonTrovati, 30);
    QCOMPARE(f.settings.intervallo, 0);
    f.settingsIni("LimiteEsitiNegativiTollerati=4\r\nSpostaNonTrovati=45 minuti\r\nIntervallo=20\r\n");
    f.prefs.leggiPreferenze(true);
    QCOMPARE(f.settings.limiteEsitiNegativi, 4);
    QCOMPARE(f.settings.spostaNonTrovati, 45);
    QCOMPARE(f.settings.intervallo, 20);
}

void TestPreferences::watchdogDigitsAreIndependent()
{
    Fixture f;
    f.settingsIni("WatchDogIP0=\r\nWatchDogIP3=10.0.0.3\r\nwatchdogip9=10.0.0.9\r\n");
    f.prefs.leggiPreferenze(true);
    QCOMPARE(f.watchdog.peers.size(), std::size_t(2));
    QCOMPARE(f.watchdog.peers.at(3), QStringLiteral("10.0.0.3"));
    QCOMPARE(f.watchdog.peers.at(9), QStringLiteral("10.0.0.9"));
    QCOMPARE(f.model.watchdog.toolTip(), QStringLiteral(" 10.0.0.3 10.0.0.9"));
    // Reading again after an edit does not repeat the addresses.
    f.prefs.leggiPreferenze(true);
    QCOMPARE(f.model.watchdog.toolTip(), QStringLiteral(" 10.0.0.3 10.0.0.9"));
}

void TestPreferences::missingConnectionStringStopsAndOpensTheSharedFile()
{
    Fixture f;
    f.settingsIni("ServerIp=10.0.0.1\r\n");
    f.sharedIni("");
    QVERIFY(f.prefs.leggiPreferenze(false) == Preferences::Outcome::MissingConnectionString);
    QCOMPARE(f.prompts.asked, (QStringList{QStringLiteral("message:Stringa di connessione al DB non presente"),
                                           QStringLiteral("edit:tm40.ini"),
                                           QStringLiteral("message:Riavviare il programma")}));
    QCOMPARE(f.model.serverIp.text(), QStringLiteral("127.0.0.1")); // nothing else was read
    QVERIFY(f.campaign.calls.isEmpty());
}

void TestPreferences::fullReadLogsTemplatesAndOpensTheDatabaseWithoutShowingItsPassword()
{
    Fixture f;
    f.settingsIni("debug=0\r\n");
    f.sharedIni("Driver=QSQLITE;Database=c.db;Password=Cap-Pw-3");
    writeFile(f.dir.path(), QStringLiteral("SQL_EXT.TXT"), "; group query\r\nselect * from [tabella pratiche]\r\nwhere gruppo = '##'\r\n");
    writeFile(f.dir.path(), QStringLiteral("SQL_OP_EXT.TXT"), "select x");
    writeFile(f.dir.path(), QStringLiteral("SQL_CONTAPROB_EXT.TXT"), "select count(*)\r\n\r\nfrom Esiti_Quorin");
    QVERIFY(f.prefs.leggiPreferenze(false) == Preferences::Outcome::Read);

    const QStringList lines = f.list2();
    QCOMPARE(lines.first(), QStringLiteral("LEGGO PREFERENZE"));
    QCOMPARE(lines.last(), QStringLiteral("FINE LETTURA PREFERENZE"));
    QCOMPARE(lines.size(), 10);
    QVERIFY(lines[1].startsWith(QStringLiteral("Leggo ")) && lines[1].endsWith(QStringLiteral("SQL_EXT.TXT")));
    QVERIFY(lines[3].startsWith(QStringLiteral("non trovo ")) && lines[3].endsWith(QStringLiteral("SQL_CONTA_EXT.TXT")));
    QVERIFY(lines[8].startsWith(QStringLiteral("Leggo ")) && lines[8].endsWith(QStringLiteral("SQL_CONTAPROB_EXT.TXT")));

    QCOMPARE(f.settings.templates[sqltemplates::ClientiGruppo], QStringLiteral("* from [tabella pratiche] where gruppo = '##'"));
    QCOMPARE(f.settings.orderBy, QString()); // the template carries its own ordering
    QCOMPARE(f.settings.templates[sqltemplates::ClientiOperatore], QString()); // under 10 characters
    QCOMPARE(f.settings.templates[sqltemplates::ContaProblemi], QStringLiteral("select count(*)  from Esiti_Quorin"));
    // The program gets the whole string; the caption, its tooltip and any list line hide the password.
    QCOMPARE(f.campaign.calls, QStringList{QStringLiteral("open Driver=QSQLITE;Database=c.db;Password=Cap-Pw-3")});
    const QString shown = QStringLiteral("Driver=QSQLITE;Database=c.db;Password=***");
    QCOMPARE(f.model.connectionString.text(), shown);
    QCOMPARE(f.model.connectionString.toolTip(), shown);
    f.log.scriviLog(QStringLiteral("ERRORE DB: login failed, Password=Cap-Pw-3"), Logger::List1);
    QCOMPARE(f.log.list1().lines().last(), QStringLiteral("ERRORE DB: login failed, Password=***"));
}

void TestPreferences::noDbAndOrderByFirstLineOrDefault()
{
    Fixture f;
    f.settingsIni("nodb=1\r\n");
    f.sharedIni("dsn=x");
    f.prefs.leggiPreferenze(false);
    QVERIFY(f.campaign.calls.isEmpty()); // "nodb": the database stays closed
    QCOMPARE(f.model.connectionString.text(), QStringLiteral("dsn=x"));
    QCOMPARE(f.settings.orderBy, sqltemplates::kDefaultOrderBy);
    writeFile(f.dir.filePath(QStringLiteral("dati")), QStringLiteral("Orderby190.ini"), "[Cognome] asc\r\n[Nome]\r\n");
    f.prefs.leggiPreferenze(false);
    QCOMPARE(f.settings.orderBy, QStringLiteral("[Cognome] asc"));
    writeFile(f.dir.filePath(QStringLiteral("dati")), QStringLiteral("Orderby190.ini"), "\r\n[Nome]\r\n");
    f.prefs.leggiPreferenze(false);
    QCOMPARE(f.settings.orderBy, sqltemplates::kDefaultOrderBy);
}

void TestPreferences::fileNamesMatchWithoutCase()
{
    Fixture f;
    writeFile(f.dir.path(), QStringLiteral("Conn_Quorin.INI"), "[SETTINGS]\r\nserverip=10.9.9.9\r\n");
    writeFile(f.dir.filePath(QStringLiteral("dati")), QStringLiteral("TM40.INI"), "[DatiServer]\r\nConnString=dsn=y\r\n");
    writeFile(f.dir.path(), QStringLiteral("sql_riep_ext.txt"), "select riepilogo");
    QVERIFY(f.prefs.leggiPreferenze(false) == Preferences::Outcome::Read);
    QCOMPARE(f.model.serverIp.text(), QStringLiteral("10.9.9.9"));
    QCOMPARE(f.settings.templates[sqltemplates::Riepilogo], QStringLiteral("select riepilogo"));
}

void TestPreferences::saveWritesSevenKeysAndRemovesEmptyOnes()
{
    Fixture f;
    f.settingsIni("ServerIp=1.1.1.1\r\nWatchDogIP0=10.0.0.1\r\nintervallo=5\r\n");
    f.model.serverIp.setText(QString());
    f.model.serverPort.setText(QStringLiteral("12001"));
    f.model.emula.set(true);
    f.model.noDb.set(true);
    f.model.debugLevel.setText(QStringLiteral("1"));
    f.prefs.salvaPreferenze();
    QCOMPARE(readFile(f.files.settingsFile()),
             QByteArray("[Settings]\r\nWatchDogIP0=10.0.0.1\r\nintervallo=5\r\nServerPort=12001\r\nSimulazione=1\r\n"
                        "AutoConnect=0\r\nPingOnIdle=0\r\nnodb=1\r\ndebug=1\r\n"));
    // The next start fills the address box with empty text.
    f.model.serverIp.setText(QStringLiteral("127.0.0.1"));
    f.prefs.leggiPreferenze(true);
    QCOMPARE(f.model.serverIp.text(), QString());
}

void TestPreferences::passwordsAreHidden_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char *name, const char *text, const char *shown) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(shown);
    };
    row("ADO", "APRO DB Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa",
        "APRO DB Provider=SQLOLEDB.1;Password=***;Persist Security Info=True;User ID=sa");
    row("ODBC, any case", "Driver={FreeTDS};Server=h;UID=sa;PWD=s3cret;TDS_Version=7.4",
        "Driver={FreeTDS};Server=h;UID=sa;PWD=***;TDS_Version=7.4");
    row("first key, blanks", "password = s3cret ; uid=x", "password = *** ; uid=x");
    row("last key, line end", "Data Source=x;pwd=s3cret\n Vuoi verificare", "Data Source=x;pwd=***\n Vuoi verificare");
    row("double quotes", "Password=\"a;b\"\"c\";Uid=u", "Password=***;Uid=u");
    row("single quotes", "Pwd='a;b';Uid=u", "Pwd=***;Uid=u");
    row("braces", "PWD={a;b}}c};Uid=u", "PWD=***;Uid=u");
    row("never closed", "Pwd={a;b", "Pwd=***");
    row("within a longer key", "Jet OLEDB:Database Password=s3cret;x=1", "Jet OLEDB:Database Password=***;x=1");
    row("two of them", "Password=a;Pwd=b", "Password=***;Pwd=***");
    row("URL", "postgresql://quorin:s3cret@db:5432/tm40", "postgresql://quorin:***@db:5432/tm40");
    row("URL quoted in an error", "source was \"postgres://u:p@ss:w@h:99999/d\"; port", "source was \"postgres://u:***@h:99999/d\"; port");
    row("URL without password", "postgresql://quorin@db/tm40 http://h:8001/x", "postgresql://quorin@db/tm40 http://h:8001/x");
    row("empty password", "Password=;Uid=u", "Password=;Uid=u");
    row("not a key", "Passwords=x; OldPwd=y; pwd", "Passwords=x; OldPwd=y; pwd");
    row("nothing to hide", "Ricevuto Esito", "Ricevuto Esito");
}

void TestPreferences::passwordsAreHidden()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(redaction::hidePasswords(text), shown);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
