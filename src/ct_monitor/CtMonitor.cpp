#include "ct_monitor/CtMonitor.h"

#include "auxiliary/UdpReplication.h"
#include "core/AppInfo.h"
#include "core/IniFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"

#include <cmath>

namespace {
constexpr int kTickMs = 1000;
constexpr int kDatabaseTickMs = 5000;
QString n(qint64 v)
{
    return QString::number(v);
}
} // namespace

CtMonitor::CtMonitor(Parts parts, UdpReplication &replication, QObject *parent)
    : QObject(parent),
      m_parts(parts),
      m_replication(replication),
      m_store(parts.db, parts.log, m_table, parts.files.rootFile(QStringLiteral("DEBUG-AGGDB.LOG"))),
      m_monitor(parts.log, parts.debug,
                {[this](const telephony::MonitorPacket &p) { lavoraDatiMonitor(p); },
                 [this](const QByteArray &bytes) {
                     m_model.leds[0]->set(Colour::LightBlue); // until the next tick paints the state again
                     m_parts.main.traffic[MainModel::BytesReceived]->add(bytes.size());
                     m_replication.send(bytes);
                 },
                 [this] { return level(); }, [this] { return m_parts.settings.packetTimeoutMs(); }}),
      m_operator(parts.log, parts.debug,
                 {[this] { return level(); }, [this] { return m_parts.settings.packetTimeoutMs(); }}),
      m_udpSide(parts.log),
      m_commands(m_table, m_model, m_store, m_operator, parts.prompts, parts.log),
      m_tiles(m_table, m_model.search),
      m_actions({parts.log, parts.prompts, parts.notice, parts.phone, m_tiles,
                 [this] { return m_parts.files.layoutFile(); }, [this](bool on) { hold(on); }})
{
    connect(&m_model.tiles, &TextValue::textChanged, this,
            [this](const QString &text) { m_tiles.setCount(int(textformats::leadingInteger(text))); });
    connect(&m_operator.socket(), &LinkSocket::readyRead, this, [this] { m_model.leds[1]->set(Colour::LightBlue); });
    // A configuration starts afresh on every new stream.
    connect(&m_monitor.reconnector(), &wire::Reconnector::attempted, this, [this] { m_configuring = false; });
    m_parts.log.setDestination(Logger::Monitor, [this] { return &m_model.list; });
    m_parts.log.setDestination(Logger::MonitorAlt, [this] { return &m_model.list; });
    m_store.setLevel([this] { return level(); });
    connect(&m_timer, &QTimer::timeout, this, &CtMonitor::tick);
    connect(&m_table, &ExtensionTable::countersChanged, this, &CtMonitor::countersChanged);
}

CtMonitor::~CtMonitor()
{
    m_store.flush();
}

double CtMonitor::level() const
{
    return m_parts.log.level();
}

void CtMonitor::log(const QString &text, Severity severity)
{
    m_parts.log.scriviLog(text, Logger::Monitor, severity);
}

void CtMonitor::debug(const QString &text)
{
    if (level() > 0)
        log(text);
}

CtMonitor::Flags CtMonitor::readFlags() const
{
    const QString ini = m_parts.files.settingsFile();
    const auto value = [&](const QString &key) { return inifile::leggiIni(ini, kSettingsSection, key); };
    const auto number = [&](const QString &key) { return textformats::leadingNumber(value(key)); };
    const auto port = [&](const QString &key) { return static_cast<quint16>(std::clamp<double>(number(key), 0, 65535)); };
    Flags f;
    f.usaDb = number(settingskey::UsaDB) != 0;
    f.nonConnettereOprSvr = number(settingskey::NonConnettereOprSvr) != 0;
    f.ascoltaUdpPort = port(settingskey::AscoltaUdpPort);
    f.ascoltaUdpMittente = value(settingskey::AscoltaUdpMittente).trimmed();
    f.replicaIp = value(settingskey::ReplicaUdpIp);
    f.replicaPort = port(settingskey::ReplicaUdpPort);
    f.replicaRate = int(std::clamp<double>(number(settingskey::ReplicaUdpRate), 0, 10'000'000));
    // The telephony server's ports, for an installation that moved them (and for tests).
    if (const quint16 p = port(settingskey::PortaMonitor))
        f.monitorPort = p;
    if (const quint16 p = port(settingskey::PortaOprSvr))
        f.operatorPort = p;
    if (const quint16 p = port(settingskey::PortaUDPServer))
        f.udpPort = p;
    return f;
}

void CtMonitor::toggle()
{
    // In edit mode the links are closed on purpose: "ACD" still closes the window.
    if (isOpen() && (m_actions.editMode() || m_monitor.state() != socketstates::kClosed || m_monitor.wanted())) {
        close();
        return;
    }
    open();
}

void CtMonitor::open()
{
    if (!isOpen()) {
        m_flags = readFlags();
        m_monitor.setAcceptedSender(m_flags.ascoltaUdpMittente);
        m_store.setFileLimit(m_parts.settings.fileLimitBytes());
        m_model.tiles.setText(QStringLiteral("96"));
        m_actions.leggiPosizioni(); // the stored layout, when there is one
        if (!m_flags.usaDb)
            m_udpSide.listen(m_flags.udpPort);
        if (!m_flags.usaDb && !m_flags.nonConnettereOprSvr)
            connectOperator();
        m_timer.start(m_flags.usaDb ? kDatabaseTickMs : kTickMs);
        m_model.loaded.set(true);
    }
    // Armed at every opening from the menu, the socket of an earlier one first closed.
    startReplication();
    connectMonitor();
    updateLeds();
}

void CtMonitor::showAndFill()
{
    if (!isOpen() || (!m_actions.editMode() && m_monitor.state() == socketstates::kClosed && !m_monitor.wanted()))
        open();
    m_tiles.refill();
    Q_EMIT refillRequested();
}

void CtMonitor::logoutGenerale()
{
    if (m_table.counters()[0] == 0) {
        m_commands.loginCasuale();
        return;
    }
    if (m_parts.prompts.confirm(QStringLiteral("CONFERMI LOGOUT GENERALE?"), true))
        m_commands.logoutAll();
}

void CtMonitor::close()
{
    const bool wasOpen = isOpen();
    m_closing = true; // edit mode ends without starting what closes next
    m_actions.leaveEditMode();
    m_closing = false;
    m_timer.stop();
    m_monitor.close();
    m_operator.close();
    m_udpSide.close();
    m_store.flush();
    m_model.loaded.set(false);
    updateLeds();
    if (wasOpen && m_recordsApplied > 0)
        log(summary());
}

QString CtMonitor::summary() const
{
    QList<qint64> us = m_store.latencies();
    std::sort(us.begin(), us.end());
    const auto at = [&us](double p) {
        if (us.isEmpty())
            return QStringLiteral("-");
        const auto i = std::clamp<qsizetype>(static_cast<qsizetype>(std::ceil(p * us.size())) - 1, 0, us.size() - 1);
        return QString::number(us[i] / 1000.0, 'f', 1);
    };
    return QStringLiteral("Record applicati ") + n(m_recordsApplied) + QStringLiteral(", righe CT_Monitor scritte ")
        + n(m_store.rowsWritten()) + QStringLiteral(", applicazione e scrittura p50 ") + at(0.5)
        + QStringLiteral(" ms p99 ") + at(0.99) + QStringLiteral(" ms");
}

void CtMonitor::shutdown()
{
    close();
}

void CtMonitor::startReplication()
{
    if (textformats::leadingNumber(m_flags.replicaIp) == 0 || m_flags.replicaPort == 0)
        return;
    m_replication.setRate(m_flags.replicaRate);
    if (m_replication.open(m_flags.replicaIp, m_flags.replicaPort))
        m_parts.log.aggiungiList2(QStringLiteral("Inizio Replica Upd su ") + m_replication.target());
    else
        m_parts.log.aggiungiList2(QStringLiteral("Replica UDP Abortita"));
}

void CtMonitor::connectMonitor()
{
    if (m_flags.usaDb || m_monitor.isUp())
        return;
    if (m_flags.ascoltaUdpPort != 0) {
        m_monitor.listenUdp(m_flags.ascoltaUdpPort);
        return;
    }
    if (wire::Reconnector::isDown(m_monitor.state()))
        m_monitor.connectTo(m_parts.main.serverIp.text(), m_flags.monitorPort);
}

void CtMonitor::connectOperator()
{
    if (m_operator.isConnected())
        return;
    m_udpSide.pointAt(m_parts.main.serverIp.text(), m_flags.udpPort);
    m_operator.connectTo(m_parts.main.serverIp.text(), m_flags.operatorPort);
}

void CtMonitor::ledDoubleClicked(int index)
{
    // A link closed or in error opens at once; any other closes, and stays closed.
    if (index == 0) {
        if (!wire::Reconnector::isDown(m_monitor.state())) {
            m_monitor.close();
            log(QStringLiteral("Chiusa Socket 2 ( Monitor)"));
        } else if (m_flags.ascoltaUdpPort != 0) {
            m_monitor.listenUdp(m_flags.ascoltaUdpPort);
        } else if (!m_flags.usaDb) {
            connectMonitor();
            log(QStringLiteral("Aperta Socket 2 ( Monitor)"));
        }
    } else if (index == 1) {
        if (!wire::Reconnector::isDown(m_operator.state())) {
            m_operator.close();
            log(QStringLiteral("Chiusa Socket 4 ( OprSrv)"));
        } else if (!m_flags.usaDb && !m_flags.nonConnettereOprSvr) {
            connectOperator();
            log(QStringLiteral("Aperta Socket 4 ( OprSrv)"));
        }
    }
    updateLeds();
}

void CtMonitor::hold(bool on)
{
    if (on) {
        m_timer.stop();
        if (m_parts.holdMainTimers)
            m_parts.holdMainTimers(true);
        m_monitor.close();
        m_operator.close();
        log(QStringLiteral("Modalità edit: timer e collegamenti fermi"));
    } else {
        if (m_parts.holdMainTimers)
            m_parts.holdMainTimers(false);
        if (isOpen() && !m_closing) {
            m_timer.start(m_flags.usaDb ? kDatabaseTickMs : kTickMs);
            if (!m_flags.usaDb && !m_flags.nonConnettereOprSvr)
                connectOperator();
            connectMonitor();
        }
        log(QStringLiteral("Fine modalità edit"));
    }
    updateLeds();
}

void CtMonitor::tick()
{
    m_actions.tick();
    updateLeds();
    m_model.caption.setText(QStringLiteral("Operatori/Interni - ") + m_model.search.text() + QLatin1Char(' ')
                            + textformats::time(QTime::currentTime()));
    if (m_monitor.isUp())
        return;
    if (m_store.readBack())
        m_table.recount(); // the legend and the counters follow what was read
    // The TCP link keeps itself up; a replica's port refused is tried again each second.
    if (!m_flags.usaDb && m_flags.ascoltaUdpPort != 0 && m_monitor.wanted())
        m_monitor.listenUdp(m_flags.ascoltaUdpPort);
}

void CtMonitor::updateLeds()
{
    const auto name = [](int state) { return socketstates::appearance(state, QString()).text; };
    std::array<Colour, 2> colours{Colour::Yellow, Colour::Yellow};
    if (m_flags.usaDb) {
        m_model.ledTips[0]->setText(QStringLiteral("Uso DB"));
        m_model.ledTips[1]->setText(QStringLiteral("Non Attivo"));
    } else {
        QString tip = m_monitor.udp()
            ? QStringLiteral("0.0.0.0:") + n(m_monitor.localPort()) + QStringLiteral(" UDP -  ACD ") + name(m_monitor.state())
            : m_monitor.peer() + QLatin1Char(':') + n(m_flags.monitorPort) + QStringLiteral(" ACD ") + name(m_monitor.state());
        if (m_replication.isOn())
            tip += QStringLiteral(" con replica UDP");
        m_model.ledTips[0]->setText(tip);
        m_model.ledTips[1]->setText(m_operator.peer() + QLatin1Char(':') + n(m_operator.peerPort()) + QStringLiteral(" OprSvr ")
                                    + name(m_operator.state()));
        colours = {m_monitor.isUp() ? Colour::Green : Colour::Red, m_operator.isConnected() ? Colour::Green : Colour::Red};
    }
    // Tips first: whoever watches a colour reads the tip that goes with it.
    for (int i = 0; i < 2; ++i)
        m_model.leds[i]->set(colours[i]);
    m_parts.main.acdCode.setText(n(m_flags.usaDb ? 0 : m_monitor.state()));
    m_parts.main.acdCode.setToolTip(m_model.ledTips[0]->text());
    m_parts.main.ledAcd.set(m_model.leds[0]->value());
}

void CtMonitor::lavoraDatiMonitor(const telephony::MonitorPacket &p)
{
    const auto replicated = [&] {
        if (m_replication.isOn())
            log(QStringLiteral("replico cod. ") + n(p.header.code) + QStringLiteral(" PktL2 = len msg ") + n(p.header.len));
    };
    if (p.header.code == telephony::Time) {
        log(QStringLiteral("Ricevuta Ora e altri dati sconosciuti"));
        replicated();
        QString line = QStringLiteral("ora ") + p.time.time;
        for (quint8 b : p.time.bytes)
            line += QLatin1Char(' ') + n(b);
        log(line);
        return;
    }
    const bool configuration = p.sub.subcode == telephony::ExtensionConfig;
    if (configuration && !m_configuring)
        m_configuredTop = 0; // a new configuration begins
    m_configuring = configuration;
    switch (p.sub.subcode) {
    case telephony::ExtensionConfig:
        log(QStringLiteral(" Ricevuta Configurazione ") + n(p.sub.count) + QStringLiteral(" Interni"));
        break;
    case telephony::GroupConfig:
        log(QStringLiteral("Ricevuta Configurazione ") + n(p.sub.count) + QStringLiteral(" Gruppi"));
        break;
    case telephony::ExtensionChange:
        debug(QStringLiteral("Ricevuta Variazione Stato ") + n(p.sub.count) + QStringLiteral(" Interni"));
        break;
    default:
        break;
    }
    replicated();
    for (const telephony::ExtensionRecord &r : p.extensions) {
        // The configuration comes in packets of six: the tiles are those of
        // every extension it names and the table took, never beyond the table.
        if (applyExtension(r) && configuration)
            m_configuredTop = std::max(m_configuredTop, r.number - ExtensionTable::kFirst + 1);
    }
    if (configuration && m_configuredTop > 0)
        m_model.tiles.setText(n(m_configuredTop));
    for (const telephony::GroupRecord &r : p.groups)
        applyGroup(r);
    m_recordsApplied += p.extensions.size() + p.groups.size();
    m_table.recount();
}

bool CtMonitor::applyExtension(const telephony::ExtensionRecord &r)
{
    if (!m_table.applyExtension(r, QDateTime::currentDateTime()))
        return false;
    if (level() > 0) {
        log(n(r.number) + QLatin1Char(' ') + r.logState + QLatin1Char(' ') + r.actionState + QLatin1Char(' ') + r.lineState);
        log(r.agent + QLatin1Char('|') + r.description + QLatin1Char('|') + r.logState + QLatin1Char('|') + r.actionState
            + QLatin1Char('|') + r.lineState + QLatin1Char('|') + r.acdState + QLatin1Char('|') + r.numberText
            + QLatin1Char('|') + r.loginTime);
    }
    m_store.schedule(r.number); // FlagAggiornaDB: the title holds "quorin"
    return true;
}

void CtMonitor::applyGroup(const telephony::GroupRecord &r)
{
    if (!m_table.applyGroup(r))
        return;
    debug(QStringLiteral("GRP=") + n(r.number) + QStringLiteral(" (") + r.name + QStringLiteral(") ") + QStringLiteral(" op.lg=")
          + n(r.logged) + QStringLiteral(" op.fr=") + n(r.free) + QStringLiteral(" op.?\?=") + n(r.further));
}

void CtMonitor::countersChanged()
{
    QList<MonitorModel::GridRow> rows;
    for (int g = 1; g <= ExtensionTable::kGroups; ++g) {
        const ExtensionTable::Group &group = m_table.group(g);
        if (!group.name.trimmed().isEmpty())
            rows.append({n(g) + QLatin1Char(' ') + group.name, group.logged, group.free, group.third});
    }
    m_model.setGrid(rows);
    const auto &c = m_table.counters();
    for (int i = 0; i < MonitorModel::kLegend; ++i)
        m_model.legend[i]->setText(n(c[i]));
    MainModel &main = m_parts.main;
    main.database[MainModel::GroupsLogged]->set(m_table.groupsWithLogged());
    main.database[MainModel::AgentsLogged]->set(c[0]);
    main.database[MainModel::AgentsFree]->set(c[1]);
}
