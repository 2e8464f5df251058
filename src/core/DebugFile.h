#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "core/HexDump.h"

// DEBUG.TXT: the raw diagnostic file, emptied at every start and only
// appended to afterwards. Each write opens, appends and closes the file.
// Past its size limit it becomes DEBUG.TXT.1 and a new one starts with a
// line saying so.
class DebugFile {
public:
    static constexpr qint64 kDefaultLimit = 256LL * 1024 * 1024;

    explicit DebugFile(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    void setLimit(qint64 bytes) { m_limit = bytes; }
    qint64 limit() const { return m_limit; }

    bool reset() const;
    bool appendBytes(const QByteArray &bytes) const;
    // The text in the ANSI code page, then CR LF.
    bool appendLine(const QString &text) const;
    bool appendHexDump(const QByteArray &bytes, hexdump::Offsets offsets = hexdump::Offsets::Decimal) const;
    // The hex dump of at most `maxBytes` of `bytes`, then, when cut, a line
    // with the number of bytes left out.
    bool appendHexDumpCapped(const QByteArray &bytes, qsizetype maxBytes,
                             hexdump::Offsets offsets = hexdump::Offsets::Decimal) const;

    // "dd/MM/yyyy HH:mm:ss", the stamp that opens timed lines.
    static QString stamp(const QDateTime &when = QDateTime::currentDateTime());

private:
    QString m_path;
    qint64 m_limit = kDefaultLimit;
};
