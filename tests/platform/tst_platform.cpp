// The platform layer: file names, processes and termination signals.
#include <QtTest>

#include "platform/Journal.h"
#include "platform/OdbcDrivers.h"
#include "platform/PlatformPaths.h"
#include "platform/ProcessRunner.h"
#include "platform/StandardOutput.h"
#include "platform/TerminationSignals.h"

#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filesResolveWithoutCase();
    void commandLineSplitsLikeAShell();
    void eseguiEAttendiReportsTheEndOrAFailedStart();
    void terminationSignalArrivesOnTheEventLoop();
    void slowReaderLosesWholeLinesAndIsTold();
    void journalIsTheStreamSystemdNamed();
    void freeTdsIsFoundWithoutRegistration();
};

void TestPlatform::filesResolveWithoutCase()
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("Conn_Quorin.INI")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(platform::resolveFile(dir.path(), QStringLiteral("conn_quorin.ini")), dir.filePath(QStringLiteral("Conn_Quorin.INI")));
    QCOMPARE(platform::resolveFile(dir.path(), QStringLiteral("absent.txt")), dir.filePath(QStringLiteral("absent.txt")));
}

void TestPlatform::commandLineSplitsLikeAShell()
{
    QCOMPARE(platform::ProcessRunner::splitCommandLine(QStringLiteral("editor \"my file\""), QStringLiteral("x.txt")),
             (QStringList{QStringLiteral("editor"), QStringLiteral("my file"), QStringLiteral("x.txt")}));
    QCOMPARE(platform::ProcessRunner::splitCommandLine(QStringLiteral("cmd"), QString()), QStringList{QStringLiteral("cmd")});
}

void TestPlatform::eseguiEAttendiReportsTheEndOrAFailedStart()
{
    platform::ProcessRunner runner;
    int code = -99;
    bool started = true, done = false;
    const auto report = [&](int c, bool s) {
        code = c;
        started = s;
        done = true;
    };
    runner.eseguiEAttendi(QStringLiteral("/no/such/program-quorin"), QString(), report);
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(!started);
#ifdef Q_OS_UNIX
    done = false;
    runner.eseguiEAttendi(QStringLiteral("/bin/sh -c"), QStringLiteral("\"exit 3\""), report);
    QVERIFY(!done); // the caller goes on while the process runs
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(started);
    QCOMPARE(code, 3);
#endif
}

void TestPlatform::terminationSignalArrivesOnTheEventLoop()
{
#ifdef Q_OS_UNIX
    platform::TerminationSignals signals;
    QSignalSpy spy(&signals, &platform::TerminationSignals::terminationRequested);
    std::raise(SIGTERM);
    QVERIFY(spy.wait(10000));
    QCOMPARE(spy.count(), 1);
#else
    QSKIP("POSIX signals");
#endif
}

void TestPlatform::slowReaderLosesWholeLinesAndIsTold()
{
    platform::OutputQueue q(16);
    q.append("first\n");
    q.append("second\n");
    QCOMPARE(q.pending(), QByteArray("first\nsecond\n"));
    // Over the limit: the whole chunk goes, counted by its lines.
    q.append("a\nb\nc\n");
    QCOMPARE(q.pending(), QByteArray("first\nsecond\n"));
    QCOMPARE(q.droppedLines(), 3);
    // Once dropping, a chunk that would fit goes too, until the reader has caught up.
    q.append("x\n");
    QCOMPARE(q.droppedLines(), 4);
    q.consume(3);
    QCOMPARE(q.pending(), QByteArray("st\nsecond\n"));
    q.append("y\n");
    QCOMPARE(q.droppedLines(), 5);
    // All taken: the reader is told what it missed, and lines flow again.
    q.consume(q.size());
    QCOMPARE(q.pending(), platform::OutputQueue::notice(5));
    QCOMPARE(q.droppedLines(), 0);
    QCOMPARE(q.totalDropped(), 5);
    QVERIFY(q.pending().startsWith("Output | 5 righe non scritte"));
    q.consume(q.size());
    QVERIFY(q.isEmpty());
    q.append("z\n");
    QCOMPARE(q.pending(), QByteArray("z\n"));
    // A chunk without a line end counts as one; an empty one as nothing; more than pending is all.
    platform::OutputQueue tiny(1);
    tiny.append("no end");
    tiny.append({});
    QCOMPARE(tiny.droppedLines(), 1);
    tiny.consume(100);
    QCOMPARE(tiny.pending(), platform::OutputQueue::notice(1));
    // On the journal the notice is a warning.
    tiny.setNoticePrefix("<4>");
    tiny.append("no end");
    tiny.append("more");
    tiny.consume(100);
    QCOMPARE(tiny.pending(), "<4>" + platform::OutputQueue::notice(2));
}

void TestPlatform::journalIsTheStreamSystemdNamed()
{
#ifdef Q_OS_UNIX
    struct stat out {}, err {};
    QCOMPARE(::fstat(1, &out), 0);
    QCOMPARE(::fstat(2, &err), 0);
    const auto named = [](const struct stat &st, qulonglong moreInode = 0) {
        return QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino) + moreInode);
    };
    using platform::StdStream;
    QVERIFY(platform::isJournal(StdStream::Output, named(out)));
    QVERIFY(platform::isJournal(StdStream::Error, named(err) + '\n'));
    QVERIFY(!platform::isJournal(StdStream::Output, named(out, 1))); // redirected since
    for (const QByteArray &bad : {QByteArray(), QByteArray("8"), QByteArray("x:y"), named(out) + ":1", ":" + named(out)})
        QVERIFY2(!platform::isJournal(StdStream::Output, bad), bad.constData());
#else
    QVERIFY(!platform::isJournal(platform::StdStream::Output, "1:1"));
#endif
}

void TestPlatform::freeTdsIsFoundWithoutRegistration()
{
#ifdef Q_OS_LINUX
    // A driver list without FreeTDS, then with it (any case): the library
    // is named only while unixODBC would not know the name.
    QTemporaryDir dir;
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("HOME", QFile::encodeName(dir.path()));
    QFile ini(dir.filePath(QStringLiteral("odbcinst.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[SQLite3]\nDriver=libsqlite3odbc.so\n");
    ini.close();
    const QString library = platform::unregisteredOdbcDriver(QStringLiteral("FreeTDS"));
    QVERIFY2(library.endsWith(QStringLiteral("/libtdsodbc.so")) && QFile::exists(library),
             "FreeTDS's ODBC driver (package tdsodbc) not found");
    QVERIFY(!platform::isOdbcDriverRegistered(QStringLiteral("FreeTDS")));
    QVERIFY(platform::isOdbcDriverRegistered(QStringLiteral("sqlite3")));
    QCOMPARE(platform::unregisteredOdbcDriver(QStringLiteral("ODBC Driver 17 for SQL Server")), QString());
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[ freetds ]\nDriver=libtdsodbc.so\n");
    ini.close();
    QCOMPARE(platform::unregisteredOdbcDriver(QStringLiteral("FreeTDS")), QString());
    qunsetenv("ODBCSYSINI");
#else
    QSKIP("unixODBC");
#endif
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
