#include "core/CappedFile.h"

#include "core/TextFormats.h"
#include "wire/AnsiCodec.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace cappedfile {
namespace {

// The full file becomes the one ".1" kept. Where it cannot be renamed (held
// open by another program on Windows) it is emptied instead: the bound on the
// disk holds either way.
bool rotate(const QString &path)
{
    const QString kept = rotatedPath(path);
    QFile::remove(kept);
    if (QFile::rename(path, kept))
        return true;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

} // namespace

QString rotatedPath(const QString &path)
{
    return path + QStringLiteral(".1");
}

bool append(const QString &path, const QByteArray &bytes, qint64 limit, const std::function<QByteArray()> &restart)
{
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : 0;
    const bool full = limit > 0 && size > 0 && size + bytes.size() > limit;
    if (full && !rotate(path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    if (full) {
        const QByteArray first = restart();
        if (f.write(first) != first.size())
            return false;
    }
    return f.write(bytes) == bytes.size();
}

QByteArray restartLine(const QString &name, qint64 limit)
{
    return ansi::encode(textformats::dateTime(QDateTime::currentDateTime()) + QLatin1Char(' ') + name
                        + QStringLiteral(" ricominciato: superato il limite di ") + QString::number(limit)
                        + QStringLiteral(" byte, il precedente in ") + name + QStringLiteral(".1"))
        + "\r\n";
}

} // namespace cappedfile
