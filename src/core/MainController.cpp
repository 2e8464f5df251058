#include "core/MainController.h"

#include "platform/Browser.h"

#include "core/AppInfo.h"
#include "core/ConfigFiles.h"
#include "core/IniFile.h"
#include "core/LogList.h"
#include "core/LogRetention.h"
#include "core/OutcomeRates.h"
#include "core/Redaction.h"
#include "core/SettingsKeys.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"

#include <QFileInfo>

namespace {
constexpr int kMainTickMs = 1000;
constexpr int kMinuteTickMs = 60000;
} // namespace

MainController::MainController(Options options, UserPrompts &prompts, Plugins plugins, QObject *parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_prompts(prompts),
      m_plugins(plugins),
      m_files(m_options.paths),
      m_log(m_model.debugLevel),
      m_debug(m_files.rootFile(QStringLiteral("DEBUG.TXT"))),
      m_html(m_files),
      m_prefs(m_files, m_settings, m_model, m_log, m_prompts, m_plugins),
      m_tick(m_model, m_log, m_plugins, m_clock)
{
    connect(&m_clock, &RunClock::countingStarted, this, &MainController::settaCaption);
    connect(&m_tick, &MainTick::closeDue, this, &MainController::chiudiSocket);
    connect(&m_tick, &MainTick::connectDue, this, &MainController::connetti);
    connect(&m_tick, &MainTick::connecting, this, &MainController::invertiTasti);
    connect(&m_tick, &MainTick::statusReportDue, this, &MainController::sendStatusReport);
    connect(&m_tick, &MainTick::newDay, this, &MainController::purgeDailyLogs);
    m_timer1.setInterval(kMainTickMs);
    m_timer2.setInterval(kMinuteTickMs);
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_tick.tick(); });
    connect(&m_timer2, &QTimer::timeout, this, [this] { m_tick.minuteTick(); });
    for (int i = 0; i < MainModel::kOutcomeCount; ++i)
        connect(m_model.outcomes[i], &CountValue::changed, this, [this, i] { onOutcomeChanged(i); });
}

bool MainController::start()
{
    // Before anything is sent, listened to, opened or written.
    if (m_options.unattended)
        m_fatal = missingForUnattended();
    if (!m_fatal.isEmpty()) {
        m_unloaded = true;
        return false;
    }
    sendStatusReport();
    const QDateTime now = QDateTime::currentDateTime();
    m_model.menuClock.setText(textformats::time(now.time()));
    if (m_plugins.statusPages)
        m_plugins.statusPages->startListener();
    m_clock.lastReceive = now;
    m_clock.lastSend = now;
    settaCaption();

    if (!readPreferences(m_options.minimo)) {
        m_unloaded = true;
        return false;
    }
    if (m_model.emula.value() && m_plugins.emulator)
        m_plugins.emulator->listen(static_cast<quint16>(textformats::leadingInteger(m_model.serverPort.text())));
    m_debug.reset();
    m_tick.daily();
    initialReset();
    if (m_plugins.statusPages)
        m_plugins.statusPages->loadOutcomeCounters();
    // The database block starts from the database, not from zeros that the
    // first adjustments would push below zero before the one-minute recount.
    if (m_plugins.campaign)
        m_plugins.campaign->refreshCounters(false);

    const QString ini = m_files.settingsFile();
    const auto number = [&](const QString &key) {
        return textformats::leadingNumber(inifile::leggiIni(ini, kSettingsSection, key));
    };
    const bool replica = number(settingskey::ReplicaUdpPort) != 0 && number(settingskey::ReplicaUdpIp) != 0;
    if ((replica || number(settingskey::AutoCTMonitor) != 0) && m_plugins.ctMonitor)
        m_plugins.ctMonitor->toggle();
    // The PBX lines window at start too, for a wall screen that shows both.
    if (number(settingskey::AutoPBX) != 0 && m_plugins.pbx)
        m_plugins.pbx->show();

    m_timer1.start();
    m_timer2.start();
    return true;
}

void MainController::settaCaption()
{
    m_model.caption.setText(appinfo::title() + QStringLiteral("  (versione ") + QString::number(QUORIN_VERSION_MINOR)
                            + QLatin1Char('.') + QString::number(QUORIN_VERSION_PATCH) + QStringLiteral(")")
                            + QStringLiteral(" (start time=") + textformats::dateTimeOrZero(m_clock.countingStart)
                            + QLatin1Char(')'));
}

void MainController::sendStatusReport()
{
    const QString host =
        inifile::leggiIni(m_files.settingsFile(), kSettingsSection, settingskey::StatusReportHost);
    m_report.send(host);
}

void MainController::purgeDailyLogs(const QDate &today)
{
    const int days = m_settings.giorniConservazioneLog;
    const QStringList gone = logretention::purge(m_files.paths().appDir, today, days);
    if (!gone.isEmpty())
        m_log.aggiungiList2(QStringLiteral("ELIMINATI ") + QString::number(gone.size())
                            + QStringLiteral(" LOG GIORNALIERI DI OLTRE ") + QString::number(days) + QStringLiteral(" GIORNI"));
}

void MainController::initialReset()
{
    if (m_plugins.campaign)
        m_plugins.campaign->initialReset();
}

void MainController::connetti()
{
    m_prefs.salvaPreferenze();
    chiudiSocket();
    initialReset();
    if (m_model.serverIp.text().isEmpty() || m_model.serverPort.text().isEmpty()) {
        m_prompts.message(QStringLiteral("Dati Server mancanti"), Severity::Warning);
        return;
    }
    const auto port = static_cast<quint16>(textformats::leadingInteger(m_model.serverPort.text()));
    if (m_model.emula.value() && m_plugins.emulator)
        m_plugins.emulator->listen(port);
    if (m_model.noDb.value()) {
        m_model.noDb.set(false);
        if (m_plugins.campaign && !m_plugins.campaign->open(m_settings.connString)) {
            m_fatal = databaseFailure();
            unload(1);
            return;
        }
    } else {
        m_html.creaFileLogRichieste();
    }
    if (!m_plugins.link)
        return;
    m_log.scriviLog(QStringLiteral("Tento la connessione"), Logger::List1);
    m_plugins.link->connectTo(m_model.serverIp.text(), port);
}

void MainController::chiudi()
{
    chiudiSocket();
    initialReset();
}

void MainController::chiudiSocket()
{
    if (m_plugins.link)
        m_plugins.link->close();
    m_model.closeEnabled.set(false);
    m_model.connectEnabled.set(true);
}

void MainController::invertiTasti()
{
    m_model.closeEnabled.set(true);
    m_model.connectEnabled.set(false);
}

void MainController::clearLists()
{
    m_log.list1().clear();
    m_log.list2().clear();
}

void MainController::toggleLogPanel()
{
    m_model.logPanelVisible.set(!m_model.logPanelVisible.value());
}

void MainController::testQuery(bool byOperator)
{
    if (!m_plugins.campaign)
        return;
    const QString answer = m_prompts.input(byOperator ? QStringLiteral("Inserisci l'Operatore da testare")
                                                      : QStringLiteral("Inserisci il Gruppo da testare"));
    if (answer.isEmpty())
        return;
    if (byOperator)
        m_plugins.campaign->testQueryOperator(answer);
    else
        m_plugins.campaign->testQueryGroup(answer);
}

void MainController::diagnose(bool byOperator)
{
    if (!m_plugins.campaign)
        return;
    const QString answer = m_prompts.input(byOperator ? QStringLiteral("Inserisci l'Operatore da diagnosticare")
                                                      : QStringLiteral("Inserisci il Gruppo da diagnosticare"));
    if (answer.isEmpty())
        return;
    const bool asked = m_plugins.campaign->diagnose(byOperator, answer, [this](const QStringList &lines) {
        m_prompts.message(lines.join(QLatin1Char('\n')));
    });
    if (!asked)
        m_prompts.message(kDiagnosisBusy);
}

void MainController::editConfiguration(int index)
{
    const QString path = configfiles::path(m_files, index);
    if (path.isEmpty())
        return;
    m_prompts.editFile(path);
    if (m_plugins.ctMonitor)
        m_plugins.ctMonitor->flush(); // its pending rows go to the database before it closes
    if (m_plugins.campaign && m_plugins.campaign->isOpen())
        m_plugins.campaign->close();
    if (!readPreferences(false))
        unload(1);
}

bool MainController::readPreferences(bool soloImpostazioni)
{
    const Preferences::Outcome outcome = m_prefs.leggiPreferenze(soloImpostazioni);
    m_debug.setLimit(m_settings.fileLimitBytes());
    switch (outcome) {
    case Preferences::Outcome::Read:
        return true;
    case Preferences::Outcome::MissingConnectionString:
        m_fatal = Preferences::kMissingConnString;
        return false;
    case Preferences::Outcome::DatabaseFailed:
        m_fatal = databaseFailure();
        return false;
    }
    return false;
}

QString MainController::databaseFailure() const
{
    const QString why = m_plugins.campaign ? m_plugins.campaign->openError() : QString();
    return QStringLiteral("Database non disponibile: ") + (why.isEmpty() ? QString() : why + QStringLiteral(" - "))
        + redaction::hidePasswords(m_settings.connString);
}

QString MainController::missingForUnattended() const
{
    // Read from the files as they are: nothing has been read yet, and
    // nothing is opened before the answer.
    const auto where = [](const QString &path, const QString &section) {
        const QString real = QFileInfo(path).canonicalFilePath(); // the service links /etc's files
        return QStringLiteral(" (sezione [") + section + QStringLiteral("] di ")
            + platform::displayPath(real.isEmpty() ? path : real) + QLatin1Char(')');
    };
    const QString ini = m_files.settingsFile();
    const auto value = [&](const char *key) { return inifile::leggiIni(ini, kSettingsSection, QString::fromLatin1(key)); };
    if (textformats::leadingNumber(value("AutoConnect")) == 0)
        return {}; // it waits for "Connetti", as asked
    QStringList keys;
    if (value("ServerIp").trimmed().isEmpty())
        keys << QStringLiteral("ServerIp");
    const qint64 port = textformats::leadingInteger(value("ServerPort"));
    if (port <= 0 || port > 65535)
        keys << QStringLiteral("ServerPort");
    if (keys.isEmpty())
        return {};
    QString text = QStringLiteral("Dati Server mancanti: impostare ") + keys.join(QStringLiteral(" e ")) + where(ini, kSettingsSection);
    const QString shared = m_files.sharedDbFile();
    if (!m_options.minimo && inifile::leggiIni(shared, QStringLiteral("datiserver"), QStringLiteral("connstring")).isEmpty())
        text += QStringLiteral(", connstring") + where(shared, QStringLiteral("datiserver"));
    return text;
}

void MainController::onOutcomeChanged(int index)
{
    const int sent = int(m_model.customers[MainModel::CustomersSent]->value());
    if (sent <= 0)
        return;
    m_model.outcomePercent[index]->set(outcomerates::percent(int(m_model.outcomes[index]->value()), sent));
}

void MainController::holdTimers(bool hold)
{
    if (hold == m_held)
        return;
    m_held = hold;
    if (hold) {
        m_heldActive = {m_timer1.isActive(), m_timer2.isActive()};
        m_timer1.stop();
        m_timer2.stop();
        return;
    }
    if (m_unloaded)
        return;
    if (m_heldActive.first)
        m_timer1.start();
    if (m_heldActive.second)
        m_timer2.start();
}

void MainController::openStatusPage()
{
    const QString url = m_plugins.statusPages ? m_plugins.statusPages->pageUrl() : QString();
    if (url.isEmpty())
        return;
    if (!platform::openUrl(url))
        m_log.aggiungiList2(QStringLiteral("Browser non avviato per ") + url);
}

void MainController::esci()
{
    m_heldActive.first = false; // "Esci" stops the main tick for good
    m_timer1.stop();
    chiudiSocket();
    requestClose();
}

bool MainController::requestClose()
{
    if (m_unloaded)
        return true;
    if (!m_prompts.confirm(kExitQuestion))
        return false;
    unload();
    return true;
}

void MainController::unload(int exitCode)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_timer1.stop();
    m_timer2.stop();
    chiudiSocket();
    // The monitor first: its last rows are written while the database is open.
    if (m_plugins.ctMonitor)
        m_plugins.ctMonitor->shutdown();
    if (m_plugins.pbx)
        m_plugins.pbx->shutdown();
    if (m_plugins.console)
        m_plugins.console->shutdown();
    if (m_plugins.watchdogWindow)
        m_plugins.watchdogWindow->shutdown();
    if (m_plugins.campaign && m_plugins.campaign->isOpen())
        m_plugins.campaign->close();
    Q_EMIT finished(exitCode);
}
