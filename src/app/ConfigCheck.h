#pragma once

#include <QStringList>
#include <map>

#include "core/IniText.h"

#include "platform/PlatformPaths.h"

class QTextStream;

// "--check-config": what a first start depends on, checked without starting
// anything. Every setting with the file and line it comes from, keys the
// program never reads (with the known key they are closest to), the six
// tables and their columns, each template filled with sample values and
// prepared as the program would run it, and the ports the settings would
// open. Nothing is written: the database is read and statements are only
// prepared; each port is opened and closed at once.
class ConfigCheck {
public:
    explicit ConfigCheck(platform::AppPaths paths) : m_paths(std::move(paths)) {}

    // The report on `out`; the problems found, each on one line (none: clean).
    QStringList run(QTextStream &out);

    // A connection string as it may be shown: the values of Password and
    // Pwd, and the password of a URL, read "***".
    static QString redacted(const QString &connString);

private:
    void settingsFile(QTextStream &out);
    void setting(QTextStream &out, const initext::Line &line, const QString &at, std::map<QString, int> &seen);
    void unsetKeys(QTextStream &out, const std::map<QString, int> &seen);
    void sharedFiles(QTextStream &out, QString &connString);
    void database(QTextStream &out, const QString &connString);
    void ports(QTextStream &out);
    // One line each, whatever the database's message spans.
    void problem(const QString &text) { m_problems << text.simplified(); }

    platform::AppPaths m_paths;
    QStringList m_problems;
};
