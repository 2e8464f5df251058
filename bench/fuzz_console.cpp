// The console's fuzz run for as long as asked: hostile streams through the
// telnet codec and the screen, each checked whole against in pieces.
//   build/bench/fuzz_console [SECONDS] [SEED]
// Prints the streams and bytes checked and their rate; exits 1 on the first
// problem, with the seed and stream number to replay it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "console/ConsoleFuzz.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 60;
    const quint32 seed = args.size() > 2 ? args[2].toUInt() : 1;
    QTextStream out(stdout);
    std::mt19937 random(seed);
    QElapsedTimer clock;
    clock.start();
    qint64 streams = 0, bytes = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const QByteArray stream = consolefuzz::stream(random, 300);
        const QString problem = consolefuzz::check(stream, random);
        if (!problem.isEmpty()) {
            out << "seed " << seed << ", stream " << streams << ": " << problem << Qt::endl;
            return 1;
        }
        ++streams;
        bytes += stream.size();
    }
    const double s = clock.elapsed() / 1000.0;
    out << streams << " streams, " << bytes << " bytes in " << s << " s: " << qRound64(streams / s) << " streams/s, "
        << qRound64(bytes / s / 1024) << " KB/s, no problem" << Qt::endl;
    return 0;
}
