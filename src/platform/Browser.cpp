#include "platform/Browser.h"

#include <QProcess>

namespace platform {

bool openUrl(const QString &url)
{
#if defined(Q_OS_WIN)
    // "start" is a command of the shell; the empty title keeps the URL an argument.
    return QProcess::startDetached(QStringLiteral("cmd"), {QStringLiteral("/c"), QStringLiteral("start"), QString(), url});
#elif defined(Q_OS_MACOS)
    return QProcess::startDetached(QStringLiteral("open"), {url});
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url});
#endif
}

} // namespace platform
