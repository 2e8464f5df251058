#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

#include "dialer_link/DialerReplies.h"
#include "dialer_link/PacketFormat.h"

class DebugFile;
class LinkSocket;
class Logger;
class MainModel;

// ScriviPacchetto for the dialer link: every packet leaves through here, in
// the order written. Without "FAST" the 4-byte length goes out first, then
// the writer waits until the socket has handed its output to the system (at
// most 5 s) and 0.1 s more before the rest; the same pause follows each
// packet with an identification record. The event loop keeps running.
class PacketWriter : public QObject, public DialerReplies, public ReplyQueue {
    Q_OBJECT
public:
    static constexpr int kDrainWaitMs = 5000;
    static constexpr int kPauseMs = 100;

    PacketWriter(LinkSocket &socket, Logger &log, MainModel &model, const DebugFile &debug, bool fast,
                 QObject *parent = nullptr);

    // Queues one packet; `body` is the channel buffer's content.
    void write(const packet::Header &header, const packet::RecordId &record, const QByteArray &body);
    // A reply to the dialer: logs the code and `logText` with tag "TX", then
    // writes header, the request's identification record and `body`.
    void sendReply(qint32 code, const QString &logText, const packet::RecordId &echo, const QByteArray &body,
                   bool logCode = true) override;
    // Sends what is queued at once, without pauses (before the link closes).
    void flush();
    // Forgets what is queued (the link is gone).
    void clear();
    // Packets still queued or in a pause, or bytes the socket has not yet
    // handed to the system. The session reads the next request only when
    // this is false, so the queue never holds more than one reply.
    bool busy() const override;
    // The most bytes ever waiting here and in the socket at once.
    qint64 peakQueuedBytes() const { return m_peakQueued; }
    qint64 queuedBytes() const { return m_queuedBytes; }
    // The short pause; benchmarks and tests may lengthen it.
    void setPauseMs(int ms) { m_pauseTimer.setInterval(ms); }

Q_SIGNALS:
    void packetSent(qint32 code);
    // No longer busy.
    void idle();

private:
    struct Step {
        enum Kind { Send, Pause, Action } kind;
        QByteArray bytes;
        std::function<void()> action;
        int packet; // steps of one packet share a number
    };

    void run();
    void startPause();
    void onBytesWritten();
    void pauseOver();
    void dropPacket(int packet);
    void traceHeader(const packet::Header &h, const QByteArray &bytes, qint32 id);
    void traceRecord(const packet::RecordId &r, const QByteArray &bytes);
    void measure();
    void reportIdle();

    LinkSocket &m_socket;
    Logger &m_log;
    MainModel &m_model;
    const DebugFile &m_debug;
    bool m_fast;
    std::deque<Step> m_steps;
    int m_nextPacket = 0;
    bool m_waiting = false;     // in a pause
    bool m_drainWait = false;   // first half of a pause: output not yet handed over
    bool m_flushing = false;
    qint64 m_queuedBytes = 0; // in m_steps
    qint64 m_peakQueued = 0;
    QTimer m_drainTimer;
    QTimer m_pauseTimer;
};
