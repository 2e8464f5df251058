#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "core/LogList.h"
#include "core/ObservableValue.h"
#include "core/Ports.h"

class QTcpServer;
class QTcpSocket;

// frm_WDog: the watchdog's receiving side. Listens on port 1526, one peer
// at a time (a new one replaces the old), and shows the last report: each
// arrival replaces the list with its lines. Opened by the "wd" menu.
class WatchdogMonitor : public QObject, public WatchdogWindowPort {
    Q_OBJECT
public:
    static constexpr quint16 kPort = 1526;
    static constexpr qint64 kMaxArrival = 64 * 1024; // read at once; the rest is the next arrival
    // What one arrival may show (a report is some twenty lines of under a
    // hundred characters): its first lines, cut to a width, then a count.
    static constexpr int kMaxLinesShown = 40;
    static constexpr int kMaxLineWidth = 200;

    explicit WatchdogMonitor(QObject *parent = nullptr);
    ~WatchdogMonitor() override;

    // WatchdogWindowPort
    void show() override; // load (listen) and bring forward
    void shutdown() override { unload(); }

    void unload();
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const;
    bool isOpen() const { return loaded.value(); }
    void tick(); // Timer1
    // The socket's state as the original control numbered it.
    int state() const;

    FlagValue loaded;
    TextValue caption;
    LogList list{QStringLiteral("WatchDog")};

Q_SIGNALS:
    void raiseRequested();

private:
    void listen();
    void onConnection();
    void onData();

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_peer;
    QTimer m_timer;
    quint16 m_port = kPort;
};
