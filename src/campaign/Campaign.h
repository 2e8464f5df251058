#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

#include "campaign/CampaignContext.h"
#include "campaign/CampaignDb.h"
#include "campaign/Counters.h"
#include "campaign/DiagnosisWorker.h"
#include "campaign/CustomersService.h"
#include "campaign/GroupsService.h"
#include "campaign/OutcomeService.h"
#include "campaign/QueueService.h"
#include "core/SqlTemplates.h"
#include "campaign/SentLedger.h"
#include "campaign/SentTimeout.h"
#include "core/Ports.h"

class Dispatcher;
class QSqlTableModel;

// The campaign database as the main window sees it: opening and closing,
// the counters and resets, and the services that answer the dialer.
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
        std::function<QDateTime()> now = {}; // the current time when empty
    };

    // `requests` names the last request, which "invia gruppi" echoes.
    Campaign(Parts parts, DialerReplies &replies, const Dispatcher &requests, const DebugFile &debug,
             QObject *parent = nullptr);
    ~Campaign() override;

    CampaignDb &db() { return m_db; }
    Counters &counters() { return m_counters; }
    GroupsService &groups() { return m_groups; }
    CustomersService &customers() { return m_customers; }
    OutcomeService &outcomes() { return m_outcomes; }
    QueueService &queue() { return m_queue; }
    DiagnosisWorker &diagnoses() { return m_diagnoses; }
    SentLedger &ledger() { return m_ledger; }
    SentTimeout &sentTimeout() { return m_sentTimeout; }

    // A lost connection is still this campaign's: closed at the end, tried again until then.
    bool isOpen() const override { return m_db.isOpen() || m_db.isLost(); }
    bool open(const QString &connString) override;
    QString openError() const override { return m_lastOpenError; }
    void close() override;
    void initialReset() override { m_counters.azzeramentoInizialeDB(); }
    void refreshCounters(bool soloCoda) override { m_counters.contatori(soloCoda); }
    void manualReset() override { m_counters.azzeramentoManuale(); }
    void sendGroups() override;
    void dumpArchive() override { m_counters.dumpArchivio(); }
    void outcomeSummary(int mode) override { m_counters.riepilogoEsitiGiorno(mode); }
    QAbstractItemModel *groupTable() override;
    void testQueryGroup(const QString &group) override { m_customers.testGruppo(group); }
    void testQueryOperator(const QString &op) override { m_customers.testOperatore(op); }
    bool diagnose(bool byOperator, const QString &who, std::function<void(const QStringList &lines)> show) override;
    void filterGroups(const QString &group, const QString &collector) override;

    // What a template's service runs, with sample values in its
    // placeholders (group 1, operator "OP1", customer 1); the built-in
    // statement where the template is absent. For "--check-config".
    struct SampleStatement {
        sqltemplates::Template which;
        bool fromTemplate = false;
        QString sql;
        QVariantList binds;
        QString refused; // why a sample value could not go in
    };
    QList<SampleStatement> sampleStatements() const;

    static inline const QString kCheckConfig = QStringLiteral(" Vuoi verificare il file di CFG ? (solo lv 999) ");
    // The SQL Server ODBC driver, setting "SqlServerOdbcDriver".
    QString sqlServerDriver() const;

    // A lost server is tried again after these waits, each twice the last.
    static constexpr int kFirstRetryMs = 250;
    static constexpr int kLongestRetryMs = 2000;
    // How long a server that refused the driver is asked why, once.
    static constexpr int kProbeTimeoutMs = 3000;

private:
    CampaignContext context();
    void connectionLost(const QString &why);
    void tryReconnect();

    Parts m_parts;
    QString m_lastOpenError;
    CampaignDb m_db;
    DiagnosisWorker m_diagnoses;
    const Dispatcher &m_requests;
    SentLedger m_ledger;
    Counters m_counters;
    SentTimeout m_sentTimeout;
    GroupsService m_groups;
    CustomersService m_customers;
    OutcomeService m_outcomes;
    QueueService m_queue;
    QSqlTableModel *m_groupTable = nullptr;
    QTimer m_reconnect;
    QTimer m_minute; // customers sent and never answered
    int m_retryMs = kFirstRetryMs;
    QElapsedTimer m_lostFor;
};
