#include "ct_monitor/MonitorLink.h"

#include "core/Logger.h"
#include "dialer_link/QueueDrain.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {
constexpr int kChannel = 2;
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

MonitorLink::MonitorLink(Logger &log, const DebugFile &debug, Hooks hooks, QObject *parent)
    : QObject(parent), m_log(log), m_debug(debug), m_hooks(std::move(hooks)), m_tcp(QStringLiteral("Winsock2")),
      m_framer(telephony::kFraming)
{
    m_incomplete.setSingleShot(true);
    connect(&m_incomplete, &QTimer::timeout, this, &MonitorLink::onIncompleteTimeout);
    connect(&m_tcp, &LinkSocket::readyRead, this, &MonitorLink::onTcpData);
    // A fresh stream on every connection; a failed one leaves nothing behind.
    connect(&m_tcp, &LinkSocket::connected, this, [this] { m_framer.reset(); });
    connect(&m_tcp, &LinkSocket::errorOccurred, this, [this] {
        m_framer.reset();
        m_incomplete.stop();
    });
}

void MonitorLink::log(const QString &text, Severity severity)
{
    m_log.scriviLog(text, Logger::Monitor, severity);
}

void MonitorLink::debug(const QString &text)
{
    if (m_hooks.level && m_hooks.level() > 0)
        log(text);
}

void MonitorLink::connectTo(const QString &host, quint16 port)
{
    close();
    m_tcp.connectTo(host, port);
}

bool MonitorLink::listenUdp(quint16 port)
{
    close();
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, port)) {
        // Tried again every tick: said once until it works.
        if (m_udpRefused != port)
            log(QStringLiteral("Porta UDP ") + n(port) + QStringLiteral(" non disponibile: ") + socket->errorString(),
                Severity::Warning);
        m_udpRefused = port;
        delete socket;
        return false;
    }
    m_udpRefused = 0;
    // One datagram a byte: room for a burst while the loop is busy elsewhere.
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 * 1024 * 1024);
    m_udp = socket;
    connect(socket, &QUdpSocket::readyRead, this, &MonitorLink::onUdpData);
    return true;
}

void MonitorLink::close()
{
    m_tcp.close();
    if (m_udp) {
        m_udp->disconnect(this);
        m_udp->close();
        m_udp->deleteLater();
        m_udp = nullptr;
    }
    m_framer.reset();
    m_incomplete.stop();
    m_realigning = false;
}

int MonitorLink::state() const
{
    if (m_udp)
        return m_udp->state() == QAbstractSocket::BoundState ? 1 : 0;
    return m_tcp.state();
}

bool MonitorLink::isUp() const
{
    return m_udp ? m_udp->state() == QAbstractSocket::BoundState : m_tcp.isConnected();
}

QString MonitorLink::peer() const
{
    return m_tcp.peerName();
}

quint16 MonitorLink::localPort() const
{
    return m_udp ? m_udp->localPort() : m_tcp.localPort();
}

void MonitorLink::onTcpData()
{
    const QByteArray bytes = m_tcp.read(m_tcp.bytesAvailable());
    if (!bytes.isEmpty())
        feed(bytes);
}

void MonitorLink::onUdpData()
{
    while (m_udp && m_udp->hasPendingDatagrams())
        feed(m_udp->receiveDatagram().data());
}

void MonitorLink::feed(const QByteArray &bytes)
{
    if (m_hooks.bytesRead)
        m_hooks.bytesRead(bytes);
    m_framer.append(bytes);
    loop();
}

void MonitorLink::loop()
{
    for (;;) {
        // A replicated stream knows only the lengths the server sends.
        const bool strange = m_udp && m_framer.size() >= 4 && !telephony::pacchettoBuono(m_framer.expectedLength());
        const Framer::Frame f = strange ? Framer::Frame{Framer::Frame::Corrupt, {}, m_framer.expectedLength(), {}}
                                        : m_framer.next();
        if (f.status == Framer::Frame::NeedMore) {
            if (m_framer.expectedLength() > 0)
                debug(QStringLiteral("DA WS2= Aspetto altri ") + n(4 + m_framer.expectedLength() - pending())
                      + QStringLiteral(" bytes "));
            if (m_framer.partial() && !m_incomplete.isActive() && m_hooks.timeoutMs)
                m_incomplete.start(m_hooks.timeoutMs());
            return;
        }
        m_incomplete.stop();
        if (f.status == Framer::Frame::Corrupt) {
            if (!handleCorrupt(f))
                return;
            continue;
        }
        m_realigning = false;
        handle(f.bytes);
        if (pending() > 0)
            debug(QStringLiteral("DA WS2= Ho già altri ") + n(pending()) + QStringLiteral(" bytes "));
    }
}

// True when a packet may follow at once.
bool MonitorLink::handleCorrupt(const Framer::Frame &f)
{
    if (!m_realigning)
        log(QStringLiteral("DA WS2= PROBLEMA PacketLen2=") + n(f.length) + QStringLiteral(" RX = ") + n(pending()),
            Severity::Error);
    if (!m_udp) {
        svuotaCoda(m_log, m_debug, kChannel, m_framer.takeAll(), 0);
        return false;
    }
    m_realigning = true;
    while (m_framer.size() < 4 || !telephony::pacchettoBuono(m_framer.expectedLength())) {
        if (m_framer.size() < 4) {
            log(QStringLiteral("NON HO BYTE - ESCO"));
            return false;
        }
        ++m_steps;
        log(QStringLiteral("Tento il riallineamento . passo ") + n(m_steps) + QStringLiteral(" buf=") + n(pending()));
        m_framer.dropFirst();
    }
    const qint32 length = m_framer.expectedLength();
    if (pending() < 4 + qint64(length)) {
        log(QStringLiteral("Ho trovato ") + n(length) + QStringLiteral(" MA ESCO PER MANCANZA BYTE"));
        return false;
    }
    log(QStringLiteral("Tento con ") + n(length));
    return true;
}

void MonitorLink::handle(const QByteArray &framed)
{
    telephony::MonitorPacket p;
    const wire::Status s = telephony::decodeMonitor(framed, p);
    debug(QStringLiteral("DA WS2= Ricevuto PacketLen=") + n(p.header.totlen) + QStringLiteral(" BytesReceived=")
          + n(framed.size() + pending()));
    if (p.header.code != telephony::Monitor && p.header.code != telephony::Time) {
        log(QStringLiteral("DA WS2= MSG SCONOSC=") + n(p.header.code), Severity::Warning);
        if (m_udp)
            log(QStringLiteral("Tento il riallineamento"));
        return; // only this packet is skipped
    }
    if (!s.ok()) {
        log(QStringLiteral("DA WS2= PROBLEMA ") + s.error, Severity::Error);
        return;
    }
    debug(QStringLiteral("Ricevuto ") + n(p.header.code) + QLatin1Char(' ') + n(p.sub.subcode));
    if (m_hooks.packet)
        m_hooks.packet(p);
}

void MonitorLink::onIncompleteTimeout()
{
    if (!m_framer.partial())
        return;
    log(QStringLiteral("DA WS2= PROBLEMA PacketLen2=") + n(std::max(0, m_framer.expectedLength())) + QStringLiteral(" RX = ")
            + n(pending()),
        Severity::Error);
    if (m_udp) {
        m_realigning = true;
        m_framer.dropFirst();
        loop();
        return;
    }
    svuotaCoda(m_log, m_debug, kChannel, m_framer.takeAll(), 0);
}
