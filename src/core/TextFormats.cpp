#include "core/TextFormats.h"

#include <cmath>

namespace textformats {

QString time(const QTime &t)
{
    return t.toString(kTime);
}

QString dateTime(const QDateTime &dt)
{
    return dt.toString(kDateTime);
}

QString dateTimeOrZero(const QDateTime &dt)
{
    return dt.isValid() ? dateTime(dt) : QStringLiteral("00:00:00");
}

QString elapsedClock(qint64 seconds)
{
    qint64 s = seconds % 86400;
    if (s < 0)
        s += 86400;
    return QTime(0, 0).addSecs(static_cast<int>(s)).toString(kTime);
}

double leadingNumber(const QString &text)
{
    // Blanks are skipped anywhere before and inside the number, as the
    // original conversion does; a second sign or point ends it.
    QString digits;
    bool seenDigit = false, seenPoint = false, seenSign = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits.append(c);
            seenDigit = true;
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && !seenDigit && !seenSign && !seenPoint) {
            digits.append(c);
            seenSign = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            digits.append(c);
            seenPoint = true;
        } else {
            break;
        }
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? v : 0.0;
}

qint64 leadingInteger(const QString &text)
{
    const double v = leadingNumber(text);
    if (!std::isfinite(v) || std::fabs(v) > 9.0e18)
        return 0;
    return static_cast<qint64>(std::nearbyint(v));
}

QString groupedCount(qint64 value)
{
    if (value < 0)
        return QString::number(value);
    QString digits = value == 0 ? QString() : QString::number(value);
    QStringList groups;
    for (int g = 0; g < 3; ++g) {
        groups.prepend(digits.right(3));
        digits.chop(std::min<qsizetype>(3, digits.size()));
    }
    groups.prepend(digits); // whatever is left goes to the first group
    return groups.join(QLatin1Char(' '));
}

} // namespace textformats
