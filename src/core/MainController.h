#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <utility>

#include "core/DebugFile.h"
#include "core/HtmlFiles.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/MainTick.h"
#include "core/Ports.h"
#include "core/Preferences.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "core/StatusReport.h"

class UserPrompts;

// The main window's logic: start, the two timers, the buttons and menus that
// belong to the core, and the way out. Front ends call it and bind to its
// model; it never knows whether windows are shown.
class MainController : public QObject {
    Q_OBJECT
public:
    struct Options {
        platform::AppPaths paths;
        bool minimo = false;
        // Nobody at the program (headless, a service): settings that can
        // never connect to the dialer end it at start, saying what to set.
        bool unattended = false;
    };

    MainController(Options options, UserPrompts &prompts, Plugins plugins = {}, QObject *parent = nullptr);

    MainModel &model() { return m_model; }
    Logger &log() { return m_log; }
    Settings &settings() { return m_settings; }
    const Plugins &plugins() const { return m_plugins; }
    // The subsystems plug in before start and before any window is built.
    void setPlugins(const Plugins &plugins) { m_plugins = plugins; }
    const FileLocations &files() const { return m_files; }
    RunClock &clock() { return m_clock; }
    MainTick &mainTick() { return m_tick; }
    const DebugFile &debugFile() const { return m_debug; }
    const HtmlFiles &htmlFiles() const { return m_html; }
    Preferences &preferences() { return m_prefs; }
    QTimer &timer1() { return m_timer1; }
    QTimer &timer2() { return m_timer2; }

    // Form_Load. False when the program must end (missing connection string).
    bool start();

    void settaCaption();
    void connetti();        // "Connetti"
    void chiudi();          // "Chiudi"
    void chiudiSocket();    // close the link, buttons back
    void invertiTasti();
    void clearLists();      // "clear list"
    void editConfiguration(int index); // the editsql entries
    void toggleLogPanel();  // "Log" and Esc
    // "Test Query Gruppo" / "Test Query Operatore": ask, then count.
    void testQuery(bool byOperator);
    // Why a group or an operator gets no customers: asks which, shows the counts.
    void diagnose(bool byOperator);

    // The CT monitor's edit mode holds both timers; letting go restarts
    // those that were running.
    void holdTimers(bool hold);
    bool timersHeld() const { return m_held; }

    // A double click on a Label1 caption: the status page in the browser.
    void openStatusPage();

    // "Esci": stops the main tick and the link, then asks like a close.
    void esci();
    // The window's close: asks, and unloads on Yes. True when unloaded.
    bool requestClose();
    // Form_Unload: everything stops, the program ends.
    void unload(int exitCode = 0);

    // Why the program ended on its own, for the console; empty otherwise.
    const QString &fatalMessage() const { return m_fatal; }

    static inline const QString kExitQuestion = QStringLiteral("CONFERMI USCITA DA VASTEL_QUORIN?");
    static inline const QString kDiagnosisBusy = QStringLiteral("Diagnosi non disponibile: troppe richieste in attesa, riprovare");

Q_SIGNALS:
    void finished(int exitCode);

private:
    void sendStatusReport();
    void initialReset();
    // The daily phone-choice logs older than "GiorniConservazioneLog" days go.
    void purgeDailyLogs(const QDate &today);
    void onOutcomeChanged(int index);
    bool readPreferences(bool soloImpostazioni);
    QString databaseFailure() const;
    // Empty, or what an unattended run must be given before it can work.
    QString missingForUnattended() const;

    Options m_options;
    UserPrompts &m_prompts;
    Plugins m_plugins;
    FileLocations m_files;
    MainModel m_model;
    Logger m_log;
    Settings m_settings;
    RunClock m_clock;
    DebugFile m_debug;
    HtmlFiles m_html;
    Preferences m_prefs;
    StatusReport m_report;
    MainTick m_tick;
    QTimer m_timer1;
    QTimer m_timer2;
    bool m_unloaded = false;
    bool m_held = false;
    std::pair<bool, bool> m_heldActive{false, false};
    QString m_fatal;
};
