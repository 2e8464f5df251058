#include "console/ConsoleProcedures.h"

#include "console/PromptWaits.h"

namespace {
// The dialer's login, fixed in the dialer's installation.
const QString kPassword = QStringLiteral("vadrin");
} // namespace

ConsoleProcedures::ConsoleProcedures(Link &link, PromptWaits &waits, QObject *parent)
    : QObject(parent), m_link(link), m_waits(waits)
{
}

void ConsoleProcedures::cancel()
{
    ++m_generation;
    m_waits.cancel();
}

void ConsoleProcedures::login(const QString &target, bool cdModules, std::function<void(bool)> done)
{
    const quint64 g = ++m_generation;
    // Every step checks that no newer procedure has taken over.
    auto finish = [this, g, done](bool ok) {
        if (current(g))
            done(ok);
    };
    auto atPrompt = [this, g, target, cdModules, finish](bool loggedIn) {
        if (!current(g))
            return;
        if (!loggedIn)
            return finish(false);
        m_link.send(QStringLiteral("q")); // leaves whatever tool is running
        m_waits.waitFor(target, 1, [this, g, cdModules, finish](bool seen) {
            if (!current(g))
                return;
            if (seen)
                return finish(true);
            m_link.send(QStringLiteral("cd"));
            m_waits.waitFor(kPrompt, 1, [this, g, cdModules, finish](bool home) {
                if (!current(g))
                    return;
                if (!home)
                    return finish(false);
                if (cdModules)
                    m_link.send(QStringLiteral("cd modules/pd"));
                m_waits.waitFor(kModules, 1, finish);
            });
        });
    };
    if (m_link.isConnected())
        return atPrompt(true);
    m_link.open();
    m_waits.waitFor(QStringLiteral("login:"), 5, [this, g, atPrompt](bool seen) {
        if (!current(g))
            return;
        if (!seen)
            return atPrompt(false);
        m_link.send(kUser);
        m_waits.waitFor(QStringLiteral("Password:"), 5, [this, g, atPrompt](bool asked) {
            if (!current(g))
                return;
            if (!asked)
                return atPrompt(false);
            m_link.send(kPassword);
            m_waits.waitFor(kPrompt, 5, atPrompt);
        });
    });
}

void ConsoleProcedures::run(const QString &name, const QString &target, bool cdModules, const QString &command)
{
    login(target, cdModules, [this, name, command](bool ok) {
        if (ok)
            m_link.send(command);
        Q_EMIT finished(name, ok);
    });
}

void ConsoleProcedures::workPd()
{
    run(QStringLiteral("pd"), kModules, true, QStringLiteral("pdmon"));
}

void ConsoleProcedures::workPrcmon()
{
    run(QStringLiteral("prcmon"), kModules, true, QStringLiteral("prcmon"));
}

void ConsoleProcedures::workQuoTrace()
{
    run(QStringLiteral("quotrace"), kPrompt, false, QStringLiteral("quotrace"));
}

void ConsoleProcedures::traceCalling()
{
    run(QStringLiteral("Trace Calling"), kPrompt, false, QStringLiteral("quotrace | grep CALLING"));
}

QString ConsoleProcedures::logFolder(const QDateTime &when)
{
    return QStringLiteral("logfiles/pd/") + when.toString(QStringLiteral("dd-MM-yyyy"));
}

QString ConsoleProcedures::logFile(const QDateTime &when)
{
    static const char *const quarters[] = {"00", "15", "30", "45"};
    return QStringLiteral("log.") + when.toString(QStringLiteral("hh"))
        + QString::fromLatin1(quarters[std::clamp(when.time().minute() / 15, 0, 3)]);
}

void ConsoleProcedures::workLog(const QString &keyword)
{
    const auto now = [this] { return m_link.time(); };
    login(kPrompt, false, [this, keyword, now](bool ok) {
        if (!ok) {
            Q_EMIT finished(keyword, false);
            return;
        }
        const quint64 g = m_generation;
        const QString folder = logFolder(now()); // today, when the folder is asked for
        m_link.send(QStringLiteral("cd /home/quocom/") + folder);
        m_waits.waitFor(folder, 5, [this, g, keyword, now](bool there) {
            if (!current(g))
                return;
            // The file of the quarter of an hour it is now, once in the folder.
            if (there)
                m_link.send(QStringLiteral("tail -f ") + logFile(now()) + QStringLiteral(" | grep ") + keyword);
            Q_EMIT finished(keyword, there);
        });
    });
}
