#pragma once

#include "ct_monitor/TelephonyFormat.h"
#include "ct_monitor/TelephonyLink.h"

// The operator-server link (Winsock4, "OprSrv"): sends operator commands
// (55007 with the extension, then 55006 with the command) and logs what the
// server answers (56001 to 56007). Opened when the monitor opens and by its
// LED, and kept up by its Reconnector until closed.
class OperatorServerLink : public TelephonyLink {
    Q_OBJECT
public:
    static constexpr int kChannel = 4; // SvuotaCoda's
    OperatorServerLink(Logger &log, const DebugFile &debug, const Settings &settings, QObject *parent = nullptr);

    // Connects now and keeps the link up.
    void connectTo(const QString &host, quint16 port);
    // Closed (by hand, or with the window) until connected again.
    void close();
    int state() const { return m_reader.socket().state(); }
    bool isConnected() const { return m_reader.socket().isConnected(); }
    QString peer() const { return m_reader.socket().peerName(); }
    quint16 peerPort() const { return m_port; }
    LinkSocket &socket() { return m_reader.socket(); }

    // The two messages of one command; "Socket non connessa" when the link
    // is down. The password is sent, never logged.
    void sendCommand(const telephony::OpCommandBody &command);

Q_SIGNALS:
    void replied(qint32 code);

private:
    void connectReader();
    void handle(const QByteArray &framed);
    wire::Status logReply(const telephony::OperatorReply &r);
    bool send(const QByteArray &bytes);

    quint16 m_port = 0;
};
