#include "pbx_lines/PbxMonitor.h"

#include "core/IniFile.h"
#include "core/LinkLog.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"
#include "ct_monitor/ExtensionTable.h"

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
QString right3(qint64 v)
{
    return n(v).rightJustified(3, QLatin1Char(' '));
}
const QString kSeparator = QStringLiteral("---------------------------------------------------");
} // namespace

PbxMonitor::PbxMonitor(Parts parts, QObject *parent)
    : QObject(parent), m_parts(std::move(parts)),
      m_reader({pbx::kFraming, wire::BadLength::Drain, {}, m_parts.timeoutMs}, QStringLiteral("Winsock1")),
      m_reconnector(m_reader.socket(), QStringLiteral("PBX"))
{
    connect(&m_reconnector, &wire::Reconnector::said, this,
            [this](const QString &line, bool down) { log(line, down ? Severity::Warning : Severity::Info); });
    list.setParent(this);
    messages.setParent(this);
    m_parts.log.setDestination(Logger::Lines, [this] { return &list; });
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &PbxMonitor::tick);
    connectReader();
}

// What the reader reports, in this link's words.
void PbxMonitor::connectReader()
{
    logReader(m_reader, m_parts.log, m_parts.debug,
              {Logger::Lines, kChannel, QStringLiteral("DA WS= Ricevuto PacketLen="), QStringLiteral("DA WS= Aspetto altri "),
               QStringLiteral("Ho già altri "), [](qint32 length, qint64 pending, bool) {
                   return QStringLiteral("DA WS1= PROBLEMA PacketLen=") + n(std::max(0, length)) + QStringLiteral(" RX = ")
                       + n(pending);
               }});
    connect(&m_reader, &wire::FramedReader::packetReady, this, &PbxMonitor::handle);
}

void PbxMonitor::log(const QString &text, Severity severity)
{
    m_parts.log.scriviLog(text, Logger::Lines, severity);
}

void PbxMonitor::debug(const QString &text)
{
    if (m_parts.log.level() > 0)
        log(text);
}

void PbxMonitor::open()
{
    if (isOpen())
        return;
    const quint16 port = static_cast<quint16>(std::clamp<double>(
        textformats::leadingNumber(inifile::leggiIni(m_parts.files.settingsFile(), kSettingsSection, settingskey::PortaPBX)),
        0, 65535));
    m_port = port ? port : pbx::kPort;
    m_table.setLines(m_table.lines());
    loaded.set(true);
    connectLink();
    m_timer.start();
    tick();
}

void PbxMonitor::show()
{
    open();
    Q_EMIT raiseRequested();
}

void PbxMonitor::close()
{
    m_timer.stop();
    m_reconnector.close();
    m_reader.reset();
    loaded.set(false);
}

void PbxMonitor::connectLink()
{
    m_reconnector.setTarget(m_parts.main.serverIp.text(), m_port);
    m_reconnector.open();
}

void PbxMonitor::toggleLink()
{
    if (!wire::Reconnector::isDown(socket().state())) {
        m_reconnector.close();
        log(QStringLiteral("Chiusa Socket ( PBX )"));
    } else {
        connectLink();
        log(QStringLiteral("Aperta Socket ( PBX )"));
    }
    updateLed();
}

void PbxMonitor::tick()
{
    caption.setText(QStringLiteral("PBX Linee Esterne (") + textformats::time(QTime::currentTime()) + QLatin1Char(')'));
    updateLed();
}

void PbxMonitor::updateLed()
{
    ledTip.setText(socket().peerName() + QLatin1Char(':') + n(m_port) + QStringLiteral(" PBX ")
                   + socketstates::appearance(socket().state(), QString()).text);
    led.set(socket().isConnected() ? Colour::Green : Colour::Red);
}

void PbxMonitor::handle(const QByteArray &framed)
{
    pbx::Packet p;
    const wire::Status s = pbx::decode(framed, p);
    if (!s.ok()) {
        log(QStringLiteral("DA WS1= PROBLEMA ") + s.error, Severity::Error);
        return;
    }
    switch (p.header.code) {
    case pbx::Lines:
    case pbx::LineOrExtension:
        lavoraDatiPbx(p);
        break;
    case pbx::CallMessage:
        callMessage(p);
        break;
    default:
        // Framed by its length: only this packet is skipped.
        log(QStringLiteral("MSG SCON.") + n(p.header.code) + QStringLiteral(" LEN ") + n(p.header.len), Severity::Warning);
        break;
    }
}

QString PbxMonitor::recordLine(const pbx::LineRecord &r) const
{
    return n(r.number) + QLatin1Char(' ') + r.name + QLatin1Char(' ') + right3(r.first) + QStringLiteral(" b=")
        + right3(r.second) + QLatin1Char(' ') + pbx::binary(r.mask);
}

void PbxMonitor::lavoraDatiPbx(const pbx::Packet &p)
{
    for (const pbx::LineRecord &r : p.records) {
        if (p.header.code == pbx::Lines) {
            log(n(++m_recordCount) + QStringLiteral(") ") + recordLine(r));
        } else {
            if (r.number > LineTable::kFirst + m_table.lines() || r.number < 101)
                log(QStringLiteral("PROB LINEA ") + n(r.number), Severity::Warning);
            log((r.number <= 400 ? QStringLiteral("INTERNA ") : QStringLiteral("ESTERNA ")) + recordLine(r));
        }
        m_table.setState(r.number, r.state); // lines outside the table, or codes beyond 256, change nothing
    }
    if (p.leftOver > 0)
        debug(QStringLiteral("DA WS1= record incompleto ignorato, ") + n(p.leftOver) + QStringLiteral(" bytes"));
}

void PbxMonitor::callMessage(const pbx::Packet &p)
{
    const pbx::CallRecord &c = p.call;
    const int extension = c.values[0];
    const ExtensionTable::Row &row = m_parts.extensions.row(extension);
    log(n(c.values[0]) + QLatin1Char(' ') + n(c.values[1]) + QLatin1Char(' ') + n(c.values[2]) + QLatin1Char(' ')
        + n(c.values[3]) + QStringLiteral(" | ") + pbx::printable(c.text));
    const QString who = QLatin1Char(' ') + row[ExtensionTable::Description] + QStringLiteral(" [") + row[ExtensionTable::Agent]
        + QStringLiteral("] ");
    if (extension > 99 && extension < 301 && c.text.contains(QStringLiteral("IN LINEA"))
        && !c.text.toLower().contains(QStringLiteral("interno chiamante"))) {
        const qint64 calls = textformats::leadingInteger(row[ExtensionTable::CallCounter]) + 1;
        m_parts.extensions.setCells(extension, {{ExtensionTable::CallCounter, n(calls)}});
    }
    const QString clean = pbx::cleanCallText(c.text);
    log(clean + QStringLiteral(" Msg x Int ") + n(extension) + who + QStringLiteral(" Len ") + n(c.width));
    if (!messagesShown.value())
        return;
    messages.addTrimming(kSeparator, kMessagesShown);
    messages.addTrimming(clean + who, kMessagesShown);
    messages.setSelection(messages.count() - 1);
}
