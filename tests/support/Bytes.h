#pragma once

// Bytes written by hand, as the format descriptions give them: integers in
// either order, hex digits, fixed-width texts.
#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>

#include "wire/Status.h"

inline QByteArray be32(qint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// `text` in a field of `width` bytes, cut or filled with `fill`.
inline QByteArray padded(const QByteArray &text, int width, char fill = '\0')
{
    return text.leftJustified(width, fill, true);
}

// True when every strict prefix of `full` is refused as too short; the
// first that is not is told.
template <typename Decode>
inline bool refusesPrefixes(const QByteArray &full, Decode decode)
{
    for (qsizetype n = 0; n < full.size(); ++n) {
        const wire::Status s = decode(full.left(n));
        if (s.ok() || !s.error.contains(QLatin1String("troppo corto"))) {
            qWarning("prefix of %lld bytes: %s", qlonglong(n), s.ok() ? "decoded" : qPrintable(s.error));
            return false;
        }
    }
    return true;
}
