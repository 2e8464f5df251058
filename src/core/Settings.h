#pragma once

#include <QString>
#include <array>
#include <map>

#include "core/SqlTemplates.h"
#include "platform/PlatformPaths.h"

// What the preferences leave in memory, replaced at every reading.
struct Settings {
    static constexpr int kDefaultLimiteEsitiNegativi = 10;
    static constexpr int kDefaultSpostaNonTrovati = 30;
    static constexpr int kDefaultTimeoutPacchettoSec = 5;
    static constexpr int kMaxTimeoutPacchettoSec = 3600;
    static constexpr int kDefaultLimiteFileMB = 256;
    static constexpr int kMaxLimiteFileMB = 1024 * 1024;
    static constexpr int kDefaultLimiteClientiRichiesta = 1000;
    static constexpr int kMaxLimiteClientiRichiesta = 100000;
    static constexpr int kDefaultGiorniConservazioneLog = 90;
    static constexpr int kMaxGiorniConservazioneLog = 36500;

    QString connString;
    QString orderBy = sqltemplates::kDefaultOrderBy;
    std::array<QString, sqltemplates::TemplateCount> templates;
    int intervallo = 0;
    int limiteEsitiNegativi = kDefaultLimiteEsitiNegativi;
    int spostaNonTrovati = kDefaultSpostaNonTrovati;
    // "TimeoutPacchetto": seconds a packet may take to arrive whole, on the
    // dialer link and at the built-in dialer.
    int timeoutPacchettoSec = kDefaultTimeoutPacchettoSec;
    // "LimiteFileMB": size past which DEBUG.TXT, the phone-choice log and
    // the request log are rotated (".1").
    int limiteFileMB = kDefaultLimiteFileMB;
    // "GiorniConservazioneLog": days the daily phone-choice logs are kept.
    int giorniConservazioneLog = kDefaultGiorniConservazioneLog;
    // "LimiteClientiRichiesta": most customers one request may take, over all
    // its pairs, so that one number from the wire cannot fill the memory.
    int limiteClientiRichiesta = kDefaultLimiteClientiRichiesta;
    // "OreRilascioInviati": hours after which a customer sent and never
    // answered is given back; 0 (the default) never.
    int oreRilascioInviati = 0;
    static constexpr int kMaxOreRilascioInviati = 24 * 366;

    int packetTimeoutMs() const { return timeoutPacchettoSec * 1000; }
    qint64 fileLimitBytes() const { return qint64(limiteFileMB) * 1024 * 1024; }
    std::map<int, QString> watchdogHosts; // digit -> address
};

// The program's files, by name.
class FileLocations {
public:
    explicit FileLocations(platform::AppPaths paths) : m_paths(std::move(paths)) {}

    const platform::AppPaths &paths() const { return m_paths; }
    QString settingsFile() const;   // conn_quorin.ini
    QString sharedDbFile() const;   // tm40.ini
    QString orderByFile() const;    // Orderby190.ini
    QString layoutFile() const;     // Pos_CT.ini, the monitor window's tile layout
    QString appFile(const QString &name) const;
    QString rootFile(const QString &name) const;
    QString webFile(const QString &name) const; // web/<name>.htm

private:
    platform::AppPaths m_paths;
};

inline const QString kSettingsSection = QStringLiteral("Settings");
