#include "auxiliary/UdpReplication.h"

#include "core/Logger.h"

#include <QUdpSocket>

UdpReplication::UdpReplication(Logger &log, QObject *parent) : QObject(parent), m_log(log)
{
    m_pump.setInterval(kTickMs);
    m_pump.setTimerType(Qt::PreciseTimer);
    connect(&m_pump, &QTimer::timeout, this, &UdpReplication::sendSome);
    m_clock.start();
}

UdpReplication::~UdpReplication()
{
    close();
}

void UdpReplication::setRate(int datagramsPerSecond)
{
    m_rate = datagramsPerSecond > 0 ? datagramsPerSecond : kDefaultRate;
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
    m_pump.stop();
    m_queue.clear();
    m_head = 0;
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
    const qsizetype room = kQueueLimit - queued();
    if (bytes.size() > room) {
        m_dropped += bytes.size() - std::max<qsizetype>(0, room);
        if (!m_dropReported)
            list2(QStringLiteral("Replica UDP in ritardo: byte scartati"));
        m_dropReported = true;
    }
    m_queue += bytes.left(std::max<qsizetype>(0, room));
    if (!m_pump.isActive()) {
        m_lastNs = m_clock.nsecsElapsed();
        m_credit = 0;
        m_pump.start();
    }
}

void UdpReplication::sendSome()
{
    // As many datagrams as the rate allows since the last tick; a tick that
    // came late (the program was busy) may not make up for more than a short burst.
    const qint64 now = m_clock.nsecsElapsed();
    const double burst = std::max(1.0, double(m_rate) * kMaxBurstMs / 1000.0);
    m_credit = std::min(burst, m_credit + double(now - m_lastNs) * m_rate / 1e9);
    m_lastNs = now;
    for (; m_credit >= 1 && m_on && m_socket && m_head < m_queue.size(); m_credit -= 1, ++m_head) {
        const char b = m_queue[m_head];
        if (m_socket->write(&b, 1) == 1) {
            ++m_sent;
            m_failures = 0;
            continue;
        }
        // A replica not listening answers now and then with a refusal, which
        // the next send reports and clears: not a fault. Sends that keep
        // failing are one, logged once.
        if (++m_failures < kFailuresBeforeOff)
            continue;
        list2(QStringLiteral("Replica UDP interrotta: ") + m_socket->errorString());
        close();
        Q_EMIT turnedOff();
        return;
    }
    if (m_head >= m_queue.size()) {
        m_queue.clear();
        m_head = 0;
        m_pump.stop();
        m_dropReported = false;
    } else if (m_head > kQueueLimit / 2) {
        m_queue.remove(0, m_head);
        m_head = 0;
    }
}
