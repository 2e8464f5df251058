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
      m_reader(log, model, debug, settings),
      m_writer(m_reader.socket(), log, model, debug, fast),
      m_dispatcher(log, model, debug, &m_writer)
{
    m_reader.setWriter(&m_writer);
    connect(&m_reader, &RequestReader::requestReceived, &m_dispatcher, &Dispatcher::dispatch);
    // Before the reader's pump, which may start on the next request.
    connect(&m_writer, &PacketWriter::idle, &m_dispatcher, &Dispatcher::requestServed);
    LinkSocket &socket = m_reader.socket();
    connect(&socket, &LinkSocket::connected, this, &DialerLink::onConnected);
    connect(&m_reader, &RequestReader::arrived, this, [this] { m_clock.lastReceive = QDateTime::currentDateTime(); });
    connect(&socket, &LinkSocket::errorOccurred, this, &DialerLink::onError);
    connect(&socket, &LinkSocket::bytesWritten, this, &DialerLink::onBytesWritten);
    connect(&m_writer, &PacketWriter::idle, &m_reader, &RequestReader::pump);
}

void DialerLink::connectTo(const QString &host, quint16 port)
{
    m_writer.clear();
    m_reader.reset();
    m_dispatcher.forget();
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
    m_dispatcher.forget();
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

void DialerLink::onConnected()
{
    Q_EMIT connected();
    m_log.scriviLog(QStringLiteral("Connesso a ") + socket().peerName(), Logger::List1);
    sendDbOk();
    Q_EMIT greeted();
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
    if (m_model.debugLevel.text() == QStringLiteral("1"))
        QTimer::singleShot(0, this, [this, text] { Q_EMIT errorToShow(text); });
}

void DialerLink::onBytesWritten(qint64 bytes)
{
    m_clock.lastSend = QDateTime::currentDateTime();
    m_model.traffic[MainModel::BytesSent]->add(bytes);
}
