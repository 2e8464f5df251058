#include "platform/OdbcDrivers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {
namespace {

// Debian's multiarch folders ("/usr/lib/x86_64-linux-gnu/odbc"), then the
// places a driver built by hand goes.
QStringList libraryDirs()
{
    QStringList dirs;
    const QDir lib(QStringLiteral("/usr/lib"));
    for (const QString &arch : lib.entryList({QStringLiteral("*-linux-gnu*")}, QDir::Dirs | QDir::NoDotAndDotDot))
        dirs << lib.filePath(arch + QStringLiteral("/odbc"));
    dirs << QStringLiteral("/usr/lib/odbc") << QStringLiteral("/usr/local/lib/odbc") << QStringLiteral("/usr/local/lib");
    return dirs;
}

QStringList odbcInstFiles()
{
    // unixODBC: $ODBCSYSINI is the folder of odbcinst.ini (or of the file
    // $ODBCINSTINI names), /etc by default; the user's ~/.odbcinst.ini too.
    const QString sysDir = qEnvironmentVariable("ODBCSYSINI", QStringLiteral("/etc"));
    const QString sysName = qEnvironmentVariable("ODBCINSTINI", QStringLiteral("odbcinst.ini"));
    QStringList files{QDir::isAbsolutePath(sysName) ? sysName : QDir(sysDir).filePath(sysName)};
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        files << QDir(home).filePath(QStringLiteral(".odbcinst.ini"));
    return files;
}

bool odbcInstKnows(const QStringList &files, const QString &name)
{
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!f.atEnd()) {
            const QString line = QString::fromLocal8Bit(f.readLine()).trimmed();
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))
                && line.mid(1, line.size() - 2).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

QString driverLibrary(const QString &name, const QStringList &dirs)
{
    if (name.compare(QStringLiteral("FreeTDS"), Qt::CaseInsensitive) != 0)
        return {};
    for (const QString &dir : dirs) {
        const QString path = QDir(dir).filePath(QStringLiteral("libtdsodbc.so"));
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace

QString unregisteredOdbcDriver(const QString &name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return {};
#else
    if (odbcInstKnows(odbcInstFiles(), name))
        return {};
    return driverLibrary(name, libraryDirs());
#endif
}

bool isOdbcDriverRegistered(const QString &name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return true;
#else
    return odbcInstKnows(odbcInstFiles(), name);
#endif
}

} // namespace platform
