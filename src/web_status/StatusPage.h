#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <array>

#include "ct_monitor/MonitorModel.h"

class ExtensionTable;
class LineTable;

// The status pages and the watchdog's plain-text reports, built as text
// from the live state: the extension table, the group grid, the external
// lines, the outcome counters and the connection being served. Builders
// only read what they are given.
namespace statuspage {

inline constexpr int kOutcomes = 12;
inline constexpr int kGridGroups = 8; // the page shows the grid's first eight groups
inline constexpr int kPbxEntries = 120;
inline constexpr qint64 kMaxScriptBytes = 256 * 1024;

// The connection a page is built for (empty without one).
struct Peer {
    QString localIp;
    quint16 localPort = 0;
    QString localHostName;
    QString remoteIp;
    quint16 remotePort = 0;
    QString remoteHost;
};

struct Inputs {
    Inputs(const ExtensionTable &e, const LineTable &l) : extensions(e), lines(l) {}

    const ExtensionTable &extensions;
    int extensionCount = 0; // QuantiInterni, clamped to the table
    QList<MonitorModel::GridRow> groups;
    const LineTable &lines;
    std::array<QString, kOutcomes> outcomeCaptions; // "Esiti Rx" ...
    std::array<QString, kOutcomes> outcomes;        // the counters as shown
    std::array<QString, kOutcomes> percents;        // "12%"
    QString scriptDir; // the "js" folder
    QDateTime now;
    QDateTime start;
    QString version; // "1.0.0"
    Peer peer;
};

// Text from the wire or the database where it lands in a page.
QString escaped(const QString &text);

QString stileToolTip();
QString div();
// FN_Js: the script file as a script element; empty when it is missing or
// holds almost nothing.
QString js(const QString &dir, const QString &name);
QString statoQuorin(const Inputs &in);
QString listaUtenti(const Inputs &in);
QString datiGruppi(const Inputs &in);
QString statoPbx(const Inputs &in);
QString esiti(const Inputs &in);
QString datiServer(const Inputs &in);

// The two pages: "default" (served and saved) and "listautenti" (saved).
QString defaultPage(const Inputs &in);
QString listaUtentiPage(const Inputs &in);

// The watchdog's plain-text blocks.
QString simpleStatoQuorin(const ExtensionTable &extensions);
QString simpleEsiti(const Inputs &in);
QString simpleDatiGruppi(const Inputs &in);
// The watchdog's report: "WD Ready on ", the dialer link's local address
// (in.peer.localIp) and the time, then the three plain-text tables.
QString watchdogReport(const Inputs &in);

// The five-column grid the group builders read: titles, then a row a group.
QList<QStringList> groupGrid(const QList<MonitorModel::GridRow> &groups);
// "#RRGGBB" of a line state code.
QString lineColour(int state);

} // namespace statuspage
