#include "dialer_link/DialerLink.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/RunClock.h"
#include "dialer_link/QueueDrain.h"

#include <QTimer>

namespace {
const QString kTx = QStringLiteral("TX");
constexpr int kChannel = 1;
} // namespace

DialerLink::DialerLink(Logger &log, MainModel &model, RunClock &clock, const DebugFile &debug, bool fast,
                       QObject *parent)
    : QObject(parent),
      m_log(log),
      m_model(model),
      m_clock(clock),
      m_debug(debug),
      m_socket(QStringLiteral("Winsock1")),
      m_writer(m_socket, log, model, debug, fast),
      m_reassembler(*this),
      m_dispatcher(log, model)
{
    connect(&m_socket, &LinkSocket::connected, this, &DialerLink::onConnected);
    connect(&m_socket, &LinkSocket::dataArrived, this, &DialerLink::onData);
    connect(&m_socket, &LinkSocket::errorOccurred, this, &DialerLink::onError);
    connect(&m_socket, &LinkSocket::bytesWritten, this, &DialerLink::onBytesWritten);
}

void DialerLink::connectTo(const QString &host, quint16 port)
{
    m_writer.clear();
    m_reassembler.reset();
    m_socket.connectTo(host, port);
}

void DialerLink::close()
{
    if (m_socket.isConnected()) {
        sendDbDown();
        m_writer.flush(); // DBDOWN and anything before it leave before the close
    }
    m_writer.clear();
    m_socket.close();
    m_reassembler.reset();
}

void DialerLink::sendHeaderOnly(qint32 code, const QString &logText)
{
    m_log.scriviLog(QString::number(code), Logger::List1, kTx, 0);
    m_log.scriviLog(logText, Logger::List1, kTx, 0);
    m_writer.write(packet::replyHeader(code, 0, m_socket.localPort(), true), {}, {});
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
    m_writer.write(packet::replyHeader(code, static_cast<int>(body.size()), m_socket.localPort()), echo, body);
}

void DialerLink::onConnected()
{
    if (m_hooks.invertiTasti)
        m_hooks.invertiTasti();
    m_log.scriviLog(QStringLiteral("Connesso a ") + m_socket.peerName(), Logger::List1);
    sendDbOk();
    tick();
}

void DialerLink::onData(const QByteArray &bytes)
{
    m_clock.lastReceive = QDateTime::currentDateTime();
    m_reassembler.onData(bytes);
}

void DialerLink::onError(const LinkSocket::Error &e)
{
    const QString text = QStringLiteral("ErrWs1 #%1 %2 Scode %3 Src %4").arg(e.number).arg(e.description).arg(e.scode).arg(e.source);
    m_log.scriviLog(text, Logger::List1);
    m_debug.appendLine(DebugFile::stamp() + QLatin1Char(' ') + text);
    // The box waits for the socket's own signal to return: a modal loop
    // inside it would let the link be recycled under its feet.
    if (m_model.debugLevel.text() == QStringLiteral("1") && m_hooks.message)
        QTimer::singleShot(0, this, [this, text] { m_hooks.message(text); });
}

void DialerLink::onBytesWritten(qint64 bytes)
{
    m_clock.lastSend = QDateTime::currentDateTime();
    MainModel::add(*m_model.traffic[5], bytes, true);
}

double DialerLink::level() const
{
    return m_log.level();
}

void DialerLink::log(const QString &text, const QString &tag, qint32 id)
{
    m_log.scriviLog(text, Logger::List1, tag, id);
}

void DialerLink::tick()
{
    if (m_hooks.tick)
        m_hooks.tick();
}

void DialerLink::bytesRead(int count)
{
    MainModel::add(*m_model.traffic[4], count, true);
}

void DialerLink::codeReceived(qint32 code)
{
    m_model.traffic[6]->setText(QString::number(code));
}

void DialerLink::dataError()
{
    MainModel::add(*m_model.traffic[1], 1);
}

void DialerLink::drained(const QByteArray &bytes, const packet::Header &, const packet::RecordId &r)
{
    svuotaCoda(m_log, m_debug, kChannel, bytes, r.id);
}

void DialerLink::packet(const packet::Header &h, const packet::RecordId &r, const QByteArray &body)
{
    m_lastReceived = r;
    m_dispatcher.dispatch(h, r, body);
}
