#pragma once

#include <QObject>

#include "core/QueueDrain.h"
#include "core/Severity.h"
#include "dialer_link/PacketFormat.h"
#include "wire/FramedReader.h"

class DebugFile;
class Logger;
class MainModel;
class ReplyQueue;
struct Settings;

// The receive half of the dialer link: the link's FramedReader, and the
// checks and log lines of the dialer's requests, each announced whole.
//
// It reads only when the writer is idle, so the next request is read only
// when the reply to the previous one has been handed to the system; bytes
// it does not read stay in the socket and TCP pushes back on the dialer.
// A corrupt length, or a packet not completed within the time-out, is
// logged with "PROBLEMA" and drained to DEBUG.TXT; the reader starts afresh.
class RequestReader : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannel = 1;
    static constexpr qint64 kReadChunk = wire::FramedReader::kReadChunk;

    RequestReader(Logger &log, MainModel &model, const DebugFile &debug, const Settings &settings,
                  QObject *parent = nullptr);

    // Nothing is read while it is busy.
    void setWriter(const ReplyQueue *writer) { m_writer = writer; }

    LinkSocket &socket() { return m_frames.socket(); }
    const LinkSocket &socket() const { return m_frames.socket(); }
    wire::FramedReader &frames() { return m_frames; }
    // Serves what is there, until it must wait for bytes or for the writer.
    void pump() { m_frames.pump(); }
    // A fresh stream: the link was connected or closed.
    void reset();
    // Bytes read from the source and not yet served.
    qsizetype held() const { return m_frames.held(); }
    // Fires when a packet begun was not completed in time.
    const QTimer &incompleteTimer() const { return m_frames.incompleteTimer(); }
    // The most ever held at once: one chunk and the packet in hand.
    qsizetype peakHeld() const { return m_frames.peakHeld(); }

Q_SIGNALS:
    // The socket has bytes for us, before any is read.
    void arrived();
    // A packet came whole, before it is checked.
    void packetRead();
    // A request that passed the checks, in stream order.
    void requestReceived(const packet::Packet &request);

private:
    void connectReader();
    bool writerBusy() const;
    void handle(const QByteArray &framed);
    static bool validHeader(const packet::Packet &p);
    void log(const QString &text, const QString &tag = QString(), qint32 id = 0, Severity severity = Severity::Info);

    Logger &m_log;
    MainModel &m_model;
    const DebugFile &m_debug;
    const ReplyQueue *m_writer = nullptr;
    wire::FramedReader m_frames;
    JunkDumpBudget m_junk;
    qint32 m_drainId = 0; // the packet whose fault drains the stream, for the log
};
