// Cost of logging a line: ScriviLog into a list near its 32000-line limit,
// decorated and plain, and the trimmed lists. Prints lines per second.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "core/LogList.h"
#include "core/Logger.h"
#include "core/ObservableValue.h"

namespace {

template <typename F>
void measure(const char *what, int count, F &&add)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        add(i);
    const double seconds = timer.nsecsElapsed() / 1e9;
    QTextStream(stdout) << what << ": " << count << " lines in " << QString::number(seconds, 'f', 3) << " s, "
                        << QString::number(count / seconds, 'f', 0) << " lines/s" << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = 200000;
    TextValue level(QStringLiteral("0"));
    Logger log(level);
    const QString message = QStringLiteral("Ricevuta Richiesta clienti x gruppi");
    measure("ScriviLog level 0", count, [&](int i) { log.scriviLog(message, Logger::List1, QStringLiteral("RX"), i); });
    level.setText(QStringLiteral("1"));
    measure("ScriviLog level 1", count, [&](int i) { log.scriviLog(message, Logger::List1, QStringLiteral("RX"), i); });
    measure("AggiungiList2 (trimmed at 1000)", count, [&](int) { log.aggiungiList2(message); });
    measure("addlist3 (trimmed at 100)", count, [&](int) { log.addlist3(message, 0); });
    return 0;
}
