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
