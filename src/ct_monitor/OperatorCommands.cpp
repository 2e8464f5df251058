#include "ct_monitor/OperatorCommands.h"

#include "core/Logger.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "ct_monitor/CtMonitorStore.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorModel.h"
#include "ct_monitor/OperatorServerLink.h"

namespace {
using T = ExtensionTable;
const QString kLoggedOut = QStringLiteral("LOGGED_OUT");
} // namespace

void OperatorCommands::log(const QString &text)
{
    m_log.scriviLog(text, Logger::Monitor);
}

bool OperatorCommands::opCommand(int subcode, int extension, QString op)
{
    if (textformats::leadingNumber(op) == 0) {
        op = m_prompts.input(QStringLiteral("Operatore N."));
        if (op.isEmpty())
            return false;
    }
    m_link.sendCommand({subcode, extension, op, m_store.password(op)});
    return true;
}

QString OperatorCommands::statePrompt(const QString &logState, const QString &op)
{
    const QString tail = QStringLiteral(".  Nuovo Stato (1=Login,2=Logout,3=Pausa)");
    if (logState == QStringLiteral("LOGGED_IN"))
        return QStringLiteral("SONO LOGGIN. op=") + op + tail;
    if (logState == QStringLiteral("PAUSED"))
        return QStringLiteral("SONO PAUSED. op=") + op + tail;
    return QStringLiteral("SONO IN ") + logState + QStringLiteral(" op=") + op + tail;
}

bool OperatorCommands::changeState(int extension)
{
    const T::Row &row = m_table.row(extension);
    const QString op = row[T::Agent];
    if (row[T::LogState] == kLoggedOut)
        return opCommand(1, extension, op);
    const QString answer = m_prompts.input(statePrompt(row[T::LogState], op));
    bool number = false;
    const int state = answer.trimmed().toInt(&number);
    if (!number || state < 1 || state > 9)
        return false;
    return opCommand(state, extension, op);
}

int OperatorCommands::logoutAll()
{
    int sent = 0;
    for (int tile = 1; tile <= m_model.tileCount() && T::hasRow(100 + tile); ++tile) {
        const int extension = 100 + tile;
        const QString agent = m_table.row(extension)[T::Agent];
        if (textformats::leadingNumber(agent) == 0)
            continue;
        log(QStringLiteral("BUTTO FUORI Int.") + QString::number(extension) + QStringLiteral(" Op.") + agent);
        sent += opCommand(2, extension, agent);
    }
    return sent;
}

int OperatorCommands::loginCasuale()
{
    const int most = m_model.tileCount();
    const QString answer = m_prompts.input(QStringLiteral("Quanti utenti (x int. 101-124) MAX ") + QString::number(most));
    bool number = false;
    const int n = answer.trimmed().toInt(&number);
    if (!number || n < 1 || n > most)
        return 0;
    int sent = 0;
    for (int tile = 1; tile <= n && T::hasRow(100 + tile); ++tile) {
        const int extension = 100 + tile;
        if (m_table.row(extension)[T::LogState] != kLoggedOut)
            continue;
        log(QStringLiteral("LOGIN Int.") + QString::number(extension));
        sent += opCommand(1, extension, QString::number(extension));
    }
    return sent;
}

int OperatorCommands::logoutDatabase()
{
    if (!m_prompts.confirm(QStringLiteral("Vuoi sloggare dal DB tutti gli utenti?")))
        return -1;
    constexpr int kLastLoggedOut = 180;
    for (int extension = T::kFirst; extension <= kLastLoggedOut; ++extension) {
        m_table.setCells(extension, {{T::LogState, kLoggedOut}, {T::ActionState, QStringLiteral("FREE")},
                                     {T::LineState, QStringLiteral("IDLE")}, {T::LoginTime, {}}, {T::Agent, {}},
                                     {T::Description, {}}, {T::LogoutTime, {}}, {T::CallCounter, {}}});
        m_store.schedule(extension);
    }
    m_store.flush();
    m_table.recount();
    return kLastLoggedOut - T::kFirst + 1;
}

void OperatorCommands::logoutGenerale()
{
    if (m_table.counters()[0] == 0) {
        loginCasuale();
        return;
    }
    if (m_prompts.confirm(QStringLiteral("CONFERMI LOGOUT GENERALE?"), true))
        logoutAll();
}
