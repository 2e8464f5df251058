#include "web_status/HttpStatusServer.h"

#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>

HttpStatusServer::HttpStatusServer(Pages &pages, QObject *parent)
    : QObject(parent), m_pages(pages), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpStatusServer::onConnection);
    m_idle.setInterval(250);
    connect(&m_idle, &QTimer::timeout, this, &HttpStatusServer::closeIdle);
}

HttpStatusServer::~HttpStatusServer()
{
    for (QTcpSocket *s : m_clients.keys())
        s->disconnect(this);
}

bool HttpStatusServer::listen(quint16 port)
{
    if (m_server->isListening())
        return true;
    if (!m_server->listen(QHostAddress::Any, port)) {
        Q_EMIT said(QStringLiteral("Server web non attivo: porta ") + QString::number(port) + QStringLiteral(" ")
                          + m_server->errorString());
        return false;
    }
    m_idle.start();
    return true;
}

bool HttpStatusServer::isListening() const
{
    return m_server->isListening();
}

quint16 HttpStatusServer::port() const
{
    return m_server->serverPort();
}

QByteArray HttpStatusServer::response(const QByteArray &body)
{
    return QByteArrayLiteral("HTTP/1.0 200 Document follows\r\n") + "Content-length: " + QByteArray::number(body.size())
        + "\r\n" + "Content-type: text/html; charset=windows-1252\r\n" + "Connection: keep-alive\r\n" + "\r\n" + body;
}

QString HttpStatusServer::plainAddress(const QHostAddress &address)
{
    // A dual-stack listener sees IPv4 browsers as ::ffff:a.b.c.d.
    bool v4 = false;
    const quint32 ip = address.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : address.toString();
}

statuspage::Peer HttpStatusServer::peerOf(const QTcpSocket &socket)
{
    statuspage::Peer p;
    p.localIp = plainAddress(socket.localAddress());
    p.localPort = socket.localPort();
    p.localHostName = QHostInfo::localHostName();
    p.remoteIp = plainAddress(socket.peerAddress());
    p.remotePort = socket.peerPort();
    p.remoteHost = socket.peerName().isEmpty() ? p.remoteIp : socket.peerName();
    return p;
}

void HttpStatusServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        makeRoom();
        Client c;
        c.active.start();
        m_clients.insert(socket, c);
        // Requests beyond this wait in the system, which slows the browser down.
        socket->setReadBufferSize(kReadBuffer);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { onWritten(socket); });
        // A browser that goes away, even in the middle of an answer, is just dropped.
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
        Q_EMIT said(QStringLiteral("Connessione esterna richiesta"));
    }
}

void HttpStatusServer::makeRoom()
{
    while (m_clients.size() >= kMaxConnections) {
        QTcpSocket *oldest = nullptr;
        qint64 idle = -1;
        for (auto it = m_clients.cbegin(); it != m_clients.cend(); ++it) {
            if (it->active.nsecsElapsed() > idle) {
                idle = it->active.nsecsElapsed();
                oldest = it.key();
            }
        }
        if (!oldest)
            return;
        oldest->abort();
        drop(oldest);
    }
}

void HttpStatusServer::drop(QTcpSocket *socket)
{
    if (!m_clients.remove(socket))
        return;
    socket->disconnect(this);
    socket->deleteLater();
}

void HttpStatusServer::closeGracefully(QTcpSocket *socket)
{
    // Closed after what is already on its way (an answer to an earlier
    // request); a peer that never takes it is cut off after the idle time.
    m_clients.remove(socket);
    socket->disconnect(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(m_idleMs, socket, [socket] { socket->abort(); });
    socket->disconnectFromHost();
}

void HttpStatusServer::closeIdle()
{
    QList<QTcpSocket *> idle;
    for (auto it = m_clients.cbegin(); it != m_clients.cend(); ++it) {
        if (it->active.elapsed() > m_idleMs)
            idle.append(it.key());
    }
    for (QTcpSocket *s : idle) {
        if (const qint64 unread = s->bytesToWrite(); unread > 0) {
            m_unread += unread;
            Q_EMIT said(QStringLiteral("rich.monitor da ") + plainAddress(s->peerAddress()) + QStringLiteral(": non legge, ")
                              + QString::number(unread) + QStringLiteral(" byte non inviati, chiusa"));
        }
        s->abort();
        drop(s);
    }
}

void HttpStatusServer::onData(QTcpSocket *socket)
{
    // Requests one after another on a connection are answered in turn; the
    // reader takes at most what it may hold, the rest waits in the socket.
    for (;;) {
        auto it = m_clients.find(socket);
        if (it == m_clients.end())
            return;
        Client &c = *it;
        if (socket->bytesToWrite() > kMaxPending) {
            c.waiting = true; // until it reads (onWritten)
            return;
        }
        c.active.restart();
        if (c.reader.room() > 0)
            c.reader.append(socket->read(c.reader.room()));
        if (const std::optional<QByteArray> request = c.reader.next()) {
            if (!serve(socket, *request))
                return;
            continue;
        }
        if (socket->bytesAvailable() == 0)
            return;
    }
}

void HttpStatusServer::onWritten(QTcpSocket *socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    it->active.restart(); // reading its answers: not idle
    if (it->waiting && socket->bytesToWrite() <= kMaxPending / 2) {
        it->waiting = false;
        onData(socket); // the requests that waited
    }
}

bool HttpStatusServer::serve(QTcpSocket *socket, const QByteArray &request)
{
    if (!request.contains("ct_monitor")) {
        Q_EMIT said(QStringLiteral("rich.annullata"));
        closeGracefully(socket);
        return false;
    }
    const statuspage::Peer peer = peerOf(*socket);
    m_lastPeer = peer;
    Q_EMIT said(QStringLiteral("rich.monitor da ") + peer.remoteIp);
    const QByteArray body = m_pages.page(peer);
    // The socket may have gone while the page was built.
    if (!m_clients.contains(socket) || socket->state() != QAbstractSocket::ConnectedState)
        return false;
    if (!body.isEmpty()) {
        socket->write(response(body));
        socket->flush(); // to the system now: the bound counts only what it would not take
    }
    return true;
}
