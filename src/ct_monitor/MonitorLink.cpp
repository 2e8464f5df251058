#include "ct_monitor/MonitorLink.h"

#include "core/LinkLog.h"
#include "core/Logger.h"

#include <QUdpSocket>

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

MonitorLink::MonitorLink(Logger &log, const DebugFile &debug, const Settings &settings, QObject *parent)
    : TelephonyLink(log, debug, settings, wire::BadLength::Drain, QStringLiteral("Winsock2"), QStringLiteral("Monitor"), parent)
{
    connectReader();
}

// What the reader reports, in this link's words.
void MonitorLink::connectReader()
{
    using R = wire::FramedReader;
    connect(&m_reader, &R::bytesRead, this, &MonitorLink::bytesRead);
    logReader(m_reader, m_log, m_debug,
              {Logger::Monitor, kChannel, QStringLiteral("DA WS2= Ricevuto PacketLen="), QStringLiteral("DA WS2= Aspetto altri "),
               QStringLiteral("DA WS2= Ho già altri "), [](qint32 length, qint64 pending, bool) {
                   return QStringLiteral("DA WS2= PROBLEMA PacketLen2=") + n(length) + QStringLiteral(" RX = ") + n(pending);
               }});
    connect(&m_reader, &R::packetReady, this, &MonitorLink::handle);
    connect(&m_reader, &R::realignStep, this, [this](qint64 skipped, qint64 pending) {
        log(QStringLiteral("Tento il riallineamento . passo ") + n(skipped) + QStringLiteral(" buf=") + n(pending));
    });
    connect(&m_reader, &R::realignExhausted, this, [this] { log(QStringLiteral("NON HO BYTE - ESCO")); });
    connect(&m_reader, &R::realigned, this, [this](qint32 length, bool whole) {
        log(whole ? QStringLiteral("Tento con ") + n(length)
                  : QStringLiteral("Ho trovato ") + n(length) + QStringLiteral(" MA ESCO PER MANCANZA BYTE"));
    });
}

void MonitorLink::connectTo(const QString &host, quint16 port)
{
    close();
    m_reconnector.setTarget(host, port);
    m_reconnector.open();
}

bool MonitorLink::listenUdp(quint16 port)
{
    close();
    m_udpWanted = true;
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
    m_reader.setPolicy(policy(true));
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
    m_reconnector.close();
    m_udpWanted = false;
    if (m_udp) {
        m_udp->disconnect(this);
        m_udp->close();
        m_udp->deleteLater();
        m_udp = nullptr;
    }
    m_reader.setPolicy(policy(false));
}

int MonitorLink::state() const
{
    if (m_udp)
        return m_udp->state() == QAbstractSocket::BoundState ? socketstates::kOpen : socketstates::kClosed;
    return m_reader.socket().state();
}

bool MonitorLink::isUp() const
{
    return m_udp ? m_udp->state() == QAbstractSocket::BoundState : m_reader.socket().isConnected();
}

QString MonitorLink::peer() const
{
    return m_reader.socket().peerName();
}

quint16 MonitorLink::localPort() const
{
    return m_udp ? m_udp->localPort() : m_reader.socket().localPort();
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
    m_reader.feed(bytes);
}

void MonitorLink::handle(const QByteArray &framed)
{
    telephony::MonitorPacket p;
    const wire::Status s = telephony::decodeMonitor(framed, p);
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
    Q_EMIT packetReceived(p);
}
