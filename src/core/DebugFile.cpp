#include "core/DebugFile.h"

#include "core/AnsiCodec.h"
#include "core/HexDump.h"
#include "core/TextFormats.h"

#include <QFile>

bool DebugFile::reset() const
{
    QFile f(m_path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool DebugFile::appendBytes(const QByteArray &bytes) const
{
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return f.write(bytes) == bytes.size();
}

bool DebugFile::appendLine(const QString &text) const
{
    return appendBytes(ansi::encode(text) + "\r\n");
}

bool DebugFile::appendHexDump(const QByteArray &bytes, hexdump::Offsets offsets) const
{
    return appendBytes(hexdump::format(bytes, offsets));
}

QString DebugFile::stamp(const QDateTime &when)
{
    return textformats::dateTime(when);
}
