#pragma once

#include <QObject>
#include <functional>

#include "core/Ports.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/Dispatcher.h"
#include "dialer_link/LinkSocket.h"
#include "dialer_link/PacketWriter.h"
#include "dialer_link/Reassembler.h"

class DebugFile;
class Logger;
class MainModel;
struct RunClock;

// The session with the dialer server: connect and DBOK, the receive loop,
// dispatch, the error handler, DBDOWN and close.
class DialerLink : public QObject, public DialerLinkPort, public DialerReplies, private ReassemblySink {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> invertiTasti; // "Chiudi" on, "Connetti" off
        std::function<void()> tick;         // the main tick
        std::function<void(const QString &)> message; // a message box
    };

    DialerLink(Logger &log, MainModel &model, RunClock &clock, const DebugFile &debug, bool fast,
               QObject *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    Dispatcher &dispatcher() { return m_dispatcher; }
    LinkSocket &socket() { return m_socket; }
    PacketWriter &writer() { return m_writer; }

    int state() const override { return m_socket.state(); }
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
    void onData(const QByteArray &bytes);
    void onError(const LinkSocket::Error &error);
    void onBytesWritten(qint64 bytes);

    // ReassemblySink
    bool connected() const override { return m_socket.isConnected(); }
    double level() const override;
    void log(const QString &text, const QString &tag, qint32 id) override;
    void tick() override;
    void bytesRead(int count) override;
    void codeReceived(qint32 code) override;
    void dataError() override;
    void drained(const QByteArray &bytes, const packet::Header &h, const packet::RecordId &r) override;
    void packet(const packet::Header &h, const packet::RecordId &r, const QByteArray &body) override;

    Logger &m_log;
    MainModel &m_model;
    RunClock &m_clock;
    const DebugFile &m_debug;
    LinkSocket m_socket;
    PacketWriter m_writer;
    Reassembler m_reassembler;
    Dispatcher m_dispatcher;
    Hooks m_hooks;
    packet::RecordId m_lastReceived;
};
