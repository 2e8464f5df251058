#pragma once

#include <QObject>

#include "ct_monitor/MonitorLink.h"
#include "ct_monitor/OperatorServerLink.h"
#include "ct_monitor/ServerUdpSockets.h"

class DebugFile;
class Logger;
class MainModel;
class MonitorModel;
class UdpReplication;
struct MonitorFlags;
struct Settings;

// The monitor's two links to the telephony server (and the UDP sockets that
// go with the operator server): opened, closed and held as the flags say,
// the replica of the monitor stream started, and their state shown on the
// two LEDs and on the main window.
class MonitorLinks : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        const DebugFile &debug;
        const Settings &settings;
        MainModel &main;
        MonitorModel &model;
        UdpReplication &replication;
        const MonitorFlags &flags; // as read at the last opening
    };

    explicit MonitorLinks(Parts parts, QObject *parent = nullptr);

    // At opening: the UDP side and the operator server, as the flags want them.
    void open();
    void connectMonitor();  // ConnettiCTMonitor
    void connectOperator(); // ConnettiOPR_SVR
    // Armed at every opening from the menu, the socket of an earlier one first closed.
    void startReplication();
    void close();
    // Edit mode: both links closed (true), or opened again as the flags want.
    void hold(bool on);
    // The window timer's share: a replica's port refused is tried again.
    void retry();
    // The double click on a link's LED (0 monitor, 1 operator server):
    // close it when open, else open it.
    void ledDoubleClicked(int index);
    void updateLeds(); // AggiornaLed

    MonitorLink &monitor() { return m_monitor; }
    OperatorServerLink &operatorLink() { return m_operator; }
    ServerUdpSockets &udpSockets() { return m_udpSide; }

private:
    void bytesRead(const QByteArray &bytes);
    void log(const QString &text);

    Parts m_parts;
    MonitorLink m_monitor;
    OperatorServerLink m_operator;
    ServerUdpSockets m_udpSide;
};
