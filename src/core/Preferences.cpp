#include "core/Preferences.h"

#include "core/IniFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Ports.h"
#include "core/Redaction.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SqlTemplates.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "wire/AnsiCodec.h"

#include <QFile>
#include <algorithm>

namespace {

bool isOn(const QString &value)
{
    return textformats::leadingNumber(value) != 0;
}

int intOr(const QString &value, int whenZero)
{
    const auto v = static_cast<int>(textformats::leadingInteger(value));
    return v == 0 ? whenZero : v;
}

QString flagText(const FlagValue &flag)
{
    return flag.value() ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

Preferences::Preferences(const FileLocations &files, Settings &settings, MainModel &model, Logger &log,
                         UserPrompts &prompts, Plugins &plugins)
    : m_files(files), m_settings(settings), m_model(model), m_log(log), m_prompts(prompts), m_plugins(plugins)
{
}

QString Preferences::ini(const QString &key) const
{
    return inifile::leggiIni(m_files.settingsFile(), kSettingsSection, key);
}

Preferences::Outcome Preferences::leggiPreferenze(bool soloImpostazioni)
{
    if (!soloImpostazioni) {
        m_log.aggiungiList2(QStringLiteral("LEGGO PREFERENZE"));
        m_settings.connString =
            inifile::leggiIni(m_files.sharedDbFile(), QStringLiteral("datiserver"), QStringLiteral("connstring"));
        if (m_settings.connString.isEmpty()) {
            m_prompts.message(kMissingConnString, Severity::Error);
            m_prompts.editFile(m_files.sharedDbFile());
            m_prompts.message(kRestart);
            return Outcome::MissingConnectionString;
        }
    }
    readSettingsSection();
    readWatchdogHosts();
    if (soloImpostazioni)
        return Outcome::Read;

    m_settings.orderBy = readOrderBy();
    readTemplates();
    m_log.aggiungiList2(QStringLiteral("FINE LETTURA PREFERENZE"));
    if (!m_model.noDb.value() && m_plugins.campaign && !m_plugins.campaign->open(m_settings.connString))
        return Outcome::DatabaseFailed;
    const QString shown = redaction::hidePasswords(m_settings.connString);
    m_model.connectionString.setText(shown);
    m_model.connectionString.setToolTip(shown);
    return Outcome::Read;
}

void Preferences::readSettingsSection()
{
    m_model.serverIp.setText(ini(settingskey::ServerIp));
    m_model.serverPort.setText(ini(settingskey::ServerPort));
    m_model.emula.set(isOn(ini(settingskey::Simulazione)));
    m_model.autoConnect.set(isOn(ini(settingskey::AutoConnect)));
    m_model.pingOnIdle.set(isOn(ini(settingskey::PingOnIdle)));
    m_model.noDb.set(isOn(ini(settingskey::NoDb)));
    m_model.debugLevel.setText(ini(settingskey::Debug));
    m_settings.intervallo = intOr(ini(settingskey::Intervallo), 0);
    m_settings.limiteEsitiNegativi =
        intOr(ini(settingskey::LimiteEsitiNegativiTollerati), Settings::kDefaultLimiteEsitiNegativi);
    m_settings.spostaNonTrovati = intOr(ini(settingskey::SpostaNonTrovati), Settings::kDefaultSpostaNonTrovati);
    m_settings.timeoutPacchettoSec = std::clamp(intOr(ini(settingskey::TimeoutPacchetto), Settings::kDefaultTimeoutPacchettoSec),
                                                1, Settings::kMaxTimeoutPacchettoSec);
    m_settings.limiteFileMB =
        std::clamp(intOr(ini(settingskey::LimiteFileMB), Settings::kDefaultLimiteFileMB), 1, Settings::kMaxLimiteFileMB);
    m_settings.giorniConservazioneLog =
        std::clamp(intOr(ini(settingskey::GiorniConservazioneLog), Settings::kDefaultGiorniConservazioneLog), 1,
                   Settings::kMaxGiorniConservazioneLog);
    m_settings.limiteClientiRichiesta =
        std::clamp(intOr(ini(settingskey::LimiteClientiRichiesta), Settings::kDefaultLimiteClientiRichiesta), 1,
                   Settings::kMaxLimiteClientiRichiesta);
    m_settings.oreRilascioInviati =
        std::clamp(intOr(ini(settingskey::OreRilascioInviati), 0), 0, Settings::kMaxOreRilascioInviati);
}

void Preferences::readWatchdogHosts()
{
    // Rebuilt at every reading, so re-reading after an edit does not repeat
    // addresses in the indicator's tool tip.
    m_settings.watchdogHosts.clear();
    QString toolTip;
    for (int i = 0; i <= 9; ++i) {
        const QString host = ini(settingskey::WatchDogIP + QString::number(i));
        if (host.isEmpty())
            continue;
        m_settings.watchdogHosts[i] = host;
        toolTip += QLatin1Char(' ') + host;
    }
    m_model.watchdog.setToolTip(toolTip);
    if (m_plugins.watchdog)
        m_plugins.watchdog->setPeers(m_settings.watchdogHosts);
}

QString Preferences::readOrderBy() const
{
    QFile f(m_files.orderByFile());
    if (!f.open(QIODevice::ReadOnly))
        return sqltemplates::kDefaultOrderBy;
    const QStringList lines = sqltemplates::splitLines(ansi::decode(f.readAll()));
    const QString first = lines.value(0);
    return first.isEmpty() ? sqltemplates::kDefaultOrderBy : first;
}

void Preferences::readTemplates()
{
    const auto &names = sqltemplates::fileNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        m_settings.templates[i] = leggiFileSql(names[i]);
    sqltemplates::normaliseClientiGruppo(m_settings.templates[sqltemplates::ClientiGruppo], m_settings.orderBy);
    sqltemplates::normaliseClientiOperatore(m_settings.templates[sqltemplates::ClientiOperatore]);
}

QString Preferences::leggiFileSql(const QString &name)
{
    const QString path = m_files.appFile(name);
    QFile f(path);
    if (!f.exists()) {
        m_log.aggiungiList2(QStringLiteral("non trovo ") + platform::displayPath(path));
        return QString();
    }
    m_log.aggiungiList2(QStringLiteral("Leggo ") + platform::displayPath(path));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return sqltemplates::joinLines(sqltemplates::splitLines(ansi::decode(f.readAll())));
}

void Preferences::salvaPreferenze()
{
    const QString file = m_files.settingsFile();
    const auto write = [&](const QString &key, const QString &value) {
        inifile::scriviIni(file, kSettingsSection, key, value);
    };
    write(settingskey::ServerIp, m_model.serverIp.text());
    write(settingskey::ServerPort, m_model.serverPort.text());
    write(settingskey::Simulazione, flagText(m_model.emula));
    write(settingskey::AutoConnect, flagText(m_model.autoConnect));
    write(settingskey::PingOnIdle, flagText(m_model.pingOnIdle));
    write(settingskey::NoDb, flagText(m_model.noDb));
    write(settingskey::Debug, m_model.debugLevel.text());
}
