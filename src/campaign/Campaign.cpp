#include "campaign/Campaign.h"

#include "campaign/SqlServerProbe.h"
#include "campaign/SqlText.h"
#include "core/IniFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Redaction.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/UserPrompts.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/Dispatcher.h"
#include "platform/OdbcDrivers.h"

#include <QSqlError>
#include <QSqlTableModel>

Campaign::Campaign(Parts parts, DialerReplies &replies, const Dispatcher &requests, const DebugFile &debug, QObject *parent)
    : QObject(parent),
      m_parts(std::move(parts)),
      m_requests(requests),
      m_counters(context()),
      m_sentTimeout(context(), m_counters),
      m_groups(context(), replies),
      m_customers(context(), replies, m_counters, m_sentTimeout),
      m_outcomes(context(), replies, m_counters),
      m_queue(context(), replies, m_counters, debug, m_sentTimeout)
{
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &Campaign::tryReconnect);
    m_minute.setInterval(60000);
    connect(&m_minute, &QTimer::timeout, this, [this] { m_sentTimeout.tick(); });
    connect(&m_db, &CampaignDb::lost, this, &Campaign::connectionLost);
    m_customers.setDiagnoses(&m_diagnoses);
}

void Campaign::connectionLost(const QString &why)
{
    // Told from inside a failed statement: only the timer touches the database again.
    m_parts.log.scriviLog(QStringLiteral("ERRORE DB: connessione persa (") + why + QStringLiteral(")"), Logger::List1,
                          Severity::Error);
    m_parts.log.aggiungiList2(QStringLiteral("CONNESSIONE DB PERSA: ") + why, Severity::Error);
    m_lostFor.start();
    m_retryMs = kFirstRetryMs;
    m_reconnect.start(m_retryMs);
}

void Campaign::tryReconnect()
{
    QString error;
    if (m_db.reconnect(error)) {
        const QString line = QStringLiteral("DB RICONNESSO dopo ") + QString::number(m_lostFor.elapsed()) + QStringLiteral(" ms");
        m_parts.log.scriviLog(line, Logger::List1);
        m_parts.log.aggiungiList2(line);
        return;
    }
    m_retryMs = std::min(2 * m_retryMs, kLongestRetryMs);
    m_parts.log.aggiungiList2(QStringLiteral("DB non raggiungibile (") + error + QStringLiteral("), nuovo tentativo tra ")
                                  + QString::number(m_retryMs) + QStringLiteral(" ms"),
                              Severity::Warning);
    m_reconnect.start(m_retryMs);
}

Campaign::~Campaign()
{
    delete m_groupTable; // before the connection it reads goes
    m_groupTable = nullptr;
}

CampaignContext Campaign::context()
{
    return {m_db,          m_parts.log,   m_parts.model, m_parts.settings,     m_parts.clock,
            m_parts.prompts, m_parts.files, m_ledger,      m_parts.now};
}

QString Campaign::sqlServerDriver() const
{
    const QString configured =
        inifile::leggiIni(m_parts.files.settingsFile(), kSettingsSection, settingskey::SqlServerOdbcDriver);
    if (!configured.isEmpty())
        return configured;
    // Microsoft's driver is not a Debian package: the ADO form of a Windows
    // installation goes through FreeTDS where only that is installed.
    if (!platform::isOdbcDriverRegistered(ConnectionParams::kDefaultSqlServerDriver)
        && (platform::isOdbcDriverRegistered(ConnectionParams::kFreeTds)
            || !platform::unregisteredOdbcDriver(ConnectionParams::kFreeTds).isEmpty()))
        return ConnectionParams::kFreeTds;
    return ConnectionParams::kDefaultSqlServerDriver;
}

bool Campaign::open(const QString &connString)
{
    m_reconnect.stop();
    m_lastOpenError.clear();
    m_parts.log.aggiungiList2(QStringLiteral("APRO DB ") + redaction::hidePasswords(connString));
    const ConnectionParams conn = ConnectionParams::parse(connString, m_parts.files.paths().sharedDir, sqlServerDriver());
    QString error;
    if (!m_db.open(conn, error)) {
        // The driver says "unavailable" alike for a refused connection, a
        // silent host and one that does not exist.
        if (conn.kind == ConnectionParams::Kind::Odbc && conn.sqlServer) {
            const QString why = sqlserverprobe::explain(sqlserverprobe::endpointOf(conn.database), kProbeTimeoutMs);
            if (!why.isEmpty())
                error = why + QStringLiteral(" (") + error + QLatin1Char(')');
        }
        error = redaction::hidePasswords(error);
        m_lastOpenError = error;
        if (m_parts.prompts.confirm(error + QLatin1Char('\n') + kCheckConfig, true))
            m_parts.prompts.editFile(m_parts.files.sharedDbFile());
        return false;
    }
    m_parts.log.aggiungiList2(QStringLiteral("Aperto DB "));
    m_diagnoses.setConnection(conn);
    // Whether the sent-at table is there decides at once whether claims stamp it.
    m_sentTimeout.tick();
    m_minute.start();
    // The two tables kept open for the whole run must be there.
    QSqlQuery probe;
    for (const QString &sql : {QStringLiteral("select top 1 *  from Esiti_Quorin"), QStringLiteral("select top 1 * from CT_Monitor")}) {
        if (!m_db.select(sql, probe, error)) {
            m_parts.prompts.message(error, Severity::Error);
            break;
        }
    }
    return true;
}

QList<Campaign::SampleStatement> Campaign::sampleStatements() const
{
    using namespace sqltemplates;
    const auto &t = m_parts.settings.templates;
    const QDateTime now = m_parts.now ? m_parts.now() : QDateTime::currentDateTime();
    const auto filled = [&t](Template which, const sqltext::Filled &f) {
        return SampleStatement{which, !t[which].isEmpty(), f.sql, {}, f.ok ? QString() : f.error};
    };
    const auto plain = [&t](Template which, const QString &builtIn) {
        return SampleStatement{which, !t[which].isEmpty(), t[which].isEmpty() ? builtIn : t[which], {}, {}};
    };
    QList<SampleStatement> out;
    const CustomersService::Statement group = m_customers.groupStatement(10, 1);
    out.append({ClientiGruppo, !t[ClientiGruppo].isEmpty(), group.sql, group.binds, group.refused});
    const CustomersService::Statement op = m_customers.operatorStatement(10, QStringLiteral("OP1"), now);
    out.append({ClientiOperatore, !t[ClientiOperatore].isEmpty(), op.sql, op.binds, op.refused});
    out.append(plain(Conta, Counters::kDaInviareStatement));
    if (t[Auto].size() > 10) // shorter, it never runs
        out.append(plain(Auto, {}));
    out.append(filled(LiberaGruppo, m_queue.groupReleaseStatement(1)));
    out.append(filled(LiberaOperatore, m_queue.operatorReleaseStatement(QStringLiteral("OP1"), now.date())));
    out.append(plain(Riepilogo, Counters::kStatiStatement));
    out.append(filled(ContaProblemi, m_outcomes.problemCountStatement(1)));
    return out;
}

void Campaign::close()
{
    m_reconnect.stop();
    m_diagnoses.setConnection({});
    m_minute.stop();
    if (m_groupTable) {
        m_groupTable->clear();
        delete m_groupTable;
        m_groupTable = nullptr;
    }
    m_db.close();
}

void Campaign::sendGroups()
{
    m_groups.rispostaGruppi(m_requests.lastReceived());
}

QAbstractItemModel *Campaign::groupTable()
{
    if (!m_groupTable && m_db.isOpen()) {
        m_groupTable = new QSqlTableModel(nullptr, m_db.handle());
        m_groupTable->setEditStrategy(QSqlTableModel::OnFieldChange); // edited in place
        // The model quotes the name it is given: PostgreSQL keeps names in lower case.
        m_groupTable->setTable(m_db.isPostgres() ? QStringLiteral("gruppi_esattore") : QStringLiteral("Gruppi_Esattore"));
    }
    return m_groupTable;
}

void Campaign::filterGroups(const QString &group, const QString &collector)
{
    auto *table = static_cast<QSqlTableModel *>(groupTable());
    if (!table)
        return;
    // The group filter wins when both are filled.
    if (!group.isEmpty())
        table->setFilter(QStringLiteral("Gruppo=") + sqltext::quoted(group));
    else if (!collector.isEmpty())
        table->setFilter(QStringLiteral("CodEsattore=") + sqltext::quoted(collector));
    else
        table->setFilter(QString());
    if (!table->select())
        m_parts.log.aggiungiList2(QStringLiteral("ERRORE DB: ") + table->lastError().text(), Severity::Error);
}

bool Campaign::diagnose(bool byOperator, const QString &who, std::function<void(const QStringList &lines)> show)
{
    const auto shown = [this, show = std::move(show)](const QStringList &lines) {
        m_parts.model.metrics.countDiagnosis();
        for (const QString &line : lines)
            m_parts.log.aggiungiList2(QStringLiteral("DIAGNOSI ") + line);
        show(lines);
    };
    bool number = false;
    const qint32 group = who.trimmed().toInt(&number);
    if (!isOpen()) {
        shown({QStringLiteral("database non aperto")});
        return true;
    }
    if (!byOperator && !number) {
        shown({QStringLiteral("gruppo non valido: ") + who});
        return true;
    }
    const DiagnosisWorker::Subject subject{byOperator, byOperator ? who.trimmed() : QString::number(group)};
    const QDateTime now = m_parts.now ? m_parts.now() : QDateTime::currentDateTime();
    return m_diagnoses.request(subject, now, m_parts.settings.intervallo,
                               [shown](const EmptyAnswerDiagnosis &d) { shown(d.lines()); });
}
