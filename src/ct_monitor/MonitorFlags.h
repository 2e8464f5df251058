#pragma once

#include <QString>

#include "ct_monitor/ServerUdpSockets.h"
#include "ct_monitor/TelephonyFormat.h"

// The monitor's flags from the settings (section "Settings" of
// conn_quorin.ini), read again at every opening.
struct MonitorFlags {
    bool usaDb = false;                // UsaDB: no links, the table is read from CT_Monitor
    bool nonConnettereOprSvr = false;  // NonConnettereOprSvr
    quint16 ascoltaUdpPort = 0;        // AscoltaUDP_Port: listen for the replicated stream
    QString ascoltaUdpMittente;        // AscoltaUDP_Mittente: the one sender it is taken from
    QString replicaIp;                 // ReplicaUDP_IP
    quint16 replicaPort = 0;           // ReplicaUDP_Port
    int replicaRate = 0;               // ReplicaUDP_DatagrammiAlSecondo (0: the default)
    quint16 monitorPort = telephony::kMonitorPort;         // PortaMonitor
    quint16 operatorPort = telephony::kOperatorServerPort; // PortaOprSvr
    quint16 udpPort = ServerUdpSockets::kPort;             // PortaUDPServer: WS5's remote and WS6's local port

    static MonitorFlags read(const QString &settingsFile);
    // The operator-server link is wanted: links in use and not turned off.
    bool operatorWanted() const { return !usaDb && !nonConnettereOprSvr; }
};
