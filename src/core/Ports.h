#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <map>

// The places where the other subsystems plug into the main window's steps.
// A missing service leaves its step doing nothing and its commands disabled.

// The dialer link socket and its session.
class DialerLinkPort {
public:
    virtual ~DialerLinkPort() = default;
    virtual int state() const = 0; // socket state 0..9
    virtual void connectTo(const QString &host, quint16 port) = 0;
    virtual void close() = 0; // DBDOWN first when connected
    virtual void sendDbOk() = 0;
    virtual void sendDbDown() = 0;
};

// The dialer emulator's listener.
class EmulatorPort {
public:
    virtual ~EmulatorPort() = default;
    virtual void listen(quint16 port) = 0;
    virtual void provaEsito() = 0; // "prova esito": a test outcome request
};

class QAbstractItemModel;

// The campaign database and the counters it feeds.
class CampaignPort {
public:
    virtual ~CampaignPort() = default;
    virtual bool isOpen() const = 0;
    // False when the database cannot be opened: the program ends.
    virtual bool open(const QString &connString) = 0;
    // Why the last open() failed, passwords hidden.
    virtual QString openError() const { return {}; }
    virtual void close() = 0;
    virtual void initialReset() = 0;                 // start-of-run reset
    virtual void refreshCounters(bool soloCoda) = 0; // the "Dati DB" block
    virtual void manualReset() {}                    // "Azzera"
    virtual void sendGroups() {}                     // "invia gruppi"
    virtual void dumpArchive() {}                    // "A"
    virtual void outcomeSummary(int mode) { Q_UNUSED(mode); } // "et" (1), "eg" (2)
    // The "Gruppi/Operatori" grid and its filters.
    virtual QAbstractItemModel *groupTable() { return nullptr; }
    virtual void filterGroups(const QString &group, const QString &collector) { Q_UNUSED(group); Q_UNUSED(collector); }
    // "Test Query Gruppo" / "Test Query Operatore": count without sending.
    virtual void testQueryGroup(const QString &group) { Q_UNUSED(group); }
    virtual void testQueryOperator(const QString &op) { Q_UNUSED(op); }
    // Why the customers query of a group (an operator) finds nobody: `show`
    // gets the lines to show, later (the counting runs off the dialer's
    // thread). False, and `show` is never called, when too many wait already.
    virtual bool diagnose(bool byOperator, const QString &who, std::function<void(const QStringList &lines)> show)
    {
        Q_UNUSED(byOperator);
        Q_UNUSED(who);
        Q_UNUSED(show);
        return false;
    }
};

// The web status listener and the status files.
class StatusPagesPort {
public:
    virtual ~StatusPagesPort() = default;
    virtual void startListener() = 0;
    virtual void writeStatusFiles() = 0;
    virtual void storeOutcomeCounters() = 0;
    // The totals kept between runs, once, as soon as the database is open.
    virtual void loadOutcomeCounters() {}
    // Where a browser on this machine finds the status page.
    virtual QString pageUrl() const { return {}; }
};

class PingPort {
public:
    virtual ~PingPort() = default;
    virtual void startPing() = 0;
};

class WatchdogPort {
public:
    virtual ~WatchdogPort() = default;
    virtual void setPeers(const std::map<int, QString> &hosts) = 0;
    virtual void check() = 0;
    virtual int firstPeerState() const = 0;
    virtual void sendReport() = 0;
};

// The CT monitor window with its links.
class CtMonitorPort {
public:
    virtual ~CtMonitorPort() = default;
    virtual void toggle() = 0;      // the "ACD" menu
    virtual void showAndFill() = 0; // "Finestra Monitor": open as "ACD" does, refill the tiles
    virtual void flush() {}         // pending table rows to the database, now
    virtual void shutdown() = 0;
};

// The PBX lines window with its link.
class PbxPort {
public:
    virtual ~PbxPort() = default;
    virtual void show() = 0; // the "PBX" menu and the double click on "-> pbx"
    virtual void shutdown() = 0;
};

// The watchdog's receiving window.
class WatchdogWindowPort {
public:
    virtual ~WatchdogWindowPort() = default;
    virtual void show() = 0; // the "wd" menu
    virtual void shutdown() = 0;
};

// The telnet console to the dialer's host.
class ConsolePort {
public:
    virtual ~ConsolePort() = default;
    virtual void show() = 0; // the "&TELNET" menu
    virtual void shutdown() = 0;
};

struct Plugins {
    DialerLinkPort *link = nullptr;
    EmulatorPort *emulator = nullptr;
    CampaignPort *campaign = nullptr;
    StatusPagesPort *statusPages = nullptr;
    PingPort *ping = nullptr;
    WatchdogPort *watchdog = nullptr;
    CtMonitorPort *ctMonitor = nullptr;
    PbxPort *pbx = nullptr;
    ConsolePort *console = nullptr;
    WatchdogWindowPort *watchdogWindow = nullptr;
};
