#pragma once

// The program run as a process without windows, in an application folder
// of its own.
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "../core/TestSupport.h"

struct Install {
    QTemporaryDir dir;
    Install(const QByteArray &connString = "dsn=demo")
    {
        writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nnodb=1\r\n");
        writeFile(dir.filePath(QStringLiteral("dati")), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=" + connString + "\r\n");
        writeFile(dir.path(), QStringLiteral("SQL_EXT.TXT"), "; empty\r\n");
    }
    QStringList args(const QStringList &extra = {}) const
    {
        return QStringList{QStringLiteral("--headless"), QStringLiteral("--app-dir"), dir.path()} + extra;
    }
    // conn_quorin.ini with these lines of [Settings].
    void settings(const QByteArray &lines) const { writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\n" + lines); }
};

// A process's output read so far, searched in order: each line found
// is passed, so the next search looks after it.
struct Output {
    QByteArray all;
    qsizetype from = 0;
    bool waitFor(QProcess &p, const QByteArray &text)
    {
        QDeadlineTimer deadline(20000);
        for (;;) {
            all += p.readAllStandardOutput();
            const qsizetype at = all.indexOf(text, from);
            if (at >= 0) {
                from = at + text.size();
                return true;
            }
            if (deadline.hasExpired() || p.state() != QProcess::Running
                || !p.waitForReadyRead(int(deadline.remainingTime())))
                return all.indexOf(text, from) >= 0;
        }
    }
};

// The program started headless on `install`, past reading its preferences.
inline bool startedOn(const Install &install, QProcess &p, Output &out, const QStringList &extra = {})
{
    p.start(QStringLiteral(QUORIN_BINARY), install.args(extra));
    return p.waitForStarted(20000) && out.waitFor(p, " | FINE LETTURA PREFERENZE");
}

// Stopped as the service manager stops it, and ended well.
inline bool stoppedCleanly(QProcess &p)
{
    p.terminate();
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
