#include "core/DebugFile.h"

#include "core/CappedFile.h"
#include "core/HexDump.h"
#include "core/TextFormats.h"
#include "wire/AnsiCodec.h"

#include <QFile>

bool DebugFile::reset() const
{
    QFile f(m_path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool DebugFile::appendBytes(const QByteArray &bytes) const
{
    return cappedfile::append(m_path, bytes, m_limit,
                              [this] { return cappedfile::restartLine(QStringLiteral("DEBUG.TXT"), m_limit); });
}

bool DebugFile::appendLine(const QString &text) const
{
    return appendBytes(ansi::encode(text) + "\r\n");
}

bool DebugFile::appendHexDump(const QByteArray &bytes, hexdump::Offsets offsets) const
{
    return appendBytes(hexdump::format(bytes, offsets));
}

bool DebugFile::appendHexDumpCapped(const QByteArray &bytes, qsizetype maxBytes, hexdump::Offsets offsets) const
{
    const qsizetype shown = std::clamp<qsizetype>(maxBytes, 0, bytes.size());
    bool ok = shown == 0 || appendHexDump(bytes.left(shown), offsets);
    if (shown < bytes.size())
        ok = appendLine(stamp() + QStringLiteral(" DUMP LIMITATO: ") + QString::number(bytes.size() - shown)
                        + QStringLiteral(" bytes non scritti su ") + QString::number(bytes.size()))
            && ok;
    return ok;
}

QString DebugFile::stamp(const QDateTime &when)
{
    return textformats::dateTime(when);
}
