#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "core/QueueDrain.h"
#include "core/Severity.h"
#include "dialer_link/PacketFormat.h"
#include "wire/ByteSource.h"
#include "wire/Framer.h"

class DebugFile;
class Logger;
class MainModel;
struct Settings;

// The receive half of the dialer link: reads the dialer's requests from the
// source one packet at a time, checks them and hands each to `dispatch`.
//
// It reads only when the writer is idle, so the next request is read only
// when the reply to the previous one has been handed to the system; bytes
// it does not read stay in the socket and TCP pushes back on the dialer.
// A corrupt length, or a packet not completed within the time-out, is
// logged with "PROBLEMA" and drained to DEBUG.TXT; the reader starts afresh.
class RequestReader : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> writerBusy;
        std::function<void()> packetTick; // what the main tick does for each packet
        std::function<void(const packet::Packet &)> dispatch;
    };

    static constexpr int kChannel = 1;
    static constexpr qint64 kReadChunk = 16 * 1024;

    RequestReader(ByteSource &source, Logger &log, MainModel &model, const DebugFile &debug, const Settings &settings,
                  Hooks hooks, QObject *parent = nullptr);

    // Serves what is there, until it must wait for bytes or for the writer.
    void pump();
    // A fresh stream: the link was connected or closed.
    void reset();
    // Bytes read from the source and not yet served.
    qsizetype held() const { return m_framer.size(); }
    // Fires when a packet begun was not completed in time.
    const QTimer &incompleteTimer() const { return m_incomplete; }
    // The most ever held at once: one chunk and the packet in hand.
    qsizetype peakHeld() const { return m_peakHeld; }

private:
    bool readMore();
    bool writerBusy() const;
    void handle(const QByteArray &framed);
    static bool validHeader(const packet::Packet &p);
    void waitForRest();
    void onIncompleteTimeout();
    void drain(qint32 packetId);
    void log(const QString &text, const QString &tag = QString(), qint32 id = 0, Severity severity = Severity::Info);
    qint64 available() const;

    ByteSource &m_source;
    Logger &m_log;
    MainModel &m_model;
    const DebugFile &m_debug;
    const Settings &m_settings;
    Hooks m_hooks;
    Framer m_framer;
    JunkDumpBudget m_junk;
    QTimer m_incomplete; // a packet begun and not completed within the time-out
    bool m_pumping = false;
    bool m_announcedWait = false;
    qsizetype m_peakHeld = 0;
};
