#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The daily phone-choice logs ("dd-MM-yyyy.LOG" in the application folder)
// are kept for a number of days ("GiorniConservazioneLog") and then deleted,
// with the ".1" their day may have left.
namespace logretention {

// "dd-MM-yyyy.LOG" for `day`.
QString dailyLogName(const QDate &day);
// The day a daily log (or its ".1") is of; invalid for any other name.
QDate dayOf(const QString &fileName);
// Deletes from `dir` the daily logs of days before `today` minus `days`;
// the names deleted. Other files are never touched.
QStringList purge(const QString &dir, const QDate &today, int days);

} // namespace logretention
