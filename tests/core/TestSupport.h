#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>

#include "core/Ports.h"
#include "core/UserPrompts.h"

// Writes `bytes` to dir/name, creating folders.
inline void writeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers questions from a script and records everything asked.
class ScriptedPrompts : public UserPrompts {
public:
    QStringList asked;
    QList<bool> answers; // consumed by confirm(); No when exhausted
    QStringList inputs;  // consumed by input(); empty (cancelled) when exhausted
    std::function<void(const QString &)> onEdit;

    void message(const QString &text, Severity = Severity::Info) override { asked << QStringLiteral("message:") + text; }
    bool confirm(const QString &text, bool = false) override
    {
        asked << QStringLiteral("confirm:") + text;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QString input(const QString &prompt) override
    {
        asked << QStringLiteral("input:") + prompt;
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    void editFile(const QString &path) override
    {
        asked << QStringLiteral("edit:") + QFileInfo(path).fileName();
        if (onEdit)
            onEdit(path);
    }
};

// Records the calls the main window makes into the link.
class FakeLink : public DialerLinkPort {
public:
    int currentState = 0;
    QStringList calls;
    int state() const override { return currentState; }
    void connectTo(const QString &host, quint16 port) override
    {
        calls << QStringLiteral("connect %1:%2").arg(host).arg(port);
        currentState = 6;
    }
    void close() override
    {
        calls << QStringLiteral("close");
        currentState = 0;
    }
    void sendDbOk() override { calls << QStringLiteral("DBOK"); }
    void sendDbDown() override { calls << QStringLiteral("DBDOWN"); }
};

class FakeCampaign : public CampaignPort {
public:
    bool opened = false;
    bool opens = true; // what open() answers
    QStringList calls;
    QStringList *journal = nullptr; // shared with other fakes to check order
    bool isOpen() const override { return opened; }
    bool open(const QString &conn) override
    {
        calls << QStringLiteral("open ") + conn;
        if (journal)
            *journal << calls.last();
        opened = opens;
        return opens;
    }
    void close() override
    {
        calls << QStringLiteral("close");
        opened = false;
    }
    void initialReset() override
    {
        calls << QStringLiteral("reset");
        if (journal)
            *journal << calls.last();
    }
    void refreshCounters(bool soloCoda) override
    {
        calls << (soloCoda ? QStringLiteral("counters true") : QStringLiteral("counters false"));
    }
};

class FakePing : public PingPort {
public:
    int pings = 0;
    void startPing() override { ++pings; }
};

class FakeStatusPages : public StatusPagesPort {
public:
    int listeners = 0, files = 0, stores = 0;
    QStringList *journal = nullptr;
    void startListener() override
    {
        ++listeners;
        if (journal)
            *journal << QStringLiteral("listener");
    }
    void writeStatusFiles() override { ++files; }
    void storeOutcomeCounters() override { ++stores; }
};

class FakeWatchdog : public WatchdogPort {
public:
    std::map<int, QString> peers;
    int checks = 0, reports = 0, firstState = 7;
    void setPeers(const std::map<int, QString> &hosts) override { peers = hosts; }
    void check() override { ++checks; }
    int firstPeerState() const override { return firstState; }
    void sendReport() override { ++reports; }
};

// Holds another thread at the point where it calls hold(), until the test
// opens the gate; the test can wait for it to get there. A thread held for
// 20 s goes on and says so (the test then fails instead of hanging).
struct ThreadGate {
    QSemaphore arrived, opened;
    std::atomic<bool> timedOut{false};
    void hold()
    {
        arrived.release();
        if (!opened.tryAcquire(1, 20000))
            timedOut = true;
    }
    bool waitArrived() { return QTest::qWaitFor([this] { return arrived.available() > 0; }, 20000); }
    void open() { opened.release(1 << 20); }
};
