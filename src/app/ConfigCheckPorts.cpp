#include "app/ConfigCheck.h"

#include "wire/AnsiCodec.h"
#include "core/IniText.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/TextFormats.h"
#include "ct_monitor/ServerUdpSockets.h"
#include "web_status/HttpStatusServer.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTextStream>
#include <QUdpSocket>

namespace {

struct Port {
    QString what;
    bool udp;
    QHostAddress address;
    int port;
};

// The listening ports a start would open, as their owners read the settings file's `text`.
QList<Port> wantedPorts(const QString &text)
{
    const auto value = [&text](const QString &key) { return initext::value(text, kSettingsSection, key).trimmed(); };
    const auto number = [&value](const QString &key) { return textformats::leadingNumber(value(key)); };
    QList<Port> wanted;
    // As WebStatus reads it: unset or not a port, the built-in one; "0" any free one.
    bool ok = false;
    const int web = value(settingskey::PortaWeb).toInt(&ok);
    wanted.append({QStringLiteral("status page (PortaWeb)"), false, QHostAddress(QHostAddress::Any),
                   ok && web >= 0 && web <= 65535 ? web : int(HttpStatusServer::kPort)});
    const int metrics = value(settingskey::MetricsPort).toInt(&ok);
    const QString metricsIp = value(settingskey::MetricsIp);
    const QHostAddress metricsAt = metricsIp.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(metricsIp);
    if (ok && !metricsAt.isNull()) // a value that is no port or address is a problem above
        wanted.append({QStringLiteral("metrics (MetricsPort)"), false, metricsAt, metrics});
    if (number(settingskey::Simulazione) != 0)
        wanted.append({QStringLiteral("built-in dialer (Simulazione, ServerPort)"), false,
                       QHostAddress(QHostAddress::LocalHost), int(textformats::leadingInteger(value(settingskey::ServerPort)))});
    // The monitor window opens at start with "AutoCTMonitor" or replication, and its sockets with it.
    const bool monitor = number(settingskey::AutoCTMonitor) != 0
        || (number(settingskey::ReplicaUdpPort) != 0 && number(settingskey::ReplicaUdpIp) != 0);
    if (monitor && number(settingskey::UsaDB) == 0) {
        const int udp = int(textformats::leadingInteger(value(settingskey::PortaUDPServer)));
        wanted.append({QStringLiteral("monitor UDP (PortaUDPServer)"), true, QHostAddress(QHostAddress::AnyIPv4),
                       udp > 0 && udp <= 65535 ? udp : int(ServerUdpSockets::kPort)});
    }
    if (monitor && number(settingskey::AscoltaUdpPort) > 0)
        wanted.append({QStringLiteral("replicated stream (AscoltaUDP_Port)"), true, QHostAddress(QHostAddress::AnyIPv4),
                       int(textformats::leadingInteger(value(settingskey::AscoltaUdpPort)))});
    return wanted;
}

// Why the port cannot be opened now; empty when it can.
QString refusal(const Port &p)
{
    if (p.udp) {
        QUdpSocket s;
        return s.bind(p.address, quint16(p.port)) ? QString() : s.errorString();
    }
    QTcpServer s;
    return s.listen(p.address, quint16(p.port)) ? QString() : s.errorString();
}

} // namespace

void ConfigCheck::ports(QTextStream &out)
{
    QFile file(FileLocations(m_paths).settingsFile());
    const QString text = file.open(QIODevice::ReadOnly) ? ansi::decode(file.readAll()) : QString();
    out << "Ports:" << Qt::endl;
    for (const Port &p : wantedPorts(text)) {
        const QString name = (p.udp ? QStringLiteral("UDP ") : QStringLiteral("TCP ")) + p.address.toString()
            + QLatin1Char(':') + QString::number(p.port);
        if (p.port <= 0 || p.port > 65535) {
            out << "  " << p.what << ": any free port" << Qt::endl;
            continue;
        }
        const QString error = refusal(p);
        out << "  " << p.what << ": " << name << (error.isEmpty() ? QStringLiteral(" free") : QStringLiteral(" NOT FREE"))
            << Qt::endl;
        if (!error.isEmpty())
            problem(p.what + QStringLiteral(": ") + name + QStringLiteral(" cannot be opened (") + error
                    + QStringLiteral("); is the program already running?"));
    }
}
