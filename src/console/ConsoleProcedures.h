#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class PromptWaits;

// The one-click procedures of the console: log in (on demand), reach the
// dialer's folder, start its tools or follow its log. Each step waits for a
// prompt on the screen through PromptWaits, so the program runs on while a
// procedure waits; a prompt that does not come ends the procedure quietly.
// A new procedure ends the one under way.
class ConsoleProcedures : public QObject {
    Q_OBJECT
public:
    static inline const QString kUser = QStringLiteral("quocom");
    static inline const QString kPrompt = QStringLiteral("[tormix/lan");
    static inline const QString kModules = QStringLiteral("/modules/pd");

    // The console the procedures drive.
    class Link {
    public:
        virtual ~Link() = default;
        virtual bool isConnected() const = 0;
        virtual void open() = 0;
        virtual void send(const QString &text) = 0; // the text and CR LF
        virtual QDateTime time() const = 0;
    };

    ConsoleProcedures(Link &link, PromptWaits &waits, QObject *parent = nullptr);

    // Login: true through `done` when the target is on screen at the end.
    void login(const QString &target, bool cdModules, std::function<void(bool)> done);
    void workPd();       // "pd": pdmon
    void workPrcmon();   // "prcmon"
    void workQuoTrace(); // "&quotrace"
    void traceCalling(); // "Trace Calling"
    void workLog(const QString &keyword); // a "Log" item
    void cancel();

    // "log." + hour + quarter, the dialer's log file for that moment.
    static QString logFile(const QDateTime &when);
    // The dialer's log folder of that day, under /home/quocom/.
    static QString logFolder(const QDateTime &when);

Q_SIGNALS:
    // A procedure ended: its name and whether it got where it was going.
    void finished(const QString &name, bool ok);

private:
    void run(const QString &name, const QString &target, bool cdModules, const QString &command);
    bool current(quint64 generation) const { return generation == m_generation; }

    Link &m_link;
    PromptWaits &m_waits;
    quint64 m_generation = 0;
};
