#include "web_status/MetricsServer.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

MetricsServer::Request MetricsServer::parse(const QByteArray &head)
{
    Request r;
    const qsizetype lineEnd = head.indexOf('\n');
    const QList<QByteArray> parts = head.left(lineEnd < 0 ? head.size() : lineEnd).trimmed().split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/"))
        return r; // Malformed
    if (parts[0] != "GET" && parts[0] != "HEAD") {
        r.kind = Request::Kind::BadMethod;
        return r;
    }
    const QUrl url = QUrl::fromEncoded(parts[1], QUrl::StrictMode);
    if (!url.isValid() || !parts[1].startsWith('/'))
        return r;
    const QString path = url.path();
    if (path == QStringLiteral("/metrics")) {
        r.kind = Request::Kind::Metrics;
    } else if (path == QStringLiteral("/")) {
        r.kind = Request::Kind::Index;
    } else if (path == QStringLiteral("/diagnosi")) {
        const QUrlQuery query(url);
        r.byOperator = query.hasQueryItem(QStringLiteral("operatore"));
        r.who = query.queryItemValue(r.byOperator ? QStringLiteral("operatore") : QStringLiteral("gruppo"),
                                     QUrl::FullyDecoded).trimmed();
        r.kind = r.who.isEmpty() ? Request::Kind::NotFound : Request::Kind::Diagnosis;
    } else {
        r.kind = Request::Kind::NotFound;
    }
    return r;
}

QByteArray MetricsServer::response(int status, const QByteArray &contentType, const QByteArray &body)
{
    static const QHash<int, QByteArray> reasons{{200, "OK"}, {400, "Bad Request"}, {404, "Not Found"}, {405, "Method Not Allowed"},
                                                {503, "Service Unavailable"}};
    return "HTTP/1.0 " + QByteArray::number(status) + ' ' + reasons.value(status, "Error") + "\r\nContent-Type: " + contentType
        + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

MetricsServer::MetricsServer(Hooks hooks, QObject *parent)
    : QObject(parent), m_hooks(std::move(hooks)), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &MetricsServer::onConnection);
}

MetricsServer::~MetricsServer()
{
    close();
}

bool MetricsServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listen(address, port);
}

bool MetricsServer::isListening() const
{
    return m_server->isListening();
}

QHostAddress MetricsServer::address() const
{
    return m_server->serverAddress();
}

quint16 MetricsServer::port() const
{
    return m_server->serverPort();
}

QString MetricsServer::errorString() const
{
    return m_server->errorString();
}

void MetricsServer::close()
{
    m_server->close();
    const QList<QTcpSocket *> sockets = m_clients.keys();
    for (QTcpSocket *s : sockets)
        drop(s);
}

void MetricsServer::onConnection()
{
    while (QTcpSocket *s = m_server->nextPendingConnection()) {
        if (m_clients.size() >= kMaxConnections) {
            s->abort(); // a scraper gone wild does not take the program's sockets
            s->deleteLater();
            continue;
        }
        m_clients.insert(s, {});
        s->setReadBufferSize(kMaxRequest + 1); // what the reader may hold
        connect(s, &QTcpSocket::readyRead, this, [this, s] { onData(s); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] { drop(s); });
        // Silent too long: let go.
        QTimer::singleShot(kIdleMs, s, [this, s] { drop(s); });
    }
}

void MetricsServer::onData(QTcpSocket *socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    Client &c = it.value();
    if (c.answered) {
        socket->readAll(); // one request a connection: the rest is not read for
        return;
    }
    c.reader.append(socket->read(c.reader.room()));
    const std::optional<QByteArray> head = c.reader.next();
    if (!head)
        return;
    c.answered = true;
    if (c.reader.skipping()) { // longer than the bound: cut short
        send(socket, response(400, "text/plain; charset=utf-8", "richiesta troppo lunga\n"), false);
        return;
    }
    const Request r = parse(*head);
    const bool headOnly = head->startsWith("HEAD ");
    if (r.kind == Request::Kind::Diagnosis && m_hooks.diagnosis)
        diagnose(socket, r, headOnly);
    else
        send(socket, answer(r), headOnly);
}

void MetricsServer::diagnose(QTcpSocket *socket, const Request &r, bool headOnly)
{
    // The counting runs elsewhere; the socket may be gone when the lines come.
    QPointer<QTcpSocket> client(socket);
    QPointer<MetricsServer> self(this);
    const bool asked = m_hooks.diagnosis(r.byOperator, r.who, [self, client, headOnly](const QStringList &lines) {
        if (self && client && self->m_clients.contains(client))
            self->send(client, response(200, "text/plain; charset=utf-8", (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()),
                 headOnly);
    });
    if (!asked)
        send(socket, response(503, "text/plain; charset=utf-8", "troppe diagnosi in attesa, riprovare\n"), headOnly);
}

void MetricsServer::send(QTcpSocket *socket, QByteArray out, bool headOnly)
{
    if (headOnly)
        out.truncate(out.indexOf("\r\n\r\n") + 4);
    socket->write(out);
    socket->disconnectFromHost(); // after what was written has gone
}

QByteArray MetricsServer::answer(const Request &r) const
{
    const QByteArray text = "text/plain; charset=utf-8";
    switch (r.kind) {
    case Request::Kind::Metrics:
        return response(200, "text/plain; version=0.0.4; charset=utf-8", m_hooks.metrics ? m_hooks.metrics() : QByteArray());
    case Request::Kind::Diagnosis: // without a campaign to ask
        return response(200, text, "\n");
    case Request::Kind::Index:
        return response(200, text, "/metrics\n/diagnosi?gruppo=N\n/diagnosi?operatore=CODICE\n");
    case Request::Kind::NotFound:
        return response(404, text, "non trovato\n");
    case Request::Kind::BadMethod:
        return response(405, text, "solo GET\n");
    case Request::Kind::Malformed:
        break;
    }
    return response(400, text, "richiesta non valida\n");
}

void MetricsServer::drop(QTcpSocket *socket)
{
    if (!m_clients.remove(socket))
        return; // already let go: its deletion is on its way
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
