#include "auxiliary/UdpReplication.h"

#include "core/Logger.h"

#include <QUdpSocket>

UdpReplication::UdpReplication(Logger &log, QObject *parent) : QObject(parent), m_log(log) {}

UdpReplication::~UdpReplication()
{
    close();
}

void UdpReplication::list2(const QString &text)
{
    m_log.aggiungiList2(text);
}

QHostAddress UdpReplication::address(const QString &text)
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    bool numeric = false;
    if (dot > 0)
        text.left(dot).toInt(&numeric);
    QHostAddress a;
    if (!numeric || !a.setAddress(text.trimmed()) || a.protocol() != QAbstractSocket::IPv4Protocol)
        return QHostAddress(QHostAddress::AnyIPv4); // 0.0.0.0
    return a;
}

QString UdpReplication::target() const
{
    return m_host.toString() + QLatin1Char(':') + QString::number(m_port);
}

bool UdpReplication::open(const QString &host, quint16 port)
{
    close();
    m_host = address(host);
    m_port = port;
    list2(QStringLiteral("Connecting to ") + host + QStringLiteral(" on port ") + QString::number(port));
    if (m_host == QHostAddress(QHostAddress::AnyIPv4) || port == 0) {
        list2(QStringLiteral("Connection failed !!!"));
        return false;
    }
    auto *socket = new QUdpSocket(this);
    socket->connectToHost(m_host, port);
    if (socket->state() != QAbstractSocket::ConnectedState) {
        list2(QStringLiteral("Connection failed !!!"));
        delete socket;
        return false;
    }
    m_socket = socket;
    m_on = true;
    list2(QStringLiteral("Connection made "));
    return true;
}

void UdpReplication::close()
{
    m_on = false;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->close();
        m_socket->deleteLater();
    }
    m_socket = nullptr;
}

void UdpReplication::send(const QByteArray &bytes)
{
    if (!m_on || !m_socket)
        return;
    for (const char b : bytes) {
        if (m_socket->write(&b, 1) == 1) {
            ++m_sent;
            continue;
        }
        // The replica not listening answers with a refusal: not a fault.
        if (m_socket->error() == QAbstractSocket::ConnectionRefusedError)
            continue;
        list2(QStringLiteral("Replica UDP interrotta: ") + m_socket->errorString());
        close();
        Q_EMIT turnedOff();
        return;
    }
}
