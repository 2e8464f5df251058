#pragma once

#include <QDateTime>
#include <QString>

// The daily log of the phones chosen: "dd-mm-yyyy.LOG" in the application
// folder, one line per customer sent.
namespace phonelog {

QString fileName(const QDate &day);
// "date time; contatore ; last outcome ;kind;phone", numbers between blanks.
QString line(const QDateTime &when, qint64 contatore, qint64 lastOutcome, const QString &kind, const QString &phone);
// Errors are ignored: the log must never stop a reply. Past `limit` bytes
// the day's file is rotated (".1") and starts again with a line saying so.
void append(const QString &appDir, const QDateTime &when, qint64 contatore, qint64 lastOutcome, const QString &kind,
            const QString &phone, qint64 limit);

} // namespace phonelog
