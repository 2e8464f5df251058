#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/Ports.h"
#include "core/Severity.h"
#include "ct_monitor/CtMonitorStore.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorActions.h"
#include "ct_monitor/MonitorLink.h"
#include "ct_monitor/MonitorModel.h"
#include "ct_monitor/MonitorTiles.h"
#include "ct_monitor/OperatorCommands.h"
#include "ct_monitor/OperatorServerLink.h"
#include "ct_monitor/ServerUdpSockets.h"

class CampaignDb;
class DebugFile;
class FileLocations;
class Logger;
class MainModel;
class PhoneControl;
class PopupNotice;
class UdpReplication;
class UserPrompts;
struct Settings;

// The CT monitor: the monitor and operator-server links, the extension and
// group tables with their write-through to CT_Monitor, the window's model
// and its timer. Opened and closed by the "ACD" menu (toggle), its tables
// and model live as long as the program.
class CtMonitor : public QObject, public CtMonitorPort {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        MainModel &main;
        const Settings &settings;
        const FileLocations &files;
        UserPrompts &prompts;
        CampaignDb &db;
        const DebugFile &debug;
        PopupNotice &notice;
        PhoneControl &phone;
        // Edit mode holds the main window's two timers (true) and lets them go.
        std::function<void(bool)> holdMainTimers;
    };

    // The flags the settings give (section "Settings" of conn_quorin.ini).
    struct Flags {
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
    };

    CtMonitor(Parts parts, UdpReplication &replication, QObject *parent = nullptr);
    ~CtMonitor() override;

    // CtMonitorPort
    void toggle() override; // the "ACD" menu
    void showAndFill() override;
    void flush() override { m_store.flush(); }
    void shutdown() override;

    // Opens the monitor (no-op when open); "Finestra Monitor" also refills.
    void open();
    void close();
    bool isOpen() const { return m_model.loaded.value(); }
    // The window timer's work: LEDs, caption, read-back and reconnection.
    void tick();

    const Flags &flags() const { return m_flags; }
    qint64 recordsApplied() const { return m_recordsApplied; }
    // "Interni applicati N, ... p50 ... p99 ...": the work of this run.
    QString summary() const;
    ExtensionTable &table() { return m_table; }
    MonitorModel &model() { return m_model; }
    CtMonitorStore &store() { return m_store; }
    MonitorLink &monitorLink() { return m_monitor; }
    OperatorServerLink &operatorLink() { return m_operator; }
    OperatorCommands &commands() { return m_commands; }
    MonitorTiles &tiles() { return m_tiles; }
    MonitorActions &actions() { return m_actions; }
    QTimer &timer() { return m_timer; }

    // The double click on a link's LED (0 monitor, 1 operator server):
    // close it when open, else open it.
    void ledDoubleClicked(int index);
    ServerUdpSockets &udpSockets() { return m_udpSide; }

    // The double-click on the logged counter: "CONFERMI LOGOUT GENERALE?"
    // and ButtaTuttiFuori, or LoginCasuale when nobody is logged.
    void logoutGenerale();

    // A decoded monitor packet (LavoraDatiMonitor).
    void lavoraDatiMonitor(const telephony::MonitorPacket &p);

Q_SIGNALS:
    // "Finestra Monitor": the tiles are to be drawn again from the table (Riempie).
    void refillRequested();
    // Opened for a status-page request: the window, if any, out of the way.
    void minimiseRequested();

private:
    Flags readFlags() const;
    void connectMonitor();   // ConnettiCTMonitor
    void connectOperator();  // ConnettiOPR_SVR
    void startReplication();
    void updateLeds();       // AggiornaLed
    void hold(bool on);      // edit mode: timers and links stop, or start again
    void countersChanged();
    bool applyExtension(const telephony::ExtensionRecord &r); // false when the table skipped it
    void applyGroup(const telephony::GroupRecord &r);
    void log(const QString &text, Severity severity = Severity::Info);
    void debug(const QString &text);
    double level() const;

    Parts m_parts;
    UdpReplication &m_replication;
    Flags m_flags;
    ExtensionTable m_table;
    MonitorModel m_model;
    CtMonitorStore m_store;
    MonitorLink m_monitor;
    OperatorServerLink m_operator;
    ServerUdpSockets m_udpSide;
    OperatorCommands m_commands;
    MonitorTiles m_tiles;
    MonitorActions m_actions;
    QTimer m_timer;
    qint64 m_recordsApplied = 0;
    bool m_closing = false;
    bool m_configuring = false; // the last packet was an extension configuration
    int m_configuredTop = 0;    // tiles the configuration needs so far
};
