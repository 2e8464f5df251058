#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Append-only files that a long run must not grow without end (DEBUG.TXT,
// the daily phone-choice log, the request log). Each call opens, appends and
// closes the file, as every file of the program is written.
namespace cappedfile {

// Appends `bytes`. When the file would pass `limit` bytes it is rotated: the
// file becomes "<name>.1" (an older ".1" goes) and a new one starts with
// `restart` (a line saying so, or a file header). A limit of 0 or less means
// no limit. False when the file cannot be written.
bool append(const QString &path, const QByteArray &bytes, qint64 limit, const std::function<QByteArray()> &restart);

// The file kept by the last rotation: `path` followed by ".1".
QString rotatedPath(const QString &path);

// The line that opens a rotated file: "<date time> <name> ricominciato:
// superato il limite di <limit> byte, il precedente in <name>.1", CR LF ended.
QByteArray restartLine(const QString &name, qint64 limit);

} // namespace cappedfile
