#include "platform/ProcessRunner.h"

#include <QProcess>

namespace platform {

ProcessRunner::ProcessRunner(QObject *parent) : QObject(parent) {}

ProcessRunner::~ProcessRunner()
{
    // The callbacks belong to owners that are going away too.
    for (QProcess *p : findChildren<QProcess *>(Qt::FindDirectChildrenOnly))
        p->blockSignals(true);
}

QStringList ProcessRunner::splitCommandLine(const QString &command, const QString &argument)
{
    QString line = command;
    if (!argument.isEmpty())
        line += QLatin1Char(' ') + argument;
    return QProcess::splitCommand(line);
}

void ProcessRunner::eseguiEAttendi(const QString &command, const QString &argument, Finished done)
{
    const QStringList parts = splitCommandLine(command, argument);
    if (parts.isEmpty()) {
        done(-1, false);
        return;
    }
    auto *process = new QProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(process, &QProcess::finished, this, [process, done](int code, QProcess::ExitStatus) {
        process->deleteLater();
        done(code, true);
    });
    connect(process, &QProcess::errorOccurred, this, [process, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        done(-1, false);
    });
    process->start(parts.first(), parts.mid(1));
}

} // namespace platform
