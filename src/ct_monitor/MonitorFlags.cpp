#include "ct_monitor/MonitorFlags.h"

#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/TextFormats.h"

#include <algorithm>

MonitorFlags MonitorFlags::read(const QString &ini)
{
    const auto value = [&](const QString &key) { return inifile::leggiIni(ini, kSettingsSection, key); };
    const auto number = [&](const QString &key) { return textformats::leadingNumber(value(key)); };
    const auto port = [&](const QString &key) { return static_cast<quint16>(std::clamp<double>(number(key), 0, 65535)); };
    MonitorFlags f;
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
