#pragma once

#include <QDateTime>
#include <QString>

// The system's date and time forms, in one place so they change together.
namespace textformats {

inline const QString kDate = QStringLiteral("dd/MM/yyyy");
inline const QString kTime = QStringLiteral("HH:mm:ss");
inline const QString kDateTime = QStringLiteral("dd/MM/yyyy HH:mm:ss");

QString time(const QTime &t);
QString dateTime(const QDateTime &dt);

// A date-time that may be "zero" (unset) is shown as midnight of no day.
QString dateTimeOrZero(const QDateTime &dt);

// Duration of `seconds` as hh:mm:ss, wrapping at 24 hours like a time of day.
QString elapsedClock(qint64 seconds);

// Lenient numeric conversion: the leading numeric part of the text; empty or
// non-numeric text gives 0.
double leadingNumber(const QString &text);
qint64 leadingInteger(const QString &text);

// A count as the "### ### ### ###" format shows it: digits grouped by three
// from the right, the blanks between empty groups kept, zero as blanks only.
QString groupedCount(qint64 value);

} // namespace textformats
