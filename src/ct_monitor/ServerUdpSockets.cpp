#include "ct_monitor/ServerUdpSockets.h"

#include "core/Logger.h"

#include <QHostAddress>
#include <QUdpSocket>

ServerUdpSockets::ServerUdpSockets(Logger &log, QObject *parent) : QObject(parent), m_log(log) {}

void ServerUdpSockets::drain(QUdpSocket *socket, int number)
{
    // Read and dropped: a socket left full would hold the datagrams for ever.
    // A bounded number at each turn: what is left makes the socket ready
    // again at the next, after the dialer link has had its turn.
    for (int i = 0; i < kPerTurn && socket->hasPendingDatagrams(); ++i) {
        const qint64 size = socket->pendingDatagramSize();
        socket->readDatagram(nullptr, 0);
        m_log.scriviLog(QStringLiteral("DATI IN ARRIVO DA WS") + QString::number(number) + QLatin1Char(' ')
                            + QString::number(std::max<qint64>(0, size)),
                        Logger::Monitor);
        Q_EMIT arrived(number, size);
    }
}

void ServerUdpSockets::listen(quint16 localPort)
{
    if (m_ws6)
        return;
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, localPort)) {
        if (!m_refusedReported)
            m_log.scriviLog(QStringLiteral("Porta UDP ") + QString::number(localPort) + QStringLiteral(" (WS6) non disponibile: ")
                                + socket->errorString(),
                            Logger::Monitor, Severity::Warning);
        m_refusedReported = true;
        delete socket;
        return;
    }
    m_ws6 = socket;
    connect(socket, &QUdpSocket::readyRead, this, [this, socket] { drain(socket, 6); });
}

void ServerUdpSockets::pointAt(const QString &host, quint16 port)
{
    if (m_ws5) {
        m_ws5->disconnect(this);
        m_ws5->close();
        m_ws5->deleteLater();
    }
    auto *socket = new QUdpSocket(this);
    m_ws5 = socket;
    connect(socket, &QUdpSocket::readyRead, this, [this, socket] { drain(socket, 5); });
    const QHostAddress address(host);
    if (!address.isNull())
        socket->connectToHost(address, port);
}

void ServerUdpSockets::close()
{
    for (QPointer<QUdpSocket> *s : {&m_ws5, &m_ws6}) {
        if (*s) {
            (*s)->disconnect(this);
            (*s)->close();
            (*s)->deleteLater();
        }
        *s = nullptr;
    }
}

quint16 ServerUdpSockets::listeningPort() const
{
    return m_ws6 ? m_ws6->localPort() : 0;
}
