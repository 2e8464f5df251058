#pragma once

// What a link writes to, in a folder of its own: the model that holds the
// debug level, a logger whose monitor lines go to `list`, DEBUG.TXT and
// the settings.
#include <QFile>
#include <QTemporaryDir>

#include "core/DebugFile.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"

struct LinkLog {
    QTemporaryDir dir;
    MainModel model;
    Logger log{model.debugLevel};
    LogList list{QStringLiteral("ListaMonitor")};
    DebugFile debug{dir.filePath(QStringLiteral("DEBUG.TXT"))};
    Settings settings;

    LinkLog() { log.setDestination(Logger::Monitor, [this] { return &list; }); }

    template <typename Keep>
    QStringList pick(Keep keep) const
    {
        QStringList out;
        for (const QString &line : list.lines()) {
            if (keep(line))
                out << line;
        }
        return out;
    }
    QStringList startingWith(const QString &prefix) const
    {
        return pick([&](const QString &line) { return line.startsWith(prefix); });
    }
    // Lines as logged, whatever decoration the debug level adds in front.
    QStringList endingWith(const QString &tail) const
    {
        return pick([&](const QString &line) { return line.endsWith(tail); });
    }
    bool has(const QString &line) const { return list.lines().contains(line); }
    QByteArray debugText() const
    {
        QFile f(debug.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
