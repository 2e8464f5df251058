#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class CampaignDb;
class FileLocations;
class Logger;
class MainModel;
class SentLedger;
class UserPrompts;
struct RunClock;
struct Settings;

// What the campaign services share: the database, the main window's state
// and its lists.
struct CampaignContext {
    CampaignDb &db;
    Logger &log;
    MainModel &model;
    Settings &settings;
    RunClock &clock;
    UserPrompts &prompts;
    const FileLocations &files;
    // The customers this server has in its dialer's queue.
    SentLedger &ledger;
    // The time the services work with; tests set it.
    std::function<QDateTime()> clockNow;

    QDateTime now() const { return clockNow ? clockNow() : QDateTime::currentDateTime(); }
    // A database failure, on List1 for the dialer's services.
    void logDbError(const QString &error) const;
    // Level of the diagnostic box.
    double level() const;
};
