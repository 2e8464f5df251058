#include "ct_monitor/OperatorServerLink.h"

#include "core/LinkLog.h"
#include "core/Logger.h"

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

OperatorServerLink::OperatorServerLink(Logger &log, const DebugFile &debug, const Settings &settings, QObject *parent)
    : TelephonyLink(log, debug, settings, wire::BadLength::Drain, QStringLiteral("Winsock4"), QStringLiteral("OprSrv"), parent)
{
    connectReader();
}

// What the reader reports, in this link's words.
void OperatorServerLink::connectReader()
{
    logReader(m_reader, m_log, m_debug,
              {Logger::Monitor, kChannel, QStringLiteral("DA WS4= Ricevuto PacketLen4="), QStringLiteral("DA WS4= Aspetto altri "),
               QStringLiteral("DA WS4= Ho già altri "), [](qint32 length, qint64 pending, bool timedOut) {
                   QString at = QLatin1Char('=') + n(length);
                   if (!timedOut && length < 1)
                       at = QStringLiteral("=0");
                   else if (!timedOut && length > telephony::kMaxPacketLength)
                       at = QStringLiteral(">3100");
                   return QStringLiteral("DA WS4= PROBLEMA PacketLen4") + at + QStringLiteral(" RX = ") + n(pending);
               }});
    connect(&m_reader, &wire::FramedReader::packetReady, this, &OperatorServerLink::handle);
}

void OperatorServerLink::connectTo(const QString &host, quint16 port)
{
    m_port = port;
    m_reconnector.setTarget(host, port);
    m_reconnector.open();
}

void OperatorServerLink::close()
{
    m_reconnector.close();
    m_reader.reset();
}

bool OperatorServerLink::send(const QByteArray &bytes)
{
    if (!m_reader.socket().isConnected()) {
        log(QStringLiteral("Socket non connessa"), {}, Severity::Warning);
        return false;
    }
    m_reader.socket().write(bytes);
    return true;
}

void OperatorServerLink::sendCommand(const telephony::OpCommandBody &c)
{
    const QString tx = QStringLiteral("TX");
    log(QStringLiteral("OpCommand 55007 x int.") + n(c.extension), tx);
    if (!send(telephony::encodeOpExtension(c.extension, m_reader.socket().localPort())))
        return;
    log(QStringLiteral("Invio OpCommand 55006 subcode ") + n(c.subcode) + QStringLiteral(" x Op.") + c.op, tx);
    send(telephony::encodeOpCommand(c, m_reader.socket().localPort()));
}

void OperatorServerLink::handle(const QByteArray &framed)
{
    telephony::OperatorReply r;
    wire::Status s = telephony::decodeOperatorReply(framed, r);
    if (s.ok())
        s = logReply(r);
    if (!s.ok()) {
        log(QStringLiteral("DA WS4= PROBLEMA ") + s.error, {}, Severity::Error);
        return;
    }
    Q_EMIT replied(r.header.code);
}

// The replies are only logged; a body too short for its fields is refused.
wire::Status OperatorServerLink::logReply(const telephony::OperatorReply &r)
{
    switch (r.header.code) {
    case telephony::ReplyIntegers: {
        telephony::ReplyPair pair;
        if (wire::Status s = telephony::decodeReplyPair(r.body, pair); !s.ok())
            return s;
        debug(QStringLiteral("RICEVUTO 56001 IN BODY ") + n(pair.first));
        debug(QStringLiteral("e ") + n(pair.second));
        return {};
    }
    case telephony::ReplyCode:
        debug(QStringLiteral("RIC. 56002 con QUESTO CODICE ") + telephony::replyText(r.body));
        return {};
    case telephony::ReplyMessage:
        log(QStringLiteral("56003 msg=") + telephony::replyText(r.body));
        return {};
    case telephony::ReplyList: {
        QList<qint32> values;
        if (wire::Status s = telephony::decodeReplyList(r.body, values); !s.ok())
            return s;
        log(QStringLiteral("56004 Ricevuta lista grp e interni -  tot=") + n(r.header.len / 4));
        for (qint32 value : std::as_const(values))
            debug(QStringLiteral("56004 RIC ") + n(value));
        return {};
    }
    case telephony::ReplyLogin:
        debug(QStringLiteral("56005 a che serve? Forse conferma login"));
        return {};
    case telephony::ReplyInfo:
        debug(QStringLiteral("RIC. 56017 op.info?"));
        return {};
    default:
        // Framing follows the length: an unknown code skips only its own packet.
        log(QStringLiteral("DA WS4= MSG SCONOSC=") + n(r.header.code), {}, Severity::Warning);
        return {};
    }
}
