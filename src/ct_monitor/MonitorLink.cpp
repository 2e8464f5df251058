#include "ct_monitor/MonitorLink.h"

#include "core/Logger.h"
#include "core/QueueDrain.h"

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
    if (m_senderText.isEmpty())
        log(QStringLiteral("AscoltaUDP_Mittente non impostato: dati UDP accettati da chiunque"), Severity::Warning);
    return true;
}

void MonitorLink::setAcceptedSender(const QString &address)
{
    m_senderText = address.trimmed();
    m_sender = QHostAddress();
    if (!m_senderText.isEmpty() && !m_sender.setAddress(m_senderText))
        log(QStringLiteral("AscoltaUDP_Mittente non valido: ") + m_senderText + QStringLiteral(", nessun dato UDP accettato"),
            Severity::Warning);
}

bool MonitorLink::accepts(const QHostAddress &sender)
{
    if (m_senderText.isEmpty() || (!m_sender.isNull() && sender.isEqual(m_sender, QHostAddress::ConvertV4MappedToIPv4)))
        return true;
    // Counted, and told at most once a minute: a flood is not a flood of lines.
    ++m_foreign;
    if (!m_foreignClock.isValid() || m_foreignClock.elapsed() >= kForeignReportMs) {
        m_foreignClock.start();
        log(QStringLiteral("DA WS2= scartati ") + n(m_foreign - m_foreignReported) + QStringLiteral(" datagrammi UDP di ")
            + sender.toString() + QStringLiteral(" (mittente ammesso: ") + m_senderText + QLatin1Char(')'),
            Severity::Warning);
        m_foreignReported = m_foreign;
    }
    return false;
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
    // A bounded number at each turn, fed as one piece; what is left makes
    // the socket ready again at the next turn, after the other links.
    if (m_datagram.isEmpty())
        m_datagram.resize(64 * 1024);
    QByteArray bytes;
    for (int i = 0; i < kUdpPerTurn && m_udp && m_udp->hasPendingDatagrams(); ++i) {
        QHostAddress sender;
        const qint64 size = m_udp->readDatagram(m_datagram.data(), m_datagram.size(), &sender);
        if (size < 0)
            break;
        if (accepts(sender))
            bytes.append(m_datagram.constData(), size);
    }
    if (!bytes.isEmpty())
        feed(bytes);
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
    if (!m_realigning)
        startRealigning();
    // One line for the whole search, however many bytes and arrivals it
    // takes: junk on the port must not become a flood of lines.
    while (m_framer.size() < 4 || !telephony::pacchettoBuono(m_framer.expectedLength())) {
        if (m_framer.size() < 4) {
            if (!m_dryReported)
                log(QStringLiteral("NON HO BYTE - ESCO"));
            m_dryReported = true;
            return false;
        }
        ++m_steps;
        ++m_skipped;
        m_framer.dropFirst();
    }
    log(QStringLiteral("Tento il riallineamento . passo ") + n(m_skipped) + QStringLiteral(" buf=") + n(pending()));
    const qint32 length = m_framer.expectedLength();
    if (pending() < 4 + qint64(length)) {
        log(QStringLiteral("Ho trovato ") + n(length) + QStringLiteral(" MA ESCO PER MANCANZA BYTE"));
        return false;
    }
    log(QStringLiteral("Tento con ") + n(length));
    return true;
}

void MonitorLink::startRealigning()
{
    m_realigning = true;
    m_skipped = 0;
    m_dryReported = false;
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
        if (!m_realigning)
            startRealigning();
        ++m_steps;
        ++m_skipped;
        m_framer.dropFirst();
        loop();
        return;
    }
    svuotaCoda(m_log, m_debug, kChannel, m_framer.takeAll(), 0);
}
