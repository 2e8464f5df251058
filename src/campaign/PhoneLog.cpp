#include "campaign/PhoneLog.h"

#include "core/CappedFile.h"
#include "core/LogRetention.h"
#include "core/TextFormats.h"
#include "platform/PlatformPaths.h"
#include "wire/AnsiCodec.h"


namespace phonelog {

QString fileName(const QDate &day)
{
    return logretention::dailyLogName(day);
}

QString line(const QDateTime &when, qint64 contatore, qint64 lastOutcome, const QString &kind, const QString &phone)
{
    const auto num = [](qint64 n) { return QLatin1Char(' ') + QString::number(n) + QLatin1Char(' '); };
    return textformats::dateTime(when) + QLatin1Char(';') + num(contatore) + QLatin1Char(';') + num(lastOutcome)
        + QLatin1Char(';') + kind + QLatin1Char(';') + phone;
}

void append(const QString &appDir, const QDateTime &when, qint64 contatore, qint64 lastOutcome, const QString &kind,
            const QString &phone, qint64 limit)
{
    const QString name = fileName(when.date());
    cappedfile::append(platform::resolveFile(appDir, name),
                       ansi::encode(line(when, contatore, lastOutcome, kind, phone)) + "\r\n", limit,
                       [&] { return cappedfile::restartLine(name, limit); });
}

} // namespace phonelog
