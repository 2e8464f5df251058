#include "telephony_sim/TelephonySim.h"

#include "ct_monitor/TelephonyFormat.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>

namespace {
constexpr int kTickMs = 50;
constexpr int kTimeEveryTicks = 100; // a time message every 5 s
const QStringList kLogStates{QStringLiteral("LOGGED_OUT"), QStringLiteral("LOGGED_IN"), QStringLiteral("PAUSED"),
                             QStringLiteral("HANDSHAKING"), QStringLiteral("WORKING")};
const QStringList kLineStates{QStringLiteral("IDLE"), QStringLiteral("IN USE"), QStringLiteral("TALKING")};
const QStringList kGroupNames{QStringLiteral("Recupero"), QStringLiteral("Legale"), QStringLiteral("Solleciti"),
                              QStringLiteral("Grandi clienti"), QStringLiteral("Richiami"), QStringLiteral("Notte")};
} // namespace

TelephonySim::TelephonySim(Options options, QObject *parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_monitorServer(new QTcpServer(this)),
      m_operatorServer(new QTcpServer(this)),
      m_operator({telephony::kFraming}, QStringLiteral("OprSrv")),
      m_random(m_options.seed)
{
    m_options.extensions = std::clamp(m_options.extensions, 1, 200);
    m_options.groups = std::clamp(m_options.groups, 1, 300);
    for (int i = 0; i < m_options.extensions; ++i) {
        simbytes::Extension e;
        e.number = 101 + i;
        m_extensions[e.number] = e;
    }
    for (int g = 1; g <= m_options.groups; ++g)
        m_groups[g] = {g, kGroupNames[(g - 1) % kGroupNames.size()] + (g > kGroupNames.size() ? QString::number(g) : QString()),
                       0, 0, 0};
    connect(m_monitorServer, &QTcpServer::newConnection, this, &TelephonySim::onMonitorConnection);
    connect(m_operatorServer, &QTcpServer::newConnection, this, &TelephonySim::onOperatorConnection);
    connect(&m_operator, &wire::FramedReader::packetReady, this, &TelephonySim::onCommand);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &TelephonySim::step);
    connect(&m_disconnect, &QTimer::timeout, this, [this] {
        if (m_monitor) {
            ++m_stats.faults;
            m_monitor->abort();
        }
    });
}

bool TelephonySim::listen()
{
    return m_monitorServer->listen(QHostAddress::LocalHost, m_options.monitorPort)
        && m_operatorServer->listen(QHostAddress::LocalHost, m_options.operatorPort);
}

quint16 TelephonySim::monitorPort() const
{
    return m_monitorServer->serverPort();
}

quint16 TelephonySim::operatorPort() const
{
    return m_operatorServer->serverPort();
}

bool TelephonySim::monitorConnected() const
{
    return m_monitor && m_monitor->state() == QAbstractSocket::ConnectedState;
}

void TelephonySim::stop()
{
    m_stopped = true;
    m_tick.stop();
    m_disconnect.stop();
    Q_EMIT finished();
}

void TelephonySim::resend()
{
    const Options faults = m_options;
    m_options.badLengthEvery = m_options.unknownCodeEvery = 0;
    m_options.split = false;
    sendConfiguration();
    m_options.badLengthEvery = faults.badLengthEvery;
    m_options.unknownCodeEvery = faults.unknownCodeEvery;
    m_options.split = faults.split;
}

void TelephonySim::onMonitorConnection()
{
    QTcpSocket *socket = m_monitorServer->nextPendingConnection();
    if (m_monitor)
        m_monitor->abort(); // one program at a time: the newest wins
    m_monitor = socket;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        socket->deleteLater();
        Q_EMIT monitorConnectedChanged(false);
    });
    ++m_stats.connections;
    if (!m_run.isValid()) {
        m_run.start();
        if (m_options.seconds > 0)
            QTimer::singleShot(m_options.seconds * 1000, this, &TelephonySim::stop);
        if (m_options.disconnectEverySeconds > 0)
            m_disconnect.start(m_options.disconnectEverySeconds * 1000);
    }
    sendConfiguration();
    if (!m_stopped)
        m_tick.start();
    Q_EMIT monitorConnectedChanged(true);
}

void TelephonySim::onOperatorConnection()
{
    // One program at a time: the newest wins.
    if (QTcpSocket *socket = m_operatorServer->nextPendingConnection())
        m_operator.socket().adopt(socket);
}

void TelephonySim::sendConfiguration()
{
    // In the lengths the server uses: six extensions or four groups a
    // packet, single records for the rest.
    QList<simbytes::Group> groups = m_groups.values();
    while (!groups.isEmpty()) {
        const int n = groups.size() >= 4 ? 4 : 1;
        send(simbytes::groups(201, groups.mid(0, n)));
        m_stats.groupRecords += n;
        groups.remove(0, n);
    }
    QList<simbytes::Extension> extensions = m_extensions.values();
    while (!extensions.isEmpty()) {
        const int n = extensions.size() >= 6 ? 6 : 1;
        send(simbytes::extensions(200, extensions.mid(0, n)));
        m_stats.extensionRecords += n;
        extensions.remove(0, n);
    }
}

void TelephonySim::step()
{
    if (!monitorConnected())
        return;
    m_extensionCredit += m_options.extensionRate * kTickMs / 1000.0;
    m_groupCredit += m_options.groupRate * kTickMs / 1000.0;
    for (; m_extensionCredit >= 1; m_extensionCredit -= 1)
        changeExtension();
    for (; m_groupCredit >= 1; m_groupCredit -= 1)
        changeGroup();
    if (++m_ticks % kTimeEveryTicks == 0)
        send(simbytes::time(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
}

void TelephonySim::changeExtension()
{
    simbytes::Extension &e = m_extensions[101 + pick(m_options.extensions)];
    e.logState = kLogStates[pick(int(kLogStates.size()))];
    if (e.logState == QStringLiteral("LOGGED_OUT")) {
        e.agent.clear();
        e.description.clear();
        e.actionState = QStringLiteral("FREE");
        e.lineState = QStringLiteral("IDLE");
        e.acdState.clear();
        e.groups.clear();
        e.loginTime.clear();
    } else {
        e.agent = QString::number(1000 + e.number);
        e.description = QStringLiteral("Operatore ") + QString::number(e.number);
        e.actionState = pick(2) ? QStringLiteral("BUSY") : QStringLiteral("FREE");
        e.lineState = kLineStates[pick(int(kLineStates.size()))];
        e.acdState = QStringLiteral("ACD_") + e.logState;
        e.groups = {1 + pick(m_options.groups)};
        if (pick(3) == 0)
            e.groups.append(1 + pick(m_options.groups));
        if (e.loginTime.isEmpty())
            e.loginTime = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    }
    send(simbytes::extensions(202, {e}));
    ++m_stats.extensionRecords;
}

void TelephonySim::changeGroup()
{
    simbytes::Group &g = m_groups[1 + pick(m_options.groups)];
    g.logged = pick(20);
    g.free = pick(g.logged + 1);
    g.third = pick(5);
    send(simbytes::groups(203, {g}));
    ++m_stats.groupRecords;
}

void TelephonySim::onCommand(const QByteArray &framed)
{
    simbytes::Command c;
    if (simbytes::decodeCommand(framed, c) && c.code == telephony::OpCommand) {
        ++m_stats.commands;
        m_commands.append(c);
        apply(c);
    }
}

void TelephonySim::apply(const simbytes::Command &c)
{
    if (m_extensions.contains(c.extension)) {
        simbytes::Extension &e = m_extensions[c.extension];
        switch (c.subcode) {
        case 1:
            e.logState = QStringLiteral("LOGGED_IN");
            e.agent = c.op;
            e.description = QStringLiteral("Operatore ") + c.op;
            e.actionState = QStringLiteral("FREE");
            e.loginTime = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
            break;
        case 2:
            e = simbytes::Extension{};
            e.number = c.extension;
            break;
        case 3:
            e.logState = QStringLiteral("PAUSED");
            break;
        default:
            break;
        }
        send(simbytes::extensions(202, {e}));
        ++m_stats.extensionRecords;
    }
    if (m_operator.socket().isConnected())
        m_operator.socket().write(simbytes::operatorMessage(QStringLiteral("OK ") + QString::number(c.subcode)));
    Q_EMIT commandApplied(c);
}

void TelephonySim::send(const QByteArray &packet)
{
    if (!monitorConnected())
        return;
    ++m_stats.packets;
    if (m_options.badLengthEvery > 0 && m_stats.packets % m_options.badLengthEvery == 0) {
        ++m_stats.faults;
        write(QByteArray::fromHex("00000000"));
    }
    if (m_options.unknownCodeEvery > 0 && m_stats.packets % m_options.unknownCodeEvery == 0) {
        ++m_stats.faults;
        write(simbytes::unknownCode(25999));
    }
    write(packet);
}

void TelephonySim::write(const QByteArray &bytes)
{
    if (!m_options.split) {
        m_monitor->write(bytes);
        return;
    }
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype piece = 1 + pick(int(std::min<qsizetype>(bytes.size() - at, 64)));
        m_monitor->write(bytes.mid(at, piece));
        m_monitor->flush(); // a segment of its own
        at += piece;
    }
}
