#include "telephony_sim/PbxSim.h"

#include "pbx_lines/PbxFormat.h"
#include "wire/PacketHeader.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int kTickMs = 50;
} // namespace

const QList<int> &PbxSim::states()
{
    static const QList<int> named{0, 1, 2, 3, 4, 5, 6, 7, 10, 12, 96, 97, 98, 99, 100, 101};
    return named;
}

PbxSim::PbxSim(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_server(new QTcpServer(this)), m_random(m_options.seed)
{
    m_options.lines = std::clamp(m_options.lines, 1, 199);
    m_options.extensions = std::clamp(m_options.extensions, 1, 200);
    // Mostly free lines at the start, as an exchange in the morning.
    for (int i = 0; i < m_options.lines; ++i)
        m_states[401 + i] = pick(4) == 0 ? states()[pick(int(states().size()))] : 10;
    connect(m_server, &QTcpServer::newConnection, this, &PbxSim::onConnection);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &PbxSim::step);
}

bool PbxSim::listen()
{
    return m_server->listen(QHostAddress::LocalHost, m_options.port);
}

quint16 PbxSim::port() const
{
    return m_server->serverPort();
}

bool PbxSim::connected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void PbxSim::stop()
{
    m_tick.stop();
}

void PbxSim::onConnection()
{
    while (QTcpSocket *s = m_server->nextPendingConnection()) {
        if (m_socket)
            m_socket->abort();
        m_socket = s;
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            s->deleteLater();
            if (m_socket == s)
                Q_EMIT connectedChanged(false);
        });
        Q_EMIT connectedChanged(true);
        resend();
        m_tick.start();
    }
}

void PbxSim::resend()
{
    QList<pbx::LineRecord> records;
    for (auto it = m_states.cbegin(); it != m_states.cend(); ++it)
        records.append({it.key(), 1, it.value(), 0, 0, QStringLiteral("LINEA ") + QString::number(it.key())});
    send(pbx::encodeLines(records, {1, 2, 3, 4, 5, 6}));
}

void PbxSim::send(const QByteArray &packet)
{
    if (!connected())
        return;
    ++m_packets;
    if (m_options.badLengthEvery > 0 && m_packets % m_options.badLengthEvery == 0) {
        QByteArray bad;
        packet::appendInt32Be(bad, pbx::kMaxPacketLength + 1);
        m_socket->write(bad);
        m_socket->flush(); // apart, so that the drain that follows cannot take the good packet too
    }
    if (m_options.unknownCodeEvery > 0 && m_packets % m_options.unknownCodeEvery == 0)
        m_socket->write(pbx::encodeUnknown(52099, 8));
    m_socket->write(packet);
}

void PbxSim::step()
{
    m_credit += m_options.rate * kTickMs / 1000.0;
    while (m_credit >= 1) {
        m_credit -= 1;
        ++m_changes;
        const int line = 401 + pick(m_options.lines);
        const int state = states()[pick(int(states().size()))];
        m_states[line] = state;
        send(pbx::encodeSingle({{line, 1, state, 0, 5, QStringLiteral("LINEA ") + QString::number(line)}}));
        if (m_options.callEvery > 0 && m_changes % m_options.callEvery == 0) {
            const int extension = 101 + pick(m_options.extensions);
            // Now and then the exchange names the calling extension: not a call of its own.
            const bool caller = pick(5) == 0;
            const QString e = QString::number(extension), l = QString::number(line);
            const QString text = caller ? QStringLiteral("INTERNO CHIAMANTE ") + e + QStringLiteral(" IN LINEA ") + l
                                        : QStringLiteral("Linea ") + l + QStringLiteral(" IN LINEA con interno ") + e;
            if (!caller)
                ++m_calls[extension];
            send(pbx::encodeCall({{extension, line, state, 0}, text}));
            // An extension's own record too: it changes no line.
            send(pbx::encodeSingle({{extension, 0, 5, 0, -1, QStringLiteral("INT ") + QString::number(extension)}}));
        }
    }
}
