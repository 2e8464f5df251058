#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "core/Ports.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/Dispatcher.h"
#include "dialer_link/PacketWriter.h"
#include "dialer_link/RequestReader.h"
#include "wire/LinkSocket.h"

class DebugFile;
class Logger;
class MainModel;
struct RunClock;
struct Settings;

// The session with the dialer server: connect and DBOK, the receive loop
// (RequestReader), dispatch, the error handler, DBDOWN and close.
//
// Requests are served one at a time, in stream order, and the next one is
// read only when the reply to the previous one has been handed to the
// system, so an acknowledgement is never lost behind a request served
// ahead of it.
class DialerLink : public QObject, public DialerLinkPort, public DialerReplies {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> invertiTasti; // "Chiudi" on, "Connetti" off
        std::function<void()> tick;         // the whole main tick (after connecting)
        std::function<void()> packetTick;   // what the main tick does for each packet read
        std::function<void(const QString &)> message; // a message box
    };

    DialerLink(Logger &log, MainModel &model, RunClock &clock, const DebugFile &debug, const Settings &settings,
               bool fast, QObject *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    Dispatcher &dispatcher() { return m_dispatcher; }
    LinkSocket &socket() { return m_reader.socket(); }
    PacketWriter &writer() { return m_writer; }
    RequestReader &reader() { return m_reader; }

    int state() const override { return m_reader.socket().state(); }
    void connectTo(const QString &host, quint16 port) override;
    void close() override;
    void sendDbOk() override;
    void sendDbDown() override;

    // A reply to the dialer: logs the code and `logText` with tag "TX", then
    // writes header, the request's identification record and `body`.
    void sendReply(qint32 code, const QString &logText, const packet::RecordId &echo, const QByteArray &body,
                   bool logCode = true) override;
    packet::RecordId lastReceived() const override { return m_lastReceived; }

private:
    void sendHeaderOnly(qint32 code, const QString &logText);
    void onConnected();
    void onError(const LinkSocket::Error &error);
    void onBytesWritten(qint64 bytes);
    // The request in hand has its replies with the system: its time is measured.
    void requestServed();

    Logger &m_log;
    MainModel &m_model;
    RunClock &m_clock;
    const DebugFile &m_debug;
    RequestReader m_reader; // owns the socket, which the writer shares
    PacketWriter m_writer;
    Dispatcher m_dispatcher;
    Hooks m_hooks;
    packet::RecordId m_lastReceived;
    qint32 m_serving = 0;
    QElapsedTimer m_servingSince; // invalid while no request is in hand
};
