#include "wire/Reconnector.h"

#include "wire/SocketState.h"

namespace wire {

Reconnector::Reconnector(LinkSocket &socket, QString name, QObject *parent)
    : QObject(parent), m_socket(socket), m_name(std::move(name))
{
    m_retry.setSingleShot(true);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kConnectTimeoutMs);
    connect(&m_retry, &QTimer::timeout, this, &Reconnector::attempt);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        m_socket.close(); // a host that drops what we send would hold the attempt for minutes
        lost(QStringLiteral("nessuna risposta"));
    });
    connect(&m_socket, &LinkSocket::connected, this, &Reconnector::onConnected);
    connect(&m_socket, &LinkSocket::errorOccurred, this, [this](const LinkSocket::Error &e) { lost(e.description); });
    connect(&m_socket, &LinkSocket::disconnected, this, [this] { lost(QStringLiteral("connessione chiusa")); });
}

int Reconnector::waitAfter(int failures, int firstMs, int longestMs)
{
    qint64 wait = firstMs;
    for (int i = 1; i < failures && wait < longestMs; ++i)
        wait *= 2;
    return int(std::min<qint64>(wait, longestMs));
}

void Reconnector::setTarget(const QString &host, quint16 port)
{
    m_host = host;
    m_port = port;
}

void Reconnector::setWaits(int firstMs, int longestMs)
{
    m_firstMs = firstMs;
    m_longestMs = longestMs;
}

void Reconnector::open()
{
    m_wanted = true;
    m_failures = 0;
    attempt();
}

void Reconnector::close()
{
    m_wanted = false;
    m_down = false; // whatever comes next is a new story
    m_failures = 0;
    m_retry.stop();
    m_connectTimer.stop();
    m_socket.close();
}

bool Reconnector::isDown(int state)
{
    return state == socketstates::kClosed || state == socketstates::kError;
}

void Reconnector::attempt()
{
    m_retry.stop();
    if (!m_wanted)
        return;
    ++m_attempts;
    m_connectTimer.start();
    m_socket.connectTo(m_host, m_port);
    Q_EMIT attempted();
}

void Reconnector::onConnected()
{
    m_connectTimer.stop();
    m_failures = 0;
    if (m_down) {
        m_down = false;
        Q_EMIT said(QStringLiteral("Collegamento ") + m_name + QStringLiteral(" ripristinato"), false);
    }
}

void Reconnector::lost(const QString &reason)
{
    // An error and the close that follows it are one loss.
    if (!m_wanted || m_retry.isActive())
        return;
    m_connectTimer.stop();
    ++m_failures;
    if (!m_down) {
        m_down = true;
        Q_EMIT said(QStringLiteral("Collegamento ") + m_name + QStringLiteral(" non disponibile (") + reason
                    + QStringLiteral("): ritento da solo"),
                    true);
    }
    m_retry.start(nextWaitMs());
}

} // namespace wire
