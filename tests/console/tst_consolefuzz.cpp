// Hostile streams through the telnet codec and the screen, from a fixed
// seed: no bound broken, and the same screen and replies whether a stream
// comes whole or in pieces. bench/fuzz_console runs the same for longer.
#include <QtTest>

#include "console/ConsoleFuzz.h"

class TestConsoleFuzz : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedSeed();
};

void TestConsoleFuzz::fixedSeed()
{
    std::mt19937 random(20261206);
    qint64 bytes = 0;
    for (int i = 0; i < 2000; ++i) {
        const QByteArray stream = consolefuzz::stream(random, 300);
        bytes += stream.size();
        const QString problem = consolefuzz::check(stream, random);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("stream ") + QString::number(i) + QStringLiteral(": ") + problem));
    }
    QVERIFY(bytes > 100000);
}

QTEST_GUILESS_MAIN(TestConsoleFuzz)
#include "tst_consolefuzz.moc"
