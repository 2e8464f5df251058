#include "auxiliary/WatchdogMonitor.h"

#include "platform/NetworkInfo.h"
#include "wire/AnsiCodec.h"

#include <QTcpServer>
#include <QTcpSocket>

WatchdogMonitor::WatchdogMonitor(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    loaded.setParent(this);
    caption.setParent(this);
    list.setParent(this);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &WatchdogMonitor::tick);
    connect(m_server, &QTcpServer::newConnection, this, &WatchdogMonitor::onConnection);
}

WatchdogMonitor::~WatchdogMonitor()
{
    if (m_peer)
        m_peer->disconnect(this);
}

quint16 WatchdogMonitor::port() const
{
    return m_server->isListening() ? m_server->serverPort() : m_port;
}

void WatchdogMonitor::show()
{
    if (!loaded.value()) {
        loaded.set(true);
        listen();
        m_timer.start();
        tick();
    }
    Q_EMIT raiseRequested();
}

void WatchdogMonitor::unload()
{
    m_timer.stop();
    if (m_peer) {
        m_peer->disconnect(this);
        m_peer->abort();
        m_peer->deleteLater();
    }
    m_server->close();
    loaded.set(false);
}

void WatchdogMonitor::listen()
{
    if (!m_server->isListening())
        m_server->listen(QHostAddress::Any, m_port);
}

int WatchdogMonitor::state() const
{
    if (m_peer) {
        switch (m_peer->state()) {
        case QAbstractSocket::ConnectedState:
            return 7;
        case QAbstractSocket::ClosingState:
            return 8;
        default:
            return 0;
        }
    }
    return m_server->isListening() ? 2 : 0;
}

void WatchdogMonitor::onConnection()
{
    while (QTcpSocket *s = m_server->nextPendingConnection()) {
        // One peer at a time: the newest.
        if (m_peer) {
            m_peer->disconnect(this);
            m_peer->abort();
            m_peer->deleteLater();
        }
        m_peer = s;
        s->setReadBufferSize(kMaxArrival);
        connect(s, &QTcpSocket::readyRead, this, &WatchdogMonitor::onData);
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
}

void WatchdogMonitor::onData()
{
    if (!m_peer)
        return;
    // An arrival replaces what the list showed, line by line; a peer that
    // sends far more than a report is shown its first lines and a count.
    const QStringList lines = ansi::decode(m_peer->read(kMaxArrival)).split(QStringLiteral("\r\n"));
    list.clear();
    const qsizetype shown = std::min<qsizetype>(lines.size(), kMaxLinesShown);
    for (qsizetype i = 0; i < shown; ++i)
        list.addEmptyingWhenFull(lines[i].left(kMaxLineWidth));
    if (lines.size() > shown)
        list.addEmptyingWhenFull(QStringLiteral("... e altre ") + QString::number(lines.size() - shown) + QStringLiteral(" righe"));
}

void WatchdogMonitor::tick()
{
    // A peer closing or gone without telling is let go; the server listens on.
    if (m_peer && m_peer->state() != QAbstractSocket::ConnectedState) {
        m_peer->disconnect(this);
        m_peer->abort();
        m_peer->deleteLater();
        m_peer = nullptr;
    }
    if (!m_server->isListening())
        listen(); // a port that was taken may be free now
    caption.setText(platform::localAddress() + QLatin1Char(':') + QString::number(port()) + QStringLiteral(" Stato: ")
                    + QString::number(state()));
}
