// The program killed without warning at random moments while the dialer
// simulator drives it, and started again each time: every outcome it ever
// acknowledged is in the database, and the database file is sound.
#include <QtTest>

#include "../core/TestSupport.h"
#include "campaign/DemoDatabase.h"
#include "dialer_sim/Simulator.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <set>

class TestKillRestart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void acknowledgedOutcomesSurviveSigkill();
};

void TestKillRestart::acknowledgedOutcomesSurviveSigkill()
{
#ifndef Q_OS_UNIX
    QSKIP("SIGKILL");
#endif
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("campaign.sqlite"));
    QString error;
    QVERIFY2(demodatabase::create(database, {3000, 4}, error), qPrintable(error));

    Simulator::Options options;
    options.seconds = 3600; // the test decides when it is over
    options.groupQuantity = 30;
    options.pipeline = 8;
    options.waitForRestarts = true;
    options.operators = {QStringLiteral("140"), QStringLiteral("141")};
    Simulator sim(options);
    QVERIFY(sim.listen());
    QSignalSpy finished(&sim, &Simulator::finished);
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"),
              "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=" + QByteArray::number(sim.port()) + "\r\nAutoConnect=1\r\n");
    writeFile(dir.path(), QStringLiteral("tm40.ini"),
              "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=" + QFile::encodeName(database) + "\r\n");
    const QStringList args{QStringLiteral("--headless"), QStringLiteral("--app-dir"), dir.path(), QStringLiteral("--shared-dir"),
                           dir.path(), QStringLiteral("--root-dir"), dir.path(), QStringLiteral("FAST")};

    // A fixed seed unless one is given, so a failure can be played again.
    const quint32 seed = qEnvironmentVariableIsSet("QUORIN_KILL_SEED") ? quint32(qEnvironmentVariableIntValue("QUORIN_KILL_SEED"))
                                                                        : 20261206u;
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);
    constexpr int kKills = 10;
    for (int round = 0; round <= kKills; ++round) {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.setStandardOutputFile(QProcess::nullDevice());
        program.start(QStringLiteral(QUORIN_BINARY), args);
        QVERIFY(program.waitForStarted(20000));
        // Some work first, then the kill at a random moment of it: between
        // or inside transactions, while replies are on their way.
        const qint64 before = sim.stats().outcomesAcked;
        QElapsedTimer t;
        t.start();
        const qint64 some = 5 + random.bounded(120);
        QVERIFY2(QTest::qWaitFor([&] { return sim.stats().outcomesAcked >= before + some; }, 60000),
                 qPrintable(QStringLiteral("round %1: %2 acknowledged").arg(round).arg(sim.stats().outcomesAcked - before)));
        const qint64 workedMs = t.elapsed();
        QVERIFY2(finished.isEmpty(), qPrintable(sim.stats().violation));
        if (round == kKills) {
            program.terminate(); // the last one stops as it should
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitCode(), 0);
            break;
        }
        const int moment = int(random.bounded(300));
        QTest::qWait(moment); // the random moment itself: the program works on meanwhile
        program.kill();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        qInfo("kill %d: %lld acknowledged in %lld ms from start, killed %d ms later", round + 1,
              sim.stats().outcomesAcked - before, workedMs, moment);
    }
    QVERIFY2(finished.isEmpty(), qPrintable(sim.stats().violation));
    QCOMPARE(sim.stats().connections, kKills + 1);

    // Every acknowledged outcome is there, once; the file is sound.
    const QList<qint32> acked = sim.stats().ackedProgressives;
    QCOMPARE(acked.size(), sim.stats().outcomesAcked);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
        std::multiset<qint32> stored;
        QVERIFY(q.exec(QStringLiteral("select Prog_Quorin from Esiti_Quorin where operatore = 'simop'")));
        while (q.next())
            stored.insert(q.value(0).toInt());
        qint64 missing = 0;
        for (qint32 p : acked)
            missing += stored.count(p) == 0;
        QCOMPARE(missing, 0);
        // Stored but not acknowledged: at most the requests under way at each kill.
        QVERIFY(qint64(stored.size()) - acked.size() <= kKills * options.pipeline);
        qInfo("%lld outcomes acknowledged over %d kills, %lld stored", qint64(acked.size()), kKills, qint64(stored.size()));
        q.finish();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(TestKillRestart)
#include "tst_killrestart.moc"
