#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "core/HexDump.h"

// DEBUG.TXT: the raw diagnostic file, emptied at every start and only
// appended to afterwards. Each write opens, appends and closes the file.
class DebugFile {
public:
    explicit DebugFile(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }

    bool reset() const;
    bool appendBytes(const QByteArray &bytes) const;
    // The text in the ANSI code page, then CR LF.
    bool appendLine(const QString &text) const;
    bool appendHexDump(const QByteArray &bytes, hexdump::Offsets offsets = hexdump::Offsets::Decimal) const;

    // "dd/MM/yyyy HH:mm:ss", the stamp that opens timed lines.
    static QString stamp(const QDateTime &when = QDateTime::currentDateTime());

private:
    QString m_path;
};
