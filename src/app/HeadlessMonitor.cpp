#include "app/HeadlessMonitor.h"

#include "ct_monitor/CtMonitor.h"

#include <memory>

namespace {

QString colourName(Colour c)
{
    switch (c) {
    case Colour::Red:
        return QStringLiteral("rosso");
    case Colour::Blue:
        return QStringLiteral("blu");
    case Colour::Magenta:
        return QStringLiteral("magenta");
    case Colour::Yellow:
        return QStringLiteral("giallo");
    case Colour::White:
        return QStringLiteral("bianco");
    case Colour::Green:
        return QStringLiteral("verde");
    case Colour::Black:
        return QStringLiteral("nero");
    }
    return {};
}

} // namespace

void printMonitor(CtMonitor &monitor, QTextStream &out)
{
    MonitorModel &m = monitor.model();
    const auto print = [&out](const QString &text) { out << QStringLiteral("CTMonitor | ") << text << Qt::endl; };
    QObject::connect(&m.list, &LogList::lineAdded, &m,
                     [&out](const QString &line) { out << QStringLiteral("ListaMonitor | ") << line << Qt::endl; });
    QObject::connect(&m.loaded, &FlagValue::changed, &m,
                     [print](bool open) { print(open ? QStringLiteral("aperto") : QStringLiteral("chiuso")); });
    for (int i = 0; i < 2; ++i) {
        QObject::connect(m.leds[i], &ColourValue::changed, &m, [print, &m, i](Colour c) {
            print(QStringLiteral("LED ") + QString::number(i) + QLatin1Char(' ') + colourName(c) + QStringLiteral(" | ")
                  + m.ledTips[i]->text());
        });
    }
    auto legend = std::make_shared<QString>();
    QObject::connect(&monitor.table(), &ExtensionTable::countersChanged, &m, [print, &m, legend] {
        QString line = QStringLiteral("legenda");
        for (int i = 0; i < MonitorModel::kLegend; ++i)
            line += QLatin1Char(' ') + QString::fromLatin1(MonitorModel::kLegendCaptions[i]) + QLatin1Char('=')
                + m.legend[i]->text();
        if (line != *legend) // printed when it changes, not at every packet
            print(line);
        *legend = line;
    });
    QObject::connect(&monitor.table(), &ExtensionTable::extensionChanged, &m, [print, &monitor](int extension) {
        print(QStringLiteral("Interno ") + QString::number(extension) + QStringLiteral(" | ")
              + monitor.table().row(extension)[ExtensionTable::Display]);
    });
    QObject::connect(&m, &MonitorModel::gridChanged, &m, [print, &m] {
        for (const MonitorModel::GridRow &r : m.grid())
            print(QStringLiteral("Gruppo ") + r.group + QStringLiteral(" | ") + QString::number(r.logged) + QStringLiteral(" | ")
                  + QString::number(r.free) + QStringLiteral(" | ") + QString::number(r.third));
    });
}
