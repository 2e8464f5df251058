#include "ct_monitor/OperatorServerLink.h"

#include "core/Logger.h"
#include "core/QueueDrain.h"
#include "wire/FixedText.h"

#include <QtEndian>

namespace {
constexpr int kChannel = 4;
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

OperatorServerLink::OperatorServerLink(Logger &log, const DebugFile &debug, Hooks hooks, QObject *parent)
    : QObject(parent), m_log(log), m_debug(debug), m_hooks(std::move(hooks)), m_socket(QStringLiteral("Winsock4")),
      m_framer(telephony::kFraming)
{
    m_incomplete.setSingleShot(true);
    connect(&m_incomplete, &QTimer::timeout, this, &OperatorServerLink::onIncompleteTimeout);
    connect(&m_socket, &LinkSocket::readyRead, this, &OperatorServerLink::onData);
    connect(&m_socket, &LinkSocket::connected, this, [this] { m_framer.reset(); });
    connect(&m_socket, &LinkSocket::errorOccurred, this, [this] {
        m_framer.reset();
        m_incomplete.stop();
    });
}

void OperatorServerLink::onIncompleteTimeout()
{
    // A packet that never ends would frame every later reply wrongly.
    if (!m_framer.partial())
        return;
    log(QStringLiteral("DA WS4= PROBLEMA PacketLen4=") + n(std::max(0, m_framer.expectedLength())) + QStringLiteral(" RX = ")
            + n(m_framer.size()),
        {}, Severity::Error);
    svuotaCoda(m_log, m_debug, kChannel, m_framer.takeAll(), 0);
}

void OperatorServerLink::log(const QString &text, const QString &tag, Severity severity)
{
    m_log.scriviLog(text, Logger::Monitor, tag, 0, severity);
}

void OperatorServerLink::debug(const QString &text)
{
    if (m_hooks.level && m_hooks.level() > 0)
        log(text);
}

void OperatorServerLink::connectTo(const QString &host, quint16 port)
{
    m_framer.reset();
    m_port = port;
    m_socket.connectTo(host, port);
}

void OperatorServerLink::close()
{
    m_socket.close();
    m_framer.reset();
    m_incomplete.stop();
}

bool OperatorServerLink::send(const QByteArray &bytes)
{
    if (!m_socket.isConnected()) {
        log(QStringLiteral("Socket non connessa"), {}, Severity::Warning);
        return false;
    }
    m_socket.write(bytes);
    return true;
}

void OperatorServerLink::sendCommand(const telephony::OpCommandBody &c)
{
    const QString tx = QStringLiteral("TX");
    log(QStringLiteral("OpCommand 55007 x int.") + n(c.extension), tx);
    if (!send(telephony::encodeOpExtension(c.extension, m_socket.localPort())))
        return;
    log(QStringLiteral("Invio OpCommand 55006 subcode ") + n(c.subcode) + QStringLiteral(" x Op.") + c.op, tx);
    send(telephony::encodeOpCommand(c, m_socket.localPort()));
}

void OperatorServerLink::onData()
{
    const QByteArray bytes = m_socket.read(m_socket.bytesAvailable());
    if (!bytes.isEmpty())
        feed(bytes);
}

void OperatorServerLink::feed(const QByteArray &bytes)
{
    m_framer.append(bytes);
    for (;;) {
        const Framer::Frame f = m_framer.next();
        if (f.status == Framer::Frame::NeedMore) {
            if (m_framer.expectedLength() > 0)
                debug(QStringLiteral("DA WS4= Aspetto altri ") + n(4 + m_framer.expectedLength() - m_framer.size())
                      + QStringLiteral(" bytes "));
            if (m_framer.partial() && !m_incomplete.isActive() && m_hooks.timeoutMs)
                m_incomplete.start(m_hooks.timeoutMs());
            return;
        }
        m_incomplete.stop();
        if (f.status == Framer::Frame::Corrupt) {
            const QString at = f.length < 1 ? QStringLiteral("=0") : f.length > telephony::kMaxPacketLength
                                                                           ? QStringLiteral(">3100")
                                                                           : QLatin1Char('=') + n(f.length);
            log(QStringLiteral("DA WS4= PROBLEMA PacketLen4") + at + QStringLiteral(" RX = ") + n(m_framer.size()), {},
                Severity::Error);
            svuotaCoda(m_log, m_debug, kChannel, m_framer.takeAll(), 0);
            return;
        }
        debug(QStringLiteral("DA WS4= Ricevuto PacketLen4=") + n(f.length) + QStringLiteral(" BytesReceived=")
              + n(f.bytes.size() + m_framer.size()));
        handle(f.bytes);
        if (m_framer.size() > 0)
            debug(QStringLiteral("DA WS4= Ho già altri ") + n(m_framer.size()) + QStringLiteral(" bytes "));
    }
}

void OperatorServerLink::handle(const QByteArray &framed)
{
    telephony::OperatorReply r;
    if (const wire::Status s = telephony::decodeOperatorReply(framed, r); !s.ok()) {
        log(QStringLiteral("DA WS4= PROBLEMA ") + s.error, {}, Severity::Error);
        return;
    }
    const QByteArray &b = r.body;
    const auto integer = [&](qsizetype at) { return at + 4 <= b.size() ? qFromBigEndian<qint32>(b.constData() + at) : 0; };
    const QString text = fixedtext::pulisciStringa(b);
    switch (r.header.code) {
    case telephony::ReplyIntegers:
        debug(QStringLiteral("RICEVUTO 56001 IN BODY ") + n(integer(0)));
        debug(QStringLiteral("e ") + n(integer(4)));
        break;
    case telephony::ReplyCode:
        debug(QStringLiteral("RIC. 56002 con QUESTO CODICE ") + text);
        break;
    case telephony::ReplyMessage:
        log(QStringLiteral("56003 msg=") + text);
        break;
    case telephony::ReplyList:
        log(QStringLiteral("56004 Ricevuta lista grp e interni -  tot=") + n(r.header.len / 4));
        for (qsizetype at = 0; at + 4 <= b.size(); at += 4)
            debug(QStringLiteral("56004 RIC ") + n(integer(at)));
        break;
    case telephony::ReplyLogin:
        debug(QStringLiteral("56005 a che serve? Forse conferma login"));
        break;
    case telephony::ReplyInfo:
        debug(QStringLiteral("RIC. 56017 op.info?"));
        break;
    default:
        // Framing follows the length: an unknown code skips only its own packet.
        log(QStringLiteral("DA WS4= MSG SCONOSC=") + n(r.header.code), {}, Severity::Warning);
        break;
    }
    Q_EMIT replied(r.header.code);
}
