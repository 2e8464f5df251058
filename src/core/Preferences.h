#pragma once

#include <QString>

class FileLocations;
class Logger;
class MainModel;
class UserPrompts;
struct Plugins;
struct Settings;

// Reads the settings, the shared database settings, the ORDER BY file and the
// SQL templates into the main window's controls and memory, and writes the
// connection settings back.
class Preferences {
public:
    enum class Outcome { Read, MissingConnectionString, DatabaseFailed };

    Preferences(const FileLocations &files, Settings &settings, MainModel &model, Logger &log,
                UserPrompts &prompts, Plugins &plugins);

    // LeggiPreferenze. Only the "Settings" section when `soloImpostazioni`.
    Outcome leggiPreferenze(bool soloImpostazioni);
    // SalvaPreferenze: the seven connection keys from the controls.
    void salvaPreferenze();
    // LeggiFileSql: one template, empty when the file is missing.
    QString leggiFileSql(const QString &name);

    static inline const QString kMissingConnString = QStringLiteral("Stringa di connessione al DB non presente");
    static inline const QString kRestart = QStringLiteral("Riavviare il programma");

private:
    QString ini(const QString &key) const;
    void readSettingsSection();
    void readWatchdogHosts();
    void readTemplates();
    QString readOrderBy() const;

    const FileLocations &m_files;
    Settings &m_settings;
    MainModel &m_model;
    Logger &m_log;
    UserPrompts &m_prompts;
    Plugins &m_plugins;
};
