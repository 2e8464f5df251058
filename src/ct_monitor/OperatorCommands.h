#pragma once

#include <QString>

class CtMonitorStore;
class ExtensionTable;
class Logger;
class MonitorModel;
class OperatorServerLink;
class UserPrompts;

// What a supervisor asks of the operator server: one command (OpCommand),
// the tile's state-change dialogue, everybody out (ButtaTuttiFuori), a test
// login of the first tiles (LoginCasuale) and the logout written only to
// the database. Commands name the extension by its number, never by the
// tile's caption (which may show the call counter).
class OperatorCommands {
public:
    OperatorCommands(ExtensionTable &table, MonitorModel &model, CtMonitorStore &store, OperatorServerLink &link,
                     UserPrompts &prompts, Logger &log)
        : m_table(table), m_model(model), m_store(store), m_link(link), m_prompts(prompts), m_log(log) {}

    // OpCommand: subcode 1 login, 2 logout, 3 pause (the dialogue allows 1
    // to 9). An operator whose number is 0 is asked for; an empty answer
    // sends nothing. False when nothing was sent.
    bool opCommand(int subcode, int extension, QString op);
    // The tile's dialogue: log in a logged-out extension, else ask for the
    // new state with the prompt of its state; 1 to 9 are sent.
    bool changeState(int extension);
    // "SONO ..." prompt of the dialogue.
    static QString statePrompt(const QString &logState, const QString &op);
    // ButtaTuttiFuori; the number of commands sent.
    int logoutAll();
    // LoginCasuale; the number of commands sent.
    int loginCasuale();
    // The double-click on the logged counter: "CONFERMI LOGOUT GENERALE?"
    // and ButtaTuttiFuori, or LoginCasuale when nobody is logged.
    void logoutGenerale();
    // "Vuoi sloggare dal DB tutti gli utenti?": extensions 101 to 180 logged
    // out in the table and in CT_Monitor; the number changed, -1 when not confirmed.
    int logoutDatabase();

private:
    void log(const QString &text);

    ExtensionTable &m_table;
    MonitorModel &m_model;
    CtMonitorStore &m_store;
    OperatorServerLink &m_link;
    UserPrompts &m_prompts;
    Logger &m_log;
};
