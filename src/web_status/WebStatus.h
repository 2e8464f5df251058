#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "core/Ports.h"
#include "web_status/HttpStatusServer.h"
#include "web_status/OutcomeTotals.h"
#include "web_status/StatusPage.h"

class CampaignDb;
class CtMonitor;
class FileLocations;
class HtmlFiles;
class Logger;
class MainModel;
class PbxMonitor;
struct RunClock;

// The web status: the HTTP listener, the status files rewritten every five
// seconds while the CT monitor is open, and the outcome totals kept in
// CT_Monitor between runs.
class WebStatus : public QObject, public StatusPagesPort, private HttpStatusServer::Pages {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        MainModel &main;
        const FileLocations &files;
        const HtmlFiles &html;
        const RunClock &clock;
        CampaignDb &db;
        CtMonitor &monitor;
        PbxMonitor &pbx;
        const DialerLinkPort &dialer; // while it is connected the totals are this copy's own
    };

    explicit WebStatus(Parts parts, QObject *parent = nullptr);

    // StatusPagesPort
    void startListener() override;
    void writeStatusFiles() override;
    void storeOutcomeCounters() override;
    void loadOutcomeCounters() override;
    QString pageUrl() const override;

    HttpStatusServer &server() { return m_server; }
    // The port from "PortaWeb", 8001 when unset.
    quint16 port() const;
    // What the builders read, now, for `peer`.
    statuspage::Inputs inputs(const statuspage::Peer &peer) const;

private:
    // The page a browser asked for, saved as the files too.
    QByteArray page(const statuspage::Peer &peer) override;
    bool saveFiles(const statuspage::Inputs &in, QString *page);
    OutcomeTotals::Captions captions() const;
    OutcomeTotals::Values counters() const;
    void setCounters(const OutcomeTotals::Values &values);
    void refreshTotals();
    statuspage::Peer filePeer() const;

    Parts m_parts;
    HttpStatusServer m_server;
    OutcomeTotals m_totals;
    bool m_totalsLoaded = false;
    OutcomeTotals::Values m_stored{}; // the counters as last read from or written to CT_Monitor
    QElapsedTimer m_lastSave; // pages asked for by browsers are saved at most once a second
};
