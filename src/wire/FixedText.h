#pragma once

#include <QByteArray>
#include <QString>

// Fixed-width texts of packet bodies.
namespace fixedtext {

// CompletaStringa: the value's ANSI bytes, NUL padded and cut to `width`.
QByteArray completaStringa(const QString &value, int width);

// PulisciStringa: NULs become blanks, blanks are trimmed at both ends.
QString pulisciStringa(const QString &text);
QString pulisciStringa(const QByteArray &bytes);

// DaArrayAchar: the first n bytes as text (NULs kept).
QString daArrayAchar(const QByteArray &bytes, int n);

} // namespace fixedtext
