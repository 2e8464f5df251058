#pragma once

// A whole program (main window logic and its subsystems, no windows) on a
// folder of its own with a small demo database, for the monitor's tests:
// an SQLite file in the folder or, when QUORIN_TEST_DB holds a connection
// string (scripts/pg_test.sh sets one), that database.

#include "../campaign/TestDatabase.h"
#include "../core/TestSupport.h"
#include "app/Composition.h"
#include "core/MainController.h"

#include <functional>
#include <memory>

struct Program {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    QString connString; // as tm40.ini names the database, from the folder
    std::unique_ptr<MainController> controller;
    std::unique_ptr<Composition> parts;

    // `settings`: more lines of section "Settings" of conn_quorin.ini;
    // `prepare`: changes to the new demo database before the program starts.
    explicit Program(const QByteArray &settings = {}, const std::function<void(CampaignDb &)> &prepare = {})
    {
        QString error;
        // Programs alive at once share a server's database: the first one makes it.
        const bool shared = live() > 0 && !testdatabase::server().isEmpty();
        if (shared)
            connString = testdatabase::server();
        else if (!testdatabase::createDemo(dir.path(), {10, 2}, connString, error))
            qFatal("demo database: %s", qPrintable(error));
        if (prepare) {
            std::unique_ptr<CampaignDb> db = openAside();
            prepare(*db);
        }
        ++live();
        writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\n" + settings);
        writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=" + connString.toUtf8() + "\r\n");
        controller = std::make_unique<MainController>(MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts);
        parts = std::make_unique<Composition>(*controller, prompts, true);
        if (!controller->start())
            qFatal("start failed");
    }
    ~Program() { --live(); }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    CtMonitor &monitor() { return parts->ctMonitor(); }
    MonitorActions &actions() { return parts->ctMonitor().actions(); }
    // A line of the monitor's list holds `text`.
    bool logged(const QString &text) const
    {
        return parts->ctMonitor().model().list.lines().join(QLatin1Char('\n')).contains(text);
    }
    // The program's database on a connection of its own, as another program would open it.
    std::unique_ptr<CampaignDb> openAside() const
    {
        auto db = std::make_unique<CampaignDb>();
        QString error;
        if (!db->open(ConnectionParams::parse(connString, dir.path()), error))
            qFatal("campaign database: %s", qPrintable(error));
        return db;
    }

private:
    static int &live()
    {
        static int programs = 0;
        return programs;
    }
};
