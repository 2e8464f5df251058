#pragma once

#include <QDir>
#include <QString>

#include "campaign/CampaignDb.h"
#include "campaign/DemoDatabase.h"

// The campaign tests run on an SQLite file in their temporary folder or,
// when QUORIN_TEST_DB holds a connection string (scripts/pg_test.sh sets
// one), on that database: its campaign tables are made again for each test.
namespace testdatabase {

inline QString server()
{
    return qEnvironmentVariable("QUORIN_TEST_DB");
}

inline bool dropCampaignTables(const QString &connString, QString &error)
{
    CampaignDb db;
    if (!db.open(ConnectionParams::parse(connString, QDir::currentPath()), error))
        return false;
    for (const char *table : {"[tabella pratiche]", "GRUPPI_ESATTORE", "Esiti_Quorin", "PLA", "CT_Monitor", "esattori",
                              "Quorin_Inviati"}) {
        if (db.execute(QStringLiteral("DROP TABLE IF EXISTS ") + QString::fromLatin1(table), error) < 0)
            return false;
    }
    return true;
}

// A new demo database; `connString` opens it from `sharedDir`.
inline bool createDemo(const QString &sharedDir, const demodatabase::Options &options, QString &connString, QString &error)
{
    const QString target = server();
    if (target.isEmpty()) {
        connString = QStringLiteral("Provider=SQLite;Data Source=campaign.sqlite");
        return demodatabase::create(QDir(sharedDir).filePath(QStringLiteral("campaign.sqlite")), options, error);
    }
    connString = target;
    return dropCampaignTables(target, error) && demodatabase::create(target, options, error);
}

} // namespace testdatabase
