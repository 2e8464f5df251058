#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QProcess;

namespace platform {

// Starts a command line and reports when the process has ended. The caller's
// "wait" is the callback: the event loop keeps running meanwhile, so the
// program's links are still served.
class ProcessRunner : public QObject {
    Q_OBJECT
public:
    using Finished = std::function<void(int exitCode, bool started)>;

    explicit ProcessRunner(QObject *parent = nullptr);
    // Processes still running are ended without calling back.
    ~ProcessRunner() override;

    // `command` followed by a blank and `argument` when one is given.
    void eseguiEAttendi(const QString &command, const QString &argument, Finished done);

    static QStringList splitCommandLine(const QString &command, const QString &argument);
};

} // namespace platform
