#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 ("ANSI"), the code page of every text on the wire and in the
// program's files. Characters outside the code page encode as '?'.
namespace ansi {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

} // namespace ansi
