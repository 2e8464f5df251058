// The command line: the original's two words and our folder options.
#include <QtTest>

#include "core/CommandLine.h"

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wordsMatchAnywhereInUpperCase();
    void optionValuesAreNotWordsAndErrors();
};

void TestCommandLine::wordsMatchAnywhereInUpperCase()
{
    auto cl = CommandLine::parse({QStringLiteral("avvio_minimo"), QStringLiteral("Fast")});
    QVERIFY(cl.minimo);
    QVERIFY(cl.fast);
    QVERIFY(!cl.headless);
    cl = CommandLine::parse({QStringLiteral("--headless")});
    QVERIFY(!cl.minimo && !cl.fast && cl.headless);
    QVERIFY(cl.error.isEmpty());
}

void TestCommandLine::optionValuesAreNotWordsAndErrors()
{
    const auto cl = CommandLine::parse({QStringLiteral("--app-dir"), QStringLiteral("/srv/fast/minimo"),
                                        QStringLiteral("--shared-dir"), QStringLiteral("s"), QStringLiteral("--root-dir"),
                                        QStringLiteral("r")});
    QCOMPARE(cl.appDir, QStringLiteral("/srv/fast/minimo"));
    QCOMPARE(cl.sharedDir, QStringLiteral("s"));
    QCOMPARE(cl.rootDir, QStringLiteral("r"));
    QVERIFY(!cl.minimo && !cl.fast);
    // The console's host is a host, whatever it is called.
    const auto host = CommandLine::parse({QStringLiteral("--telnet-host"), QStringLiteral("fastpd-minimo")});
    QCOMPARE(host.telnetHost, QStringLiteral("fastpd-minimo"));
    QVERIFY(!host.minimo && !host.fast);
    const auto both = CommandLine::parse({QStringLiteral("FAST"), QStringLiteral("--telnet-host"), QStringLiteral("pd1")});
    QVERIFY(both.fast);
    QCOMPARE(both.telnetHost, QStringLiteral("pd1"));
    QVERIFY(!CommandLine::parse({QStringLiteral("--telnet-host")}).error.isEmpty());
    QVERIFY(!CommandLine::parse({QStringLiteral("--app-dir")}).error.isEmpty());
    QVERIFY(!CommandLine::parse({QStringLiteral("--bogus")}).error.isEmpty());
    QVERIFY(!CommandLine::parse({QStringLiteral("--customers"), QStringLiteral("many")}).error.isEmpty());
    const auto demo = CommandLine::parse({QStringLiteral("--create-demo-db"), QStringLiteral("x.sqlite"),
                                          QStringLiteral("--customers"), QStringLiteral("50"), QStringLiteral("--seed"),
                                          QStringLiteral("9")});
    QVERIFY(demo.error.isEmpty());
    QCOMPARE(demo.createDemoDb, QStringLiteral("x.sqlite"));
    QCOMPARE(demo.customers, 50);
    QCOMPARE(demo.seed, 9u);
    QVERIFY(CommandLine::parse({QStringLiteral("--help")}).help);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
