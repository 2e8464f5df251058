#include "core/SettingsKeys.h"

#include <algorithm>
#include <vector>

namespace settingskey {
namespace {

// Edits (insert, delete, replace, swap of two neighbours) from one to the other.
int distance(const QString &a, const QString &b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[size_t(i)][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][size_t(j)] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int v = std::min({d[size_t(i - 1)][size_t(j)] + 1, d[size_t(i)][size_t(j - 1)] + 1,
                              d[size_t(i - 1)][size_t(j - 1)] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                v = std::min(v, d[size_t(i - 2)][size_t(j - 2)] + 1);
            d[size_t(i)][size_t(j)] = v;
        }
    }
    return d[size_t(n)][size_t(m)];
}

} // namespace

const QList<Key> &all()
{
    static const QList<Key> keys = [] {
        QList<Key> k{{ServerIp, Kind::Address},
                     {ServerPort, Kind::Port},
                     {Simulazione, Kind::Flag},
                     {AutoConnect, Kind::Flag},
                     {PingOnIdle, Kind::Flag},
                     {NoDb, Kind::Flag},
                     {Debug, Kind::Number},
                     {Intervallo, Kind::Number},
                     {LimiteEsitiNegativiTollerati, Kind::Number},
                     {SpostaNonTrovati, Kind::Number},
                     {TimeoutPacchetto, Kind::Number},
                     {LimiteFileMB, Kind::Number},
                     {LimiteClientiRichiesta, Kind::Number},
                     {GiorniConservazioneLog, Kind::Number},
                     {OreRilascioInviati, Kind::Number}};
        for (int i = 0; i <= 9; ++i)
            k.append({WatchDogIP + QString::number(i), Kind::Address});
        k.append({{PortaWatchDog, Kind::Port},
                  {ReplicaUdpIp, Kind::Address},
                  {ReplicaUdpPort, Kind::Port},
                  {AscoltaUdpPort, Kind::Port},
                  {AscoltaUdpMittente, Kind::Address},
                  {ReplicaUdpRate, Kind::Number},
                  {AutoCTMonitor, Kind::Flag},
                  {AutoPBX, Kind::Flag},
                  {UsaDB, Kind::Flag},
                  {NonConnettereOprSvr, Kind::Flag},
                  {PortaMonitor, Kind::Port},
                  {PortaOprSvr, Kind::Port},
                  {PortaUDPServer, Kind::Port},
                  {PortaPBX, Kind::Port},
                  {PortaWeb, Kind::Port},
                  {MetricsPort, Kind::Port},
                  {MetricsIp, Kind::Address},
                  {StatusReportHost, Kind::Address},
                  {SqlServerOdbcDriver, Kind::Text},
                  {ComandoChiamata, Kind::Text},
                  {ComandoRiaggancio, Kind::Text}});
        return k;
    }();
    return keys;
}

const Key *find(const QString &name)
{
    const QList<Key> &keys = all();
    const auto it = std::find_if(keys.begin(), keys.end(),
                                 [&name](const Key &k) { return k.name.compare(name, Qt::CaseInsensitive) == 0; });
    return it == keys.end() ? nullptr : &*it;
}

QString nearest(const QString &unknown)
{
    const QString wanted = unknown.toLower();
    QString best;
    int bestDistance = 0;
    for (const Key &k : all()) {
        const int d = distance(wanted, k.name.toLower());
        if (best.isEmpty() || d < bestDistance) {
            best = k.name;
            bestDistance = d;
        }
    }
    // A slip is a few keys, in proportion to the name's length.
    const int allowed = std::max<int>(2, int(unknown.size()) / 3);
    return bestDistance <= allowed ? best : QString();
}

} // namespace settingskey
