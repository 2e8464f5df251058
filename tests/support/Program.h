#pragma once

// A whole program (main window logic and its subsystems, no windows) on a
// folder of its own with a small demo database: an SQLite file in the
// folder or, when QUORIN_TEST_DB holds a connection string
// (scripts/pg_test.sh sets one), that database.

#include "../campaign/TestDatabase.h"
#include "../core/TestSupport.h"
#include "app/Composition.h"
#include "core/MainController.h"

#include <QSqlQuery>

#include <functional>
#include <memory>

struct Program {
    struct Options {
        QByteArray settings; // more lines of section "Settings" of conn_quorin.ini; they win over the defaults
        demodatabase::Options demo{10, 2};
        std::function<void(CampaignDb &)> prepare; // changes to the new demo database before the program starts
        bool fast = true;                          // no pauses between the pieces of a reply
        bool sharedInDati = false;                 // tm40.ini and the database in "dati", not beside the program
        bool webFolder = false;                    // "web", where the request log and status files go
    };
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    QString connString; // as tm40.ini names the database, from `shared`
    QString shared;     // the folder of tm40.ini
    std::unique_ptr<MainController> controller;
    std::unique_ptr<Composition> parts;

    explicit Program(const QByteArray &settings = {}, const std::function<void(CampaignDb &)> &prepare = {})
        : Program(Options{settings, {10, 2}, prepare})
    {
    }
    explicit Program(const Options &o)
    {
        QString error;
        shared = o.sharedInDati ? dir.filePath(QStringLiteral("dati")) : dir.path();
        QDir().mkpath(shared);
        if (o.webFolder)
            QDir(dir.path()).mkdir(QStringLiteral("web"));
        // Programs alive at once share a server's database: the first one makes it.
        if (live() > 0 && !testdatabase::server().isEmpty())
            connString = testdatabase::server();
        else if (!testdatabase::createDemo(shared, o.demo, connString, error))
            qFatal("demo database: %s", qPrintable(error));
        if (o.prepare)
            o.prepare(*openAside());
        ++live();
        writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\n" + o.settings + "ServerIp=127.0.0.1\r\nServerPort=1\r\n");
        writeFile(shared, QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=" + connString.toUtf8() + "\r\n");
        controller = std::make_unique<MainController>(MainController::Options{{dir.path(), shared, dir.path()}, false}, prompts);
        parts = std::make_unique<Composition>(*controller, prompts, o.fast);
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
        if (!db->open(ConnectionParams::parse(connString, shared), error))
            qFatal("campaign database: %s", qPrintable(error));
        return db;
    }
    // A number the database gives for `sql`, -1 when it gives none.
    qint64 number(const QString &sql)
    {
        QSqlQuery q(parts->campaign().db().handle());
        return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
    }

private:
    static int &live()
    {
        static int programs = 0;
        return programs;
    }
};
