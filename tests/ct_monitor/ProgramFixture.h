#pragma once

// A whole program (main window logic and its subsystems, no windows) on a
// folder of its own with a small demo database, for the monitor's tests.

#include "../core/TestSupport.h"
#include "app/Composition.h"
#include "campaign/DemoDatabase.h"
#include "core/MainController.h"

#include <memory>

struct Program {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<MainController> controller;
    std::unique_ptr<Composition> parts;

    // `settings`: more lines of section "Settings" of conn_quorin.ini;
    // `database`: a campaign database to start on (a fresh demo one if empty).
    explicit Program(const QByteArray &settings = {}, const QString &database = {})
    {
        QString error;
        const QString file = dir.filePath(QStringLiteral("campaign.sqlite"));
        if (!database.isEmpty() ? !QFile::copy(database, file) : !demodatabase::create(file, {10, 2}, error))
            qFatal("demo database: %s", qPrintable(error));
        writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\n" + settings);
        writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
        controller = std::make_unique<MainController>(MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts);
        parts = std::make_unique<Composition>(*controller, prompts, true);
        if (!controller->start())
            qFatal("start failed");
    }
    CtMonitor &monitor() { return parts->ctMonitor(); }
    MonitorActions &actions() { return parts->ctMonitor().actions(); }
    // A line of the monitor's list holds `text`.
    bool logged(const QString &text) const
    {
        return parts->ctMonitor().model().list.lines().join(QLatin1Char('\n')).contains(text);
    }
};
