#pragma once

#include <QObject>
#include <QTimer>
#include <algorithm>

#include "wire/LinkSocket.h"

namespace wire {

// Keeps a client link up. Once opened, a link that fails to connect, or is
// lost, is tried again by itself after 1 s, then 2 s, 4 s ... at most 30 s
// between attempts; an attempt that has not connected in 10 s counts as
// failed. It says once that the link is down and once that it is back,
// never a line per attempt. A link closed by hand stays closed until it is
// opened again.
class Reconnector : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstWaitMs = 1000;
    static constexpr int kLongestWaitMs = 30000;
    static constexpr int kConnectTimeoutMs = 10000;

    // `name` is how the two lines call the link ("Monitor", "OprSrv", ...).
    Reconnector(LinkSocket &socket, QString name, QObject *parent = nullptr);

    // The wait after `failures` failed attempts in a row (at least 1):
    // `firstMs`, doubled for each further failure, at most `longestMs`.
    static int waitAfter(int failures, int firstMs = kFirstWaitMs, int longestMs = kLongestWaitMs);

    void setTarget(const QString &host, quint16 port);
    // Shorter waits, for tests.
    void setWaits(int firstMs, int longestMs);
    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }

    // Connects now, the waits starting over, and keeps the link up.
    void open();
    // By hand: the link is closed and left closed until open().
    void close();
    // A link in one of these states is opened by a double click on its
    // indicator, any other is closed.
    static bool isDown(int state);

    bool wanted() const { return m_wanted; }
    // Waiting for the next attempt.
    bool retrying() const { return m_retry.isActive(); }
    int attempts() const { return m_attempts; }
    int nextWaitMs() const { return waitAfter(std::max(1, m_failures), m_firstMs, m_longestMs); }

Q_SIGNALS:
    // A line for the link's list: `down` (with the reason), or back.
    void said(const QString &line, bool down);
    void attempted();

private:
    void attempt();
    void onConnected();
    void lost(const QString &reason);

    LinkSocket &m_socket;
    QString m_name;
    QString m_host;
    quint16 m_port = 0;
    QTimer m_retry;
    QTimer m_connectTimer;
    int m_firstMs = kFirstWaitMs;
    int m_longestMs = kLongestWaitMs;
    bool m_wanted = false;
    bool m_down = false; // said so, and not yet said it is back
    int m_failures = 0;
    int m_attempts = 0;
};

} // namespace wire
