#pragma once

#include <QObject>
#include <functional>

#include "core/Severity.h"
#include "ct_monitor/TelephonyFormat.h"
#include "wire/FramedReader.h"

class DebugFile;
class Logger;

// The operator-server link (Winsock4, "OprSrv"): sends operator commands
// (55007 with the extension, then 55006 with the command) and logs what the
// server answers (56001 to 56007). Connected when the monitor opens and by
// its LED; never by the timer.
class OperatorServerLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannel = 4; // SvuotaCoda's
    struct Hooks {
        std::function<double()> level;
        std::function<int()> timeoutMs; // how long a started packet may take to arrive whole
    };

    OperatorServerLink(Logger &log, const DebugFile &debug, Hooks hooks, QObject *parent = nullptr);

    void connectTo(const QString &host, quint16 port);
    void close();
    int state() const { return m_reader.socket().state(); }
    bool isConnected() const { return m_reader.socket().isConnected(); }
    QString peer() const { return m_reader.socket().peerName(); }
    quint16 peerPort() const { return m_port; }
    LinkSocket &socket() { return m_reader.socket(); }

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
    quint16 m_port = 0;
};
