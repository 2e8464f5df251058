#pragma once

#include <QObject>
#include <memory>

#include "campaign/CampaignContext.h"
#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/GroupsService.h"
#include "core/Ports.h"

class Dispatcher;
class QSqlTableModel;

// The campaign database as the main window sees it: opening and closing,
// the counters and resets, and the dialer services registered with the
// dispatcher.
class Campaign : public QObject, public CampaignPort {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        MainModel &model;
        Settings &settings;
        RunClock &clock;
        UserPrompts &prompts;
        const FileLocations &files;
        std::function<void()> settaCaption;
    };

    Campaign(Parts parts, DialerReplies &replies, Dispatcher &dispatcher, QObject *parent = nullptr);
    ~Campaign() override;

    CampaignDb &db() { return m_db; }
    Counters &counters() { return m_counters; }
    GroupsService &groups() { return m_groups; }

    bool isOpen() const override { return m_db.isOpen(); }
    bool open(const QString &connString) override;
    void close() override;
    void initialReset() override { m_counters.azzeramentoInizialeDB(); }
    void refreshCounters(bool soloCoda) override { m_counters.contatori(soloCoda); }
    void manualReset() override { m_counters.azzeramentoManuale(); }
    void sendGroups() override;
    void dumpArchive() override { m_counters.dumpArchivio(); }
    void outcomeSummary(int mode) override { m_counters.riepilogoEsitiGiorno(mode); }
    QAbstractItemModel *groupTable() override;
    void filterGroups(const QString &group, const QString &collector) override;

    static inline const QString kCheckConfig = QStringLiteral(" Vuoi verificare il file di CFG ? (solo lv 999) ");
    // The SQL Server ODBC driver, setting "SqlServerOdbcDriver".
    QString sqlServerDriver() const;

private:
    CampaignContext context();

    Parts m_parts;
    CampaignDb m_db;
    DialerReplies &m_replies;
    Counters m_counters;
    GroupsService m_groups;
    QSqlTableModel *m_groupTable = nullptr;
};
