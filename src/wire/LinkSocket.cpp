#include "wire/LinkSocket.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <iterator>
#include <utility>

namespace {
// How long a closed link may take to hand its last bytes to the peer.
constexpr int kLingerMs = 10000;
} // namespace

LinkSocket::LinkSocket(QString source, QObject *parent) : QObject(parent), m_source(std::move(source)) {}

LinkSocket::~LinkSocket()
{
    // The socket is a child and goes with us: none of its last signals may reach a half-destroyed owner.
    if (m_socket)
        m_socket->disconnect(this);
}

int LinkSocket::state() const
{
    using namespace socketstates;
    // Indexed by QAbstractSocket::SocketState, unconnected (0) to closing (6).
    static constexpr State kStates[] = {kClosed, kResolving, kConnecting, kConnected, kOpen, kListening, kClosing};
    if (m_error)
        return kError;
    if (!m_socket)
        return kClosed;
    const int s = int(m_socket->state());
    return s >= 0 && s < int(std::size(kStates)) ? kStates[s] : kClosed;
}

QString LinkSocket::localAddress() const
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return {};
    bool v4 = false;
    const quint32 ip = m_socket->localAddress().toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : m_socket->localAddress().toString();
}

quint16 LinkSocket::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

qint64 LinkSocket::bytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

qint64 LinkSocket::bytesAvailable() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

QByteArray LinkSocket::read(qint64 max)
{
    return m_socket ? m_socket->read(max) : QByteArray();
}

void LinkSocket::setReadBufferSize(qint64 bytes)
{
    m_readBuffer = bytes;
    if (m_socket)
        m_socket->setReadBufferSize(bytes);
}

void LinkSocket::attach(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(m_readBuffer);
    connect(socket, &QTcpSocket::connected, this, &LinkSocket::connected);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == m_socket)
            Q_EMIT readyRead();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError e) {
        if (socket == m_socket)
            onError(e);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            Q_EMIT disconnected();
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 n) {
        if (socket == m_socket)
            Q_EMIT bytesWritten(n);
    });
}

void LinkSocket::connectTo(const QString &host, quint16 port)
{
    close();
    m_host = host;
    auto *socket = new QTcpSocket(this);
    attach(socket);
    socket->connectToHost(host, port);
}

void LinkSocket::adopt(QTcpSocket *socket)
{
    detach(false);
    m_host = socket->peerAddress().toString();
    attach(socket);
    Q_EMIT connected();
}

void LinkSocket::close()
{
    detach(true);
}

void LinkSocket::abort()
{
    detach(false);
}

void LinkSocket::detach(bool graceful)
{
    m_error = false;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    if (!socket)
        return;
    socket->disconnect(this);
    // The old socket finishes sending on its own and then goes away.
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
        QTimer::singleShot(kLingerMs, socket, &QObject::deleteLater);
        socket->flush(); // hand the last bytes (DBDOWN) to the system now, even if the program ends next
        socket->disconnectFromHost();
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

qint64 LinkSocket::write(const QByteArray &bytes)
{
    return m_socket ? m_socket->write(bytes) : -1;
}

int LinkSocket::winsockNumber(QAbstractSocket::SocketError error)
{
    using E = QAbstractSocket;
    static constexpr std::pair<E::SocketError, int> kNumbers[] = {
        {E::ConnectionRefusedError, 10061}, {E::RemoteHostClosedError, 10054},
        {E::HostNotFoundError, 11001},      {E::SocketTimeoutError, 10060},
        {E::NetworkError, 10051},           {E::AddressInUseError, 10048},
        {E::SocketAddressNotAvailableError, 10049},
    };
    for (const auto &[e, number] : kNumbers) {
        if (e == error)
            return number;
    }
    return 10053;
}

void LinkSocket::onError(QAbstractSocket::SocketError e)
{
    m_error = true;
    const int number = winsockNumber(e);
    const auto scode = static_cast<qint32>(0x800A0000u + static_cast<quint32>(number));
    Q_EMIT errorOccurred({number, m_socket ? m_socket->errorString() : QString(), scode, m_source});
}
