#include "dialer_link/DialerLink.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/RunClock.h"

namespace {
const QString kTx = QStringLiteral("TX");
} // namespace

DialerLink::DialerLink(Logger &log, MainModel &model, RunClock &clock, const DebugFile &debug, const Settings &settings,
                       bool fast, QObject *parent)
    : QObject(parent),
      m_log(log),
      m_model(model),
      m_clock(clock),
      m_debug(debug),
      m_reader(log, model, debug, settings,
               {[this] { return m_writer.busy(); }, [this] { if (m_hooks.packetTick) m_hooks.packetTick(); },
                [this](const packet::Packet &p) {
                    m_lastReceived = p.record;
                    m_serving = p.header.code;
                    // Only the codes of the table are timed: junk cannot multiply the histograms.
                    if (Dispatcher::find(p.header.code))
                        m_servingSince.start();
                    else
                        m_servingSince.invalidate();
                    m_dispatcher.dispatch(p);
                    if (!m_writer.busy())
                        requestServed();
                }}),
      m_writer(m_reader.socket(), log, model, debug, fast),
      m_dispatcher(log, model, debug)
{
    // Before the reader's pump, which may start on the next request.
    connect(&m_writer, &PacketWriter::idle, this, &DialerLink::requestServed);
    LinkSocket &socket = m_reader.socket();
    connect(&socket, &LinkSocket::connected, this, &DialerLink::onConnected);
    connect(&m_reader.frames(), &wire::FramedReader::arrived, this,
            [this] { m_clock.lastReceive = QDateTime::currentDateTime(); });
    connect(&socket, &LinkSocket::errorOccurred, this, &DialerLink::onError);
    connect(&socket, &LinkSocket::bytesWritten, this, &DialerLink::onBytesWritten);
    connect(&m_writer, &PacketWriter::idle, &m_reader, &RequestReader::pump);
}

void DialerLink::requestServed()
{
    if (!m_servingSince.isValid())
        return;
    m_model.metrics.observeRequest(m_serving, double(m_servingSince.nsecsElapsed()) / 1e9);
    m_servingSince.invalidate();
}

void DialerLink::connectTo(const QString &host, quint16 port)
{
    m_writer.clear();
    m_reader.reset();
    m_servingSince.invalidate(); // a request cut off by the link is not timed
    socket().connectTo(host, port);
}

void DialerLink::close()
{
    if (socket().isConnected()) {
        sendDbDown();
        m_writer.flush(); // DBDOWN and anything before it leave before the close
    }
    m_writer.clear();
    socket().close();
    m_reader.reset();
    m_servingSince.invalidate();
}

void DialerLink::sendHeaderOnly(qint32 code, const QString &logText)
{
    m_log.scriviLog(QString::number(code), Logger::List1, kTx, 0);
    m_log.scriviLog(logText, Logger::List1, kTx, 0);
    m_writer.write(packet::replyHeader(code, 0, socket().localPort(), true), {}, {});
}

void DialerLink::sendDbOk()
{
    sendHeaderOnly(packet::DbOk, QStringLiteral("Invio DBOK"));
}

void DialerLink::sendDbDown()
{
    sendHeaderOnly(packet::DbDown, QStringLiteral("Invio DBDOWN"));
}

void DialerLink::sendReply(qint32 code, const QString &logText, const packet::RecordId &echo, const QByteArray &body,
                           bool logCode)
{
    if (logCode)
        m_log.scriviLog(QString::number(code), Logger::List1, kTx, echo.id);
    m_log.scriviLog(logText, Logger::List1, kTx, echo.id);
    m_writer.write(packet::replyHeader(code, static_cast<int>(body.size()), socket().localPort()), echo, body);
}

void DialerLink::onConnected()
{
    if (m_hooks.invertiTasti)
        m_hooks.invertiTasti();
    m_log.scriviLog(QStringLiteral("Connesso a ") + socket().peerName(), Logger::List1);
    sendDbOk();
    if (m_hooks.tick)
        m_hooks.tick();
}

void DialerLink::onError(const LinkSocket::Error &e)
{
    // Joined, not arg()-chained: the description is the system's text.
    const QString text = QStringLiteral("ErrWs1 #") + QString::number(e.number) + QLatin1Char(' ') + e.description
        + QStringLiteral(" Scode ") + QString::number(e.scode) + QStringLiteral(" Src ") + e.source;
    // A warning: the main tick connects again by itself.
    m_log.scriviLog(text, Logger::List1, Severity::Warning);
    m_debug.appendLine(DebugFile::stamp() + QLatin1Char(' ') + text);
    // The box waits for the socket's own signal to return: a modal loop
    // inside it would let the link be recycled under its feet.
    if (m_model.debugLevel.text() == QStringLiteral("1") && m_hooks.message)
        QTimer::singleShot(0, this, [this, text] { m_hooks.message(text); });
}

void DialerLink::onBytesWritten(qint64 bytes)
{
    m_clock.lastSend = QDateTime::currentDateTime();
    MainModel::add(*m_model.traffic[MainModel::BytesSent], bytes, true);
}


