#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include "../core/TestSupport.h"
#include "app/Composition.h"
#include "campaign/Campaign.h"
#include "campaign/DemoDatabase.h"
#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/LogList.h"
#include "core/MainModel.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/Dispatcher.h"
#include "TestDatabase.h"
#include "wire/FixedText.h"

// Replies as they would leave for the dialer.
class RecordingReplies : public DialerReplies {
public:
    struct Reply {
        qint32 code;
        QString text;
        packet::RecordId echo;
        QByteArray body;
        bool logCode;
    };
    QList<Reply> sent;
    void sendReply(qint32 code, const QString &text, const packet::RecordId &echo, const QByteArray &body,
                   bool logCode) override
    {
        sent.append({code, text, echo, body, logCode});
    }
};

// A campaign over a fresh database with the program's tables and no rows:
// an SQLite file, or the server QUORIN_TEST_DB names.
struct CampaignFixture {
    QTemporaryDir dir;
    FileLocations files{platform::AppPaths{dir.path(), dir.path(), dir.path()}};
    MainModel model;
    Logger log{model.debugLevel};
    Settings settings;
    RunClock clock;
    ScriptedPrompts prompts;
    RecordingReplies replies;
    DebugFile debug{dir.filePath(QStringLiteral("DEBUG.TXT"))};
    Dispatcher dispatcher{log, model, debug};
    int captions = 0;
    // The services' clock: a fixed working day unless a test moves it.
    QDateTime now{QDate::currentDate(), QTime(10, 0, 0)};
    // Runs at each reading of the clock, while a test sets it: another
    // server's work at a chosen moment of this one's.
    std::function<void()> onClock;
    Campaign campaign{{log, model, settings, clock, prompts, files,
                       [this] {
                           if (onClock)
                               onClock();
                           return now;
                       }},
                      replies, dispatcher, debug};
    QString path = dir.filePath(QStringLiteral("campaign.sqlite"));
    QString connString;

    explicit CampaignFixture(int customers = 0) : CampaignFixture(demodatabase::Options{customers, 7}) {}
    explicit CampaignFixture(const demodatabase::Options &demo)
    {
        Composition::routeDialerRequests(dispatcher, campaign);
        QObject::connect(&clock, &RunClock::countingStarted, [this] { ++captions; });
        QString error;
        if (!testdatabase::createDemo(dir.path(), demo, connString, error))
            qFatal("demo database: %s", qPrintable(error));
        if (!campaign.open(connString))
            qFatal("open failed");
        if (demo.customers == 0) // no demo rows at all: each test seeds its own
            sql(QStringLiteral("DELETE FROM GRUPPI_ESATTORE"));
    }
    // A second server on the database of `first`, with its own connection.
    struct SameDatabase {};
    CampaignFixture(SameDatabase, CampaignFixture &first)
        : connString(first.campaign.db().isSqlite() ? QStringLiteral("Provider=SQLite;Data Source=") + first.path
                                                    : first.connString)
    {
        Composition::routeDialerRequests(dispatcher, campaign);
        if (!campaign.open(connString))
            qFatal("open failed");
    }

    // The backend's text of a statement written for SQL Server.
    QString dialect(const QString &statement)
    {
        QString out, error;
        if (!campaign.db().translate(statement, out, error))
            qFatal("%s", qPrintable(error));
        return out;
    }
    // Runs statements straight on the connection, as another program would.
    void sql(const QString &statement)
    {
        QSqlQuery q(campaign.db().handle());
        if (!q.exec(dialect(statement)))
            qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
    }
    qint64 number(const QString &statement)
    {
        QSqlQuery q(campaign.db().handle());
        if (!q.exec(dialect(statement)) || !q.next())
            qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
        return q.value(0).toLongLong();
    }
    qint64 sentCount() { return number(QStringLiteral("select count(*) from [tabella pratiche] where FlagQuorin=1")); }
    qint64 flag(int id) { return number(QStringLiteral("select FlagQuorin from [tabella pratiche] where contatore=%1").arg(id)); }
    QStringList list1() { return log.list1().lines(); }
    // Group `g` of collector `collector` with `count` sendable customers from `firstId` on.
    void group(int g, const QString &collector, int count, int firstId = 1)
    {
        sql(QStringLiteral("INSERT INTO GRUPPI_ESATTORE VALUES (%1, '%2')").arg(g).arg(collector));
        for (int i = firstId; i < firstId + count; ++i)
            customer(i, collector, QStringLiteral("33300%1").arg(i), 0, 30);
    }
    // A customer row; dates relative to now in days.
    void customer(int id, const QString &collector, const QVariant &phone1, const QVariant &flag, int expiresInDays,
                  const QVariant &lastOutcome = QVariant())
    {
        QSqlQuery q(campaign.db().handle());
        q.prepare(dialect(QStringLiteral("INSERT INTO [tabella pratiche] (contatore, [codice esattore], Telefono1, FlagQuorin,"
                                         " [scadenza mandato], UltimoEsitoQuorin) VALUES (?, ?, ?, ?, ?, ?)")));
        q.addBindValue(id);
        q.addBindValue(collector);
        q.addBindValue(phone1);
        q.addBindValue(flag);
        q.addBindValue(QDateTime::currentDateTime().addDays(expiresInDays).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        q.addBindValue(lastOutcome);
        if (!q.exec())
            qFatal("%s", qPrintable(q.lastError().text()));
    }
    // As the link hands a request to the dispatcher.
    void dispatch(const packet::Header &h, const packet::RecordId &r, const QByteArray &body)
    {
        dispatcher.dispatch({h, r, body});
    }
    QStringList list2Messages()
    {
        QStringList out;
        for (const QString &line : log.list2().lines())
            out << line.section(QStringLiteral(" | "), 1);
        return out;
    }
};

// Customers requests as the link hands them to the service.
inline DialerRequest groupRequest(const QList<dialerbody::CustomersRequest::Pair> &pairs, int id = 9)
{
    const QByteArray body = dialerbody::encode(dialerbody::CustomersRequest{pairs});
    return {packet::requestHeader(packet::RichiestaClientiGruppi, int(body.size()), 0), {id, QStringLiteral("PD")}, body};
}

inline DialerRequest operatorRequest(const QString &op, int quantity, int group = 4)
{
    const QByteArray body = dialerbody::encode(dialerbody::OperatorRequest{group, quantity, op});
    return {packet::requestHeader(packet::QueryOp, int(body.size()), 0), {11, QStringLiteral("PD")}, body};
}
