#pragma once

#include <QList>
#include <QString>

// Every key the program reads from the "Settings" section of
// conn_quorin.ini, in one place: the readers take their names from here, and
// "--check-config" knows from here which keys are the program's (a key
// nobody reads is most often a misspelt one). Names match without regard to
// case, as the platform's profile reader matches them.
namespace settingskey {

inline const QString ServerIp = QStringLiteral("ServerIp");
inline const QString ServerPort = QStringLiteral("ServerPort");
inline const QString Simulazione = QStringLiteral("Simulazione");
inline const QString AutoConnect = QStringLiteral("AutoConnect");
inline const QString PingOnIdle = QStringLiteral("PingOnIdle");
inline const QString NoDb = QStringLiteral("nodb");
inline const QString Debug = QStringLiteral("debug");
inline const QString Intervallo = QStringLiteral("intervallo");
inline const QString LimiteEsitiNegativiTollerati = QStringLiteral("LimiteEsitiNegativiTollerati");
inline const QString SpostaNonTrovati = QStringLiteral("SpostaNonTrovati");
inline const QString TimeoutPacchetto = QStringLiteral("TimeoutPacchetto");
inline const QString LimiteFileMB = QStringLiteral("LimiteFileMB");
inline const QString LimiteClientiRichiesta = QStringLiteral("LimiteClientiRichiesta");
inline const QString GiorniConservazioneLog = QStringLiteral("GiorniConservazioneLog");
inline const QString OreRilascioInviati = QStringLiteral("OreRilascioInviati");
inline const QString WatchDogIP = QStringLiteral("WatchDogIP"); // followed by one digit, 0 to 9
inline const QString PortaWatchDog = QStringLiteral("PortaWatchDog");
inline const QString ReplicaUdpIp = QStringLiteral("ReplicaUDP_IP");
inline const QString ReplicaUdpPort = QStringLiteral("ReplicaUDP_Port");
inline const QString AscoltaUdpPort = QStringLiteral("AscoltaUDP_Port");
inline const QString AscoltaUdpMittente = QStringLiteral("AscoltaUDP_Mittente");
inline const QString ReplicaUdpRate = QStringLiteral("ReplicaUDP_DatagrammiAlSecondo");
inline const QString AutoCTMonitor = QStringLiteral("AutoCTMonitor");
inline const QString AutoPBX = QStringLiteral("AutoPBX");
inline const QString UsaDB = QStringLiteral("UsaDB");
inline const QString NonConnettereOprSvr = QStringLiteral("NonConnettereOprSvr");
inline const QString PortaMonitor = QStringLiteral("PortaMonitor");
inline const QString PortaOprSvr = QStringLiteral("PortaOprSvr");
inline const QString PortaUDPServer = QStringLiteral("PortaUDPServer");
inline const QString PortaPBX = QStringLiteral("PortaPBX");
inline const QString PortaWeb = QStringLiteral("PortaWeb");
inline const QString MetricsPort = QStringLiteral("MetricsPort");
inline const QString MetricsIp = QStringLiteral("MetricsIp");
inline const QString StatusReportHost = QStringLiteral("StatusReportHost");
inline const QString SqlServerOdbcDriver = QStringLiteral("SqlServerOdbcDriver");
inline const QString ComandoChiamata = QStringLiteral("ComandoChiamata");
inline const QString ComandoRiaggancio = QStringLiteral("ComandoRiaggancio");

// What a value must look like.
enum class Kind {
    Text,    // anything
    Flag,    // 0 or 1 (read leniently: a leading number, non-zero is on)
    Number,  // a whole number
    Port,    // 0 to 65535
    Address, // a host name or an IP address
};

struct Key {
    QString name;
    Kind kind;
};

// Every key, the watchdog's ten expanded ("WatchDogIP0" … "WatchDogIP9").
const QList<Key> &all();
// The key of that name in any case; nullptr for a key the program never reads.
const Key *find(const QString &name);
// The known key closest to a name the program does not read, when one is
// close enough to be a slip of the keyboard; empty otherwise.
QString nearest(const QString &unknown);

} // namespace settingskey
