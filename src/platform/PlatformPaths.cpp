#include "platform/PlatformPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace platform {

QString defaultSharedDir(const QString &appDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(appDir);
    return QStringLiteral("Z:/work/tm40/dati");
#else
    return QDir(appDir).filePath(QStringLiteral("dati"));
#endif
}

QString defaultRootDir(const QString &appDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(appDir);
    // The root of the current drive, not of the system drive.
    return QStorageInfo(QDir::currentPath()).rootPath();
#else
    return appDir;
#endif
}

QString resolveFile(const QString &dir, const QString &name)
{
    const QDir d(dir);
    const QString exact = d.filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(entry);
    }
    return exact;
}

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace platform
