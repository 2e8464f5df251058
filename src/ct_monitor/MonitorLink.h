#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>

#include "ct_monitor/TelephonyFormat.h"
#include "ct_monitor/TelephonyLink.h"

#include <QUdpSocket>

// The monitor link (Winsock2): a receive-only TCP client of the telephony
// server's port 9992 kept up by its Reconnector, or, listening for a
// replicated stream, a UDP socket on a local port (AscoltaUDP). Packets are
// framed by their length field:
// a bad length on TCP drains what is pending, on UDP the stream is
// realigned at once on the next length the server sends (logged once for
// the whole episode, with the bytes it skipped); an unknown code skips only
// its own packet; a packet not completed in time is dropped. The UDP port
// takes datagrams only from the sender named (the main copy), and reads a
// bounded number at each turn of the event loop, so that a flood on it
// cannot hold the dialer link.
class MonitorLink : public TelephonyLink {
    Q_OBJECT
public:
    static constexpr int kChannel = 2; // SvuotaCoda's
    MonitorLink(Logger &log, const DebugFile &debug, const Settings &settings, QObject *parent = nullptr);

    // TCP to host:port, kept up from now on.
    void connectTo(const QString &host, quint16 port);
    // AscoltaUDP: listen on a local UDP port. False, with a log line, when
    // the port cannot be bound.
    bool listenUdp(quint16 port);
    // The one address the UDP port takes datagrams from (AscoltaUDP_Mittente);
    // empty: anyone, as before the setting existed.
    void setAcceptedSender(const QString &address);
    // Closed (by hand, or with the window) until connected or bound again.
    void close();
    static constexpr int kUdpPerTurn = 4096;
    static constexpr int kForeignReportMs = 60000;
    // Datagrams from others, dropped.
    qint64 foreignDatagrams() const { return m_foreign; }

    bool udp() const { return m_udp != nullptr; }
    // The socket state 0..9; with UDP, 1 (open) when bound.
    int state() const;
    bool isUp() const;
    // Up, or meant to be: not closed.
    bool wanted() const { return m_reconnector.wanted() || m_udpWanted; }
    QString peer() const;
    quint16 localPort() const;

    const Framer &framer() const { return m_reader.framer(); }
    int resyncSteps() const { return m_reader.realignSteps(); }

Q_SIGNALS:
    void packetReceived(const telephony::MonitorPacket &packet); // a decoded 25000 or 25002
    void bytesRead(const QByteArray &bytes);                      // every byte, for the mirror and the counter

private:
    void connectReader();
    void onUdpData();
    void handle(const QByteArray &framed);
    bool accepts(const QHostAddress &sender);
    // TCP drains a bad length; a replicated stream, joined anywhere, is
    // realigned on the lengths the server sends.
    wire::ReadPolicy policy(bool udp) const { return TelephonyLink::policy(udp ? wire::BadLength::Realign : wire::BadLength::Drain); }

    bool m_udpWanted = false;
    QPointer<QUdpSocket> m_udp;
    quint16 m_udpRefused = 0; // the port last refused, logged once
    QString m_senderText;
    QHostAddress m_sender;     // null: anyone (or, with a text, no one)
    qint64 m_foreign = 0;
    qint64 m_foreignReported = 0;
    QElapsedTimer m_foreignClock;
    QByteArray m_datagram;
};
