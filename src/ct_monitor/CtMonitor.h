#pragma once

#include <QObject>

#include "core/Ports.h"
#include "ct_monitor/CtMonitorStore.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorActions.h"
#include "ct_monitor/MonitorFeed.h"
#include "ct_monitor/MonitorFlags.h"
#include "ct_monitor/MonitorLinks.h"
#include "ct_monitor/MonitorModel.h"
#include "ct_monitor/MonitorSession.h"
#include "ct_monitor/MonitorTiles.h"
#include "ct_monitor/OperatorCommands.h"

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

// The CT monitor, put together: the links, the extension and group tables
// with their write-through to CT_Monitor, the feed between them, the
// window's model, tiles and actions, and the session that opens and closes
// it all. Its tables and model live as long as the program.
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
    };

    CtMonitor(Parts parts, UdpReplication &replication, QObject *parent = nullptr);
    ~CtMonitor() override;

    // CtMonitorPort
    void toggle() override { m_session.toggle(); }
    void showAndFill() override { m_session.showAndFill(); }
    void flush() override { m_store.flush(); }
    void shutdown() override { m_session.close(); }

    bool isOpen() const { return m_session.isOpen(); }
    ExtensionTable &table() { return m_table; }
    MonitorModel &model() { return m_model; }
    CtMonitorStore &store() { return m_store; }
    MonitorLinks &links() { return m_links; }
    MonitorLink &monitorLink() { return m_links.monitor(); }
    OperatorServerLink &operatorLink() { return m_links.operatorLink(); }
    MonitorFeed &feed() { return m_feed; }
    OperatorCommands &commands() { return m_commands; }
    MonitorTiles &tiles() { return m_tiles; }
    MonitorActions &actions() { return m_actions; }
    MonitorSession &session() { return m_session; }

Q_SIGNALS:
    // Opened for a status-page request: the window, if any, out of the way.
    void minimiseRequested();

private:
    MonitorFlags m_flags;
    ExtensionTable m_table;
    MonitorModel m_model;
    CtMonitorStore m_store;
    MonitorLinks m_links;
    MonitorFeed m_feed;
    OperatorCommands m_commands;
    MonitorTiles m_tiles;
    MonitorActions m_actions;
    MonitorSession m_session;
};
