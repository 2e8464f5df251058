#include "ct_monitor/MonitorLinks.h"

#include "auxiliary/UdpReplication.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"
#include "ct_monitor/MonitorFlags.h"
#include "ct_monitor/MonitorModel.h"

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

MonitorLinks::MonitorLinks(Parts parts, QObject *parent)
    : QObject(parent), m_parts(parts), m_monitor(parts.log, parts.debug, parts.settings),
      m_operator(parts.log, parts.debug, parts.settings), m_udpSide(parts.log)
{
    connect(&m_monitor, &MonitorLink::bytesRead, this, &MonitorLinks::bytesRead);
    connect(&m_operator.socket(), &LinkSocket::readyRead, this, [this] { m_parts.model.leds[1]->set(Colour::LightBlue); });
}

void MonitorLinks::log(const QString &text)
{
    m_parts.log.scriviLog(text, Logger::Monitor);
}

void MonitorLinks::bytesRead(const QByteArray &bytes)
{
    m_parts.model.leds[0]->set(Colour::LightBlue); // until the next tick paints the state again
    m_parts.main.traffic[MainModel::BytesReceived]->add(bytes.size());
    m_parts.replication.send(bytes);
}

void MonitorLinks::open()
{
    if (!m_parts.flags.usaDb)
        m_udpSide.listen(m_parts.flags.udpPort);
    if (m_parts.flags.operatorWanted())
        connectOperator();
}

void MonitorLinks::startReplication()
{
    const MonitorFlags &f = m_parts.flags;
    if (textformats::leadingNumber(f.replicaIp) == 0 || f.replicaPort == 0)
        return;
    m_parts.replication.setRate(f.replicaRate);
    if (m_parts.replication.open(f.replicaIp, f.replicaPort))
        m_parts.log.aggiungiList2(QStringLiteral("Inizio Replica Upd su ") + m_parts.replication.target());
    else
        m_parts.log.aggiungiList2(QStringLiteral("Replica UDP Abortita"));
}

void MonitorLinks::connectMonitor()
{
    if (m_parts.flags.usaDb || m_monitor.isUp())
        return;
    if (m_parts.flags.ascoltaUdpPort != 0) {
        m_monitor.listenUdp(m_parts.flags.ascoltaUdpPort);
        return;
    }
    if (wire::Reconnector::isDown(m_monitor.state()))
        m_monitor.connectTo(m_parts.main.serverIp.text(), m_parts.flags.monitorPort);
}

void MonitorLinks::connectOperator()
{
    if (m_operator.isConnected())
        return;
    m_udpSide.pointAt(m_parts.main.serverIp.text(), m_parts.flags.udpPort);
    m_operator.connectTo(m_parts.main.serverIp.text(), m_parts.flags.operatorPort);
}

void MonitorLinks::close()
{
    m_monitor.close();
    m_operator.close();
    m_udpSide.close();
}

void MonitorLinks::hold(bool on)
{
    if (on) {
        m_monitor.close();
        m_operator.close();
        return;
    }
    if (m_parts.flags.operatorWanted())
        connectOperator();
    connectMonitor();
}

void MonitorLinks::retry()
{
    // The TCP link keeps itself up; a replica's port refused is tried again each second.
    if (!m_parts.flags.usaDb && m_parts.flags.ascoltaUdpPort != 0 && m_monitor.wanted())
        m_monitor.listenUdp(m_parts.flags.ascoltaUdpPort);
}

void MonitorLinks::ledDoubleClicked(int index)
{
    // A link closed or in error opens at once; any other closes, and stays closed.
    if (index == 0) {
        if (!wire::Reconnector::isDown(m_monitor.state())) {
            m_monitor.close();
            log(QStringLiteral("Chiusa Socket 2 ( Monitor)"));
        } else if (m_parts.flags.ascoltaUdpPort != 0) {
            m_monitor.listenUdp(m_parts.flags.ascoltaUdpPort);
        } else if (!m_parts.flags.usaDb) {
            connectMonitor();
            log(QStringLiteral("Aperta Socket 2 ( Monitor)"));
        }
    } else if (index == 1) {
        if (!wire::Reconnector::isDown(m_operator.state())) {
            m_operator.close();
            log(QStringLiteral("Chiusa Socket 4 ( OprSrv)"));
        } else if (m_parts.flags.operatorWanted()) {
            connectOperator();
            log(QStringLiteral("Aperta Socket 4 ( OprSrv)"));
        }
    }
    updateLeds();
}

void MonitorLinks::updateLeds()
{
    MonitorModel &model = m_parts.model;
    const auto name = [](int state) { return socketstates::appearance(state, QString()).text; };
    std::array<Colour, 2> colours{Colour::Yellow, Colour::Yellow};
    if (m_parts.flags.usaDb) {
        model.ledTips[0]->setText(QStringLiteral("Uso DB"));
        model.ledTips[1]->setText(QStringLiteral("Non Attivo"));
    } else {
        QString tip = m_monitor.udp()
            ? QStringLiteral("0.0.0.0:") + n(m_monitor.localPort()) + QStringLiteral(" UDP -  ACD ") + name(m_monitor.state())
            : m_monitor.peer() + QLatin1Char(':') + n(m_parts.flags.monitorPort) + QStringLiteral(" ACD ") + name(m_monitor.state());
        if (m_parts.replication.isOn())
            tip += QStringLiteral(" con replica UDP");
        model.ledTips[0]->setText(tip);
        model.ledTips[1]->setText(m_operator.peer() + QLatin1Char(':') + n(m_operator.peerPort()) + QStringLiteral(" OprSvr ")
                                  + name(m_operator.state()));
        colours = {m_monitor.isUp() ? Colour::Green : Colour::Red, m_operator.isConnected() ? Colour::Green : Colour::Red};
    }
    // Tips first: whoever watches a colour reads the tip that goes with it.
    for (int i = 0; i < 2; ++i)
        model.leds[i]->set(colours[i]);
    m_parts.main.acdCode.setText(n(m_parts.flags.usaDb ? 0 : m_monitor.state()));
    m_parts.main.acdCode.setToolTip(model.ledTips[0]->text());
    m_parts.main.ledAcd.set(model.leds[0]->value());
}
