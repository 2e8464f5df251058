#pragma once

#include <QObject>
#include <functional>

#include "core/Severity.h"
#include "ct_monitor/TelephonyFormat.h"
#include "wire/FramedReader.h"
#include "wire/Reconnector.h"

class DebugFile;
class Logger;

// The operator-server link (Winsock4, "OprSrv"): sends operator commands
// (55007 with the extension, then 55006 with the command) and logs what the
// server answers (56001 to 56007). Opened when the monitor opens and by its
// LED, and kept up by its Reconnector until closed.
class OperatorServerLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannel = 4; // SvuotaCoda's
    struct Hooks {
        std::function<double()> level;
        std::function<int()> timeoutMs; // how long a started packet may take to arrive whole
    };

    OperatorServerLink(Logger &log, const DebugFile &debug, Hooks hooks, QObject *parent = nullptr);

    // Connects now and keeps the link up.
    void connectTo(const QString &host, quint16 port);
    // Closed (by hand, or with the window) until connected again.
    void close();
    int state() const { return m_reader.socket().state(); }
    bool isConnected() const { return m_reader.socket().isConnected(); }
    QString peer() const { return m_reader.socket().peerName(); }
    quint16 peerPort() const { return m_port; }
    LinkSocket &socket() { return m_reader.socket(); }
    wire::Reconnector &reconnector() { return m_reconnector; }

    // The two messages of one command; "Socket non connessa" when the link
    // is down. The password is sent, never logged.
    void sendCommand(const telephony::OpCommandBody &command);

    // Decoding, without a socket (also what the socket feeds).
    void feed(const QByteArray &bytes) { m_reader.feed(bytes); }

Q_SIGNALS:
    void replied(qint32 code);

private:
    void connectReader();
    void handle(const QByteArray &framed);
    wire::Status logReply(const telephony::OperatorReply &r);
    void log(const QString &text, const QString &tag = QString(), Severity severity = Severity::Info);
    void debug(const QString &text);
    bool send(const QByteArray &bytes);

    Logger &m_log;
    const DebugFile &m_debug;
    Hooks m_hooks;
    wire::FramedReader m_reader;
    wire::Reconnector m_reconnector;
    quint16 m_port = 0;
};
