#pragma once

#include "auxiliary/PingService.h"
#include "auxiliary/PopupNotice.h"
#include "auxiliary/UdpReplication.h"
#include "auxiliary/Watchdog.h"
#include "auxiliary/WatchdogMonitor.h"
#include "campaign/Campaign.h"
#include "core/Ports.h"
#include "console/TelnetConsole.h"
#include "ct_monitor/CtMonitor.h"
#include "ct_monitor/PhoneControl.h"
#include "dialer_link/DialerLink.h"
#include "dialer_link/Emulator.h"
#include "pbx_lines/PbxMonitor.h"
#include "web_status/MetricsServer.h"
#include "web_status/WebStatus.h"

class MainController;
class UserPrompts;

// Builds the subsystems around the main window's logic and plugs them in.
// Lives as long as the controller.
class Composition {
public:
    Composition(MainController &controller, UserPrompts &prompts, bool fast, const QString &telnetHost = QString());

    DialerLink &dialerLink() { return m_link; }
    Campaign &campaign() { return m_campaign; }
    Emulator &emulator() { return m_emulator; }
    CtMonitor &ctMonitor() { return m_ctMonitor; }
    UdpReplication &replication() { return m_replication; }
    PopupNotice &notice() { return m_notice; }
    CommandPhone &phone() { return m_phone; }
    PbxMonitor &pbx() { return m_pbx; }
    WebStatus &web() { return m_web; }
    TelnetConsole &console() { return m_console; }
    Watchdog &watchdog() { return m_watchdog; }
    WatchdogMonitor &watchdogWindow() { return m_watchdogWindow; }
    PingService &ping() { return m_ping; }
    MetricsServer &metrics() { return m_metrics; }

    // The one table from dialer request code to the service that answers it.
    static void routeDialerRequests(Dispatcher &dispatcher, Campaign &campaign);

private:
    DialerLink m_link;
    Campaign m_campaign;
    Emulator m_emulator;
    UdpReplication m_replication;
    PopupNotice m_notice;
    CommandPhone m_phone;
    CtMonitor m_ctMonitor;
    PbxMonitor m_pbx;
    WebStatus m_web;
    TelnetConsole m_console;
    Watchdog m_watchdog;
    WatchdogMonitor m_watchdogWindow;
    PingService m_ping;
    MetricsServer m_metrics;

    void connectDialerLink(MainController &c, UserPrompts &prompts);
    void connectCtMonitor(MainController &c);
    void startMetrics(MainController &c);
    void listenMetrics(MainController &c);
};
