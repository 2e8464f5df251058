#include "core/Settings.h"

#include <QDir>

QString FileLocations::settingsFile() const
{
    return appFile(QStringLiteral("conn_quorin.ini"));
}

QString FileLocations::sharedDbFile() const
{
    return platform::resolveFile(m_paths.sharedDir, QStringLiteral("tm40.ini"));
}

QString FileLocations::layoutFile() const
{
    return platform::resolveFile(m_paths.sharedDir, QStringLiteral("Pos_CT.ini"));
}

QString FileLocations::orderByFile() const
{
    return platform::resolveFile(m_paths.sharedDir, QStringLiteral("Orderby190.ini"));
}

QString FileLocations::appFile(const QString &name) const
{
    return platform::resolveFile(m_paths.appDir, name);
}

QString FileLocations::rootFile(const QString &name) const
{
    return platform::resolveFile(m_paths.rootDir, name);
}

QString FileLocations::webFile(const QString &name) const
{
    const QString web = platform::resolveFile(m_paths.appDir, QStringLiteral("web"));
    return platform::resolveFile(web, name + QStringLiteral(".htm"));
}
