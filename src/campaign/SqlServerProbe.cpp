#include "campaign/SqlServerProbe.h"

#include <QTcpSocket>

namespace sqlserverprobe {
namespace {
constexpr int kDefaultPort = 1433;

// The value of `key` in an ODBC string, braces taken off.
QString valueOf(const QString &odbc, const QString &key)
{
    for (const QString &pair : odbc.split(QLatin1Char(';'))) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0 || pair.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = pair.mid(eq + 1).trimmed();
        if (value.startsWith(QLatin1Char('{')) && value.endsWith(QLatin1Char('}')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}
} // namespace

Endpoint endpointOf(const QString &odbc)
{
    QString server;
    for (const char *key : {"Server", "Data Source", "Address", "Addr"}) {
        server = valueOf(odbc, QString::fromLatin1(key));
        if (!server.isEmpty())
            break;
    }
    if (server.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    Endpoint out;
    int port = valueOf(odbc, QStringLiteral("Port")).toInt();
    const qsizetype comma = server.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = server.mid(comma + 1).trimmed().toInt();
        server = server.left(comma);
    }
    const qsizetype backslash = server.indexOf(QLatin1Char('\\'));
    if (backslash >= 0)
        server = server.left(backslash); // an instance: its port is the Browser's to say
    else if (port <= 0)
        port = kDefaultPort;
    out.host = server.trimmed();
    out.port = !out.host.isEmpty() && port > 0 && port <= 65535 ? port : 0;
    return out;
}

QString explain(const Endpoint &server, int timeoutMs)
{
    if (server.host.isEmpty() || server.port == 0)
        return {};
    // Blocking on purpose: the program is stopping or reporting a failure.
    QTcpSocket socket;
    socket.connectToHost(server.host, quint16(server.port));
    if (socket.waitForConnected(timeoutMs)) {
        socket.abort();
        return {};
    }
    const QString where = server.host + QLatin1Char(':') + QString::number(server.port);
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("connessione rifiutata da ") + where;
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("host sconosciuto: ") + server.host;
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("nessuna risposta da ") + where + QStringLiteral(" entro ") + QString::number(timeoutMs / 1000)
            + QStringLiteral(" s");
    default:
        return where + QStringLiteral(": ") + socket.errorString();
    }
}

} // namespace sqlserverprobe
