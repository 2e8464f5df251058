// Start, buttons and the way out of the main window's logic.
#include <QtTest>

#include "TestSupport.h"
#include "core/LogList.h"
#include "core/LogRetention.h"
#include "core/MainController.h"

class TestMainController : public QObject {
    Q_OBJECT
private:
    struct Fixture {
        QTemporaryDir dir;
        ScriptedPrompts prompts;
        FakeLink link;
        FakeCampaign campaign;
        FakeStatusPages pages;
        std::unique_ptr<MainController> controller;

        explicit Fixture(bool withLink = true, bool minimo = false)
        {
            writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=12000\r\n");
            writeFile(dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=dsn=demo\r\n");
            QDir(dir.path()).mkdir(QStringLiteral("web"));
            Plugins plugins;
            plugins.link = withLink ? &link : nullptr;
            plugins.campaign = &campaign;
            plugins.statusPages = &pages;
            controller = std::make_unique<MainController>(
                MainController::Options{{dir.path(), dir.filePath(QStringLiteral("dati")), dir.path()}, minimo}, prompts, plugins);
        }
        MainModel &model() { return controller->model(); }
    };

private Q_SLOTS:
    void startRunsItsStepsInOrder();
    void startStopsOnMissingConnectionString();
    void minimalStartSkipsDatabase();
    void captionShowsVersionAndStartTime();
    void connettiSavesClosesAndConnects();
    void connettiWithNoDbOpensTheDatabase();
    void chiudiClosesAndResets();
    void exitNoKeepsWindowWithMainTickStopped();
    void closeYesUnloadsOnce();
    void editingAConfigurationFileReadsItAgain();
    void outcomePercentagesFollowTheCounters();
    void testQueryAsksFirst();
};

void TestMainController::startRunsItsStepsInOrder()
{
    Fixture f;
    QStringList journal;
    f.campaign.journal = &journal;
    f.pages.journal = &journal;
    writeFile(f.dir.path(), QStringLiteral("DEBUG.TXT"), "old");
    // The daily logs past "GiorniConservazioneLog" days go at start.
    writeFile(f.dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=12000\r\nGiorniConservazioneLog=10\r\n");
    const QString recent = logretention::dailyLogName(QDate::currentDate().addDays(-10));
    const QString old = logretention::dailyLogName(QDate::currentDate().addDays(-11));
    writeFile(f.dir.path(), recent, "kept");
    writeFile(f.dir.path(), old, "gone");
    QVERIFY(f.controller->start());
    QVERIFY(QFile::exists(f.dir.filePath(recent)));
    QVERIFY(!QFile::exists(f.dir.filePath(old)));
    QCOMPARE(f.controller->log().list2().lines().filter(QStringLiteral("ELIMINATI")).size(), 1);
    QVERIFY(f.controller->log().list2().lines().filter(QStringLiteral("ELIMINATI")).first().endsWith(
        QStringLiteral(" | ELIMINATI 1 LOG GIORNALIERI DI OLTRE 10 GIORNI")));
    QCOMPARE(journal, (QStringList{QStringLiteral("listener"), QStringLiteral("open dsn=demo"), QStringLiteral("reset")}));
    QCOMPARE(readFile(f.dir.filePath(QStringLiteral("DEBUG.TXT"))), QByteArray());
    QVERIFY(f.controller->timer1().isActive());
    QCOMPARE(f.controller->timer1().interval(), 1000);
    QVERIFY(f.controller->timer2().isActive());
    QCOMPARE(f.controller->timer2().interval(), 60000);
    QVERIFY(f.link.calls.isEmpty()); // the link waits for "Connetti" or the first tick
    QCOMPARE(f.controller->log().list2().line(0).section(QStringLiteral(" | "), 1), QStringLiteral("LEGGO PREFERENZE"));
}

void TestMainController::startStopsOnMissingConnectionString()
{
    Fixture f;
    writeFile(f.dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"), "[datiserver]\r\n");
    writeFile(f.dir.path(), QStringLiteral("DEBUG.TXT"), "old");
    QVERIFY(!f.controller->start());
    QVERIFY(!f.controller->timer1().isActive());
    QVERIFY(f.campaign.calls.isEmpty());
    QCOMPARE(readFile(f.dir.filePath(QStringLiteral("DEBUG.TXT"))), QByteArray("old")); // nothing else started
}

void TestMainController::minimalStartSkipsDatabase()
{
    Fixture f(true, true);
    writeFile(f.dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"), "");
    QVERIFY(f.controller->start());
    QVERIFY(f.prompts.asked.isEmpty());
    QCOMPARE(f.campaign.calls, (QStringList{QStringLiteral("reset"), QStringLiteral("counters false")}));
}

void TestMainController::captionShowsVersionAndStartTime()
{
    Fixture f;
    f.controller->settaCaption();
    const QString version = QStringLiteral("(versione %1.%2)").arg(QUORIN_VERSION_MINOR).arg(QUORIN_VERSION_PATCH);
    QCOMPARE(f.model().caption.text(), QStringLiteral("Vastel Quorin DB Server  ") + version + QStringLiteral(" (start time=00:00:00)"));
    f.controller->clock().countingStart = QDateTime(QDate(2026, 12, 6), QTime(8, 30, 0));
    f.controller->settaCaption();
    QVERIFY(f.model().caption.text().endsWith(QStringLiteral(" (start time=06/12/2026 08:30:00)")));
}

void TestMainController::connettiSavesClosesAndConnects()
{
    Fixture f;
    QVERIFY(f.controller->start());
    f.model().serverIp.setText(QStringLiteral("10.0.0.5"));
    f.model().serverPort.setText(QStringLiteral("12001"));
    f.model().debugLevel.setText(QStringLiteral("0"));
    f.controller->connetti();
    QCOMPARE(f.link.calls, (QStringList{QStringLiteral("close"), QStringLiteral("connect 10.0.0.5:12001")}));
    QCOMPARE(f.campaign.calls.last(), QStringLiteral("reset"));
    QVERIFY(readFile(f.controller->files().settingsFile()).contains("ServerIp=10.0.0.5\r\nServerPort=12001\r\n"));
    QVERIFY(readFile(f.dir.filePath(QStringLiteral("web/richieste.htm"))).startsWith("<html><head><title>Log Richieste PD"));
    QCOMPARE(f.controller->log().list1().lines().last(), QStringLiteral("Tento la connessione"));
    // The next tick sees "Connettendo..." and swaps the buttons.
    f.controller->mainTick().tick();
    QVERIFY(f.model().closeEnabled.value());
    QVERIFY(!f.model().connectEnabled.value());
    // Without an address it saves, closes and stops there.
    f.model().serverIp.setText(QString());
    f.controller->connetti();
    QCOMPARE(f.prompts.asked, QStringList{QStringLiteral("message:Dati Server mancanti")});
    QCOMPARE(f.link.calls.mid(2), QStringList{QStringLiteral("close")});
    QVERIFY(!readFile(f.controller->files().settingsFile()).contains("ServerIp"));
}

void TestMainController::connettiWithNoDbOpensTheDatabase()
{
    Fixture f;
    writeFile(f.dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nServerIp=h\r\nServerPort=1\r\nnodb=1\r\n");
    QVERIFY(f.controller->start());
    QVERIFY(f.campaign.calls.indexOf(QStringLiteral("open dsn=demo")) < 0);
    f.controller->connetti();
    QVERIFY(!f.model().noDb.value());
    QVERIFY(f.campaign.calls.contains(QStringLiteral("open dsn=demo")));
    QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("web/richieste.htm"))));
    // The settings were written before the box was unticked.
    QVERIFY(readFile(f.controller->files().settingsFile()).contains("nodb=1"));
}

void TestMainController::chiudiClosesAndResets()
{
    Fixture f;
    f.controller->invertiTasti();
    f.controller->chiudi();
    QCOMPARE(f.link.calls, QStringList{QStringLiteral("close")});
    QCOMPARE(f.campaign.calls, QStringList{QStringLiteral("reset")});
    QVERIFY(f.model().connectEnabled.value());
    QVERIFY(!f.model().closeEnabled.value());
}

void TestMainController::exitNoKeepsWindowWithMainTickStopped()
{
    Fixture f;
    QVERIFY(f.controller->start());
    QSignalSpy finished(f.controller.get(), &MainController::finished);
    f.prompts.answers = {false};
    f.controller->esci();
    QCOMPARE(f.prompts.asked.last(), QStringLiteral("confirm:CONFERMI USCITA DA VASTEL_QUORIN?"));
    QCOMPARE(finished.count(), 0);
    QVERIFY(!f.controller->timer1().isActive());
    QVERIFY(f.controller->timer2().isActive());
    QCOMPARE(f.link.calls, QStringList{QStringLiteral("close")});
    // Closing the window afterwards asks again.
    f.prompts.answers = {true};
    QVERIFY(f.controller->requestClose());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), 0);
}

void TestMainController::closeYesUnloadsOnce()
{
    Fixture f;
    QVERIFY(f.controller->start());
    f.campaign.calls.clear();
    QSignalSpy finished(f.controller.get(), &MainController::finished);
    f.prompts.answers = {true};
    QVERIFY(f.controller->requestClose());
    QVERIFY(!f.controller->timer1().isActive());
    QVERIFY(!f.controller->timer2().isActive());
    QCOMPARE(f.link.calls, QStringList{QStringLiteral("close")});
    QCOMPARE(f.campaign.calls, QStringList{QStringLiteral("close")});
    f.controller->unload(); // a signal arriving during shutdown changes nothing
    QVERIFY(f.controller->requestClose());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(f.prompts.asked.size(), 1);
}

void TestMainController::editingAConfigurationFileReadsItAgain()
{
    Fixture f;
    QVERIFY(f.controller->start());
    f.campaign.calls.clear();
    f.prompts.onEdit = [&](const QString &path) {
        writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), "[Settings]\r\nServerIp=10.1.2.3\r\n");
    };
    f.controller->editConfiguration(0);
    QCOMPARE(f.prompts.asked.last(), QStringLiteral("edit:conn_quorin.ini"));
    QCOMPARE(f.model().serverIp.text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(f.campaign.calls, (QStringList{QStringLiteral("close"), QStringLiteral("open dsn=demo")}));

    // The problem-count entry edits the template the program reads.
    f.prompts.onEdit = [](const QString &path) { writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), "select 42"); };
    f.controller->editConfiguration(6);
    QCOMPARE(f.prompts.asked.last(), QStringLiteral("edit:SQL_CONTAPROB_EXT.TXT"));
    QCOMPARE(f.controller->settings().templates[sqltemplates::ContaProblemi], QStringLiteral("select 42"));

    // Emptying the shared file ends the program.
    QSignalSpy finished(f.controller.get(), &MainController::finished);
    f.prompts.onEdit = [](const QString &path) { writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), ""); };
    f.controller->editConfiguration(1);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), 1);
}

void TestMainController::outcomePercentagesFollowTheCounters()
{
    Fixture f;
    MainModel &m = f.model();
    m.outcomes[3]->set(5);
    QVERIFY(!m.outcomePercent[3]->isSet()); // nothing sent yet: left alone
    m.customers[MainModel::CustomersSent]->set(40);
    m.outcomes[3]->set(6);
    QCOMPARE(m.outcomePercent[3]->value(), 15);
    m.outcomes[11]->set(1);
    QCOMPARE(m.outcomePercent[11]->value(), 3); // 2.5 rounds up
}

void TestMainController::testQueryAsksFirst()
{
    Fixture f;
    f.controller->testQuery(false); // an empty answer runs nothing
    f.controller->testQuery(true);
    QCOMPARE(f.prompts.asked, (QStringList{QStringLiteral("input:Inserisci il Gruppo da testare"),
                                           QStringLiteral("input:Inserisci l'Operatore da testare")}));
    QVERIFY(f.campaign.calls.isEmpty());
}

QTEST_GUILESS_MAIN(TestMainController)
#include "tst_maincontroller.moc"
