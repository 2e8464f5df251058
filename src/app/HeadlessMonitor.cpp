#include "app/HeadlessMonitor.h"

#include "auxiliary/PopupNotice.h"
#include "console/TelnetConsole.h"
#include "ct_monitor/CtMonitor.h"
#include "pbx_lines/PbxMonitor.h"
#include "auxiliary/PingService.h"
#include "auxiliary/WatchdogMonitor.h"
#include "core/MainModel.h"

#include <QTimer>
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
    case Colour::LightBlue:
        return QStringLiteral("azzurro");
    }
    return {};
}

} // namespace

void printMonitor(CtMonitor &monitor, HeadlessOutput &out)
{
    MonitorModel &m = monitor.model();
    const auto print = [&out](const QString &text) { out.print(QStringLiteral("CTMonitor"), text); };
    QObject::connect(&m.list, &LogList::lineAdded, &m, [&out](const QString &line, Severity severity) {
        out.print(QStringLiteral("ListaMonitor"), line, severity);
    });
    QObject::connect(&m.loaded, &FlagValue::changed, &m,
                     [print](bool open) { print(open ? QStringLiteral("aperto") : QStringLiteral("chiuso")); });
    for (int i = 0; i < 2; ++i) {
        // The light-blue flash of each arrival is not news: a LED is printed
        // when its state colour changes.
        auto shown = std::make_shared<Colour>(m.leds[i]->value());
        QObject::connect(m.leds[i], &ColourValue::changed, &m, [print, &m, i, shown](Colour c) {
            if (c == Colour::LightBlue || c == *shown)
                return;
            *shown = c;
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
    MonitorActions &a = monitor.actions();
    QObject::connect(&a.list, &LogList::lineAdded, &m,
                     [&out](const QString &line) { out.print(QStringLiteral("ListaInterni"), line); });
    QObject::connect(&a.listShown, &FlagValue::changed, &m,
                     [print](bool on) { print(on ? QStringLiteral("lista aperta") : QStringLiteral("lista chiusa")); });
    QObject::connect(&a, &MonitorActions::editModeChanged, &m,
                     [print](bool on) { print(on ? QStringLiteral("edit attivo") : QStringLiteral("edit concluso")); });
    QObject::connect(&a, &MonitorActions::textsChanged, &m, [print, &a] {
        for (const layoutfile::FreeText &t : a.texts())
            print(QStringLiteral("testo ") + QString::number(t.at.x()) + QLatin1Char(' ') + QString::number(t.at.y())
                  + QStringLiteral(" | ") + t.text);
    });
    QObject::connect(&a.coordinates, &TextValue::textChanged, &m,
                     [print](const QString &text) { print(QStringLiteral("posizione ") + text); });
    QObject::connect(&m, &MonitorModel::gridChanged, &m, [print, &m] {
        for (const MonitorModel::GridRow &r : m.grid())
            print(QStringLiteral("Gruppo ") + r.group + QStringLiteral(" | ") + QString::number(r.logged) + QStringLiteral(" | ")
                  + QString::number(r.free) + QStringLiteral(" | ") + QString::number(r.third));
    });
}

void printPbx(PbxMonitor &pbx, HeadlessOutput &out)
{
    const auto print = [&out](const QString &text) { out.print(QStringLiteral("PBX"), text); };
    QObject::connect(&pbx.list, &LogList::lineAdded, &pbx, [&out](const QString &line, Severity severity) {
        out.print(QStringLiteral("ListaLinee"), line, severity);
    });
    QObject::connect(&pbx.messages, &LogList::lineAdded, &pbx,
                     [&out](const QString &line) { out.print(QStringLiteral("InLinea"), line); });
    QObject::connect(&pbx.loaded, &FlagValue::changed, &pbx,
                     [print](bool open) { print(open ? QStringLiteral("aperto") : QStringLiteral("chiuso")); });
    QObject::connect(&pbx.led, &ColourValue::changed, &pbx,
                     [print, &pbx](Colour c) { print(QStringLiteral("LED ") + colourName(c) + QStringLiteral(" | ") + pbx.ledTip.text()); });
    QObject::connect(&pbx.table(), &LineTable::lineChanged, &pbx,
                     [print, &pbx](int line) { print(QStringLiteral("Linea ") + QString::number(line) + QStringLiteral(" | ")
                                                     + pbx.table().row(line).tooltip); });
}

void printNotices(PopupNotice &notice, HeadlessOutput &out)
{
    QObject::connect(&notice, &PopupNotice::opened, &notice,
                     [&out](const QString &text) { out.print(QStringLiteral("Msg"), text); });
}

void printConsole(TelnetConsole &console, HeadlessOutput &out)
{
    struct Printer {
        QStringList shown = QStringList(Vt100Screen::kRows, QString(Vt100Screen::kCols, QLatin1Char(' ')));
    };
    auto printer = std::make_shared<Printer>();
    auto *timer = new QTimer(&console); // lives as long as the console
    timer->setSingleShot(true);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, &console, [printer, &console, &out] {
        const QStringList now = console.screen().lines();
        for (int r = 0; r < now.size(); ++r) {
            if (now[r] == printer->shown[r])
                continue;
            QString text = now[r];
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            out.print(QStringLiteral("Screen"), QString::number(r).rightJustified(2, QLatin1Char('0')) + QStringLiteral(" | ") + text);
        }
        printer->shown = now;
    });
    // A burst of input is printed once it has settled a moment, ten times a second at most.
    QObject::connect(&console, &TelnetConsole::screenChanged, timer, [timer] {
        if (!timer->isActive())
            timer->start();
    });
    QObject::connect(&console.loaded, &FlagValue::changed, &console, [&out](bool open) {
        out.print(QStringLiteral("Telnet"), open ? QStringLiteral("aperto") : QStringLiteral("chiuso"));
    });
    for (int i = 0; i < 4; ++i) {
        QObject::connect(console.panels[size_t(i)], &TextValue::textChanged, &console, [&out, i](const QString &text) {
            out.print(QStringLiteral("Telnet"), QStringLiteral("pannello ") + QString::number(i + 1) + QStringLiteral(" | ") + text);
        });
    }
}

void printWatchdog(WatchdogMonitor &window, HeadlessOutput &out)
{
    QObject::connect(&window.list, &LogList::lineAdded, &window,
                     [&out](const QString &line) { out.print(QStringLiteral("WatchDog"), line); });
    QObject::connect(&window.caption, &TextValue::textChanged, &window,
                     [&out](const QString &text) { out.print(QStringLiteral("frm_WDog"), text); });
}

void printPing(PingService &ping, HeadlessOutput &out)
{
    QObject::connect(&ping, &PingService::done, &ping, [&ping, &out](int) {
        out.print(QStringLiteral("Ping"), ping.model().pingResult.text() + QStringLiteral(" | ") + ping.model().pingBackground.text());
    });
}
