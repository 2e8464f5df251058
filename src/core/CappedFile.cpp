#include "core/CappedFile.h"

#include "core/AnsiCodec.h"
#include "core/TextFormats.h"

#include <QDateTime>
#include <QFile>

namespace cappedfile {

bool append(const QString &path, const QByteArray &bytes, qint64 limit, const std::function<QByteArray()> &restart)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    if (limit > 0 && f.size() > 0 && f.size() + bytes.size() > limit) {
        if (!f.resize(0))
            return false;
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
                        + QStringLiteral(" byte"))
        + "\r\n";
}

} // namespace cappedfile
