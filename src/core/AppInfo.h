#pragma once

#include <QString>

// The program's name and version as the caption and reports show them.
namespace appinfo {

inline QString title()
{
    return QStringLiteral("Vastel Quorin DB Server");
}

inline QString version()
{
    return QStringLiteral("%1.%2.%3").arg(QUORIN_VERSION_MAJOR).arg(QUORIN_VERSION_MINOR).arg(QUORIN_VERSION_PATCH);
}

// The commit the program was built from ("-dirty" with changes not
// committed, "unknown" outside a git checkout); written at build time.
QString buildCommit();

// What --version prints.
inline QString versionLine()
{
    return QStringLiteral("quorin-db-server ") + version() + QStringLiteral(" (commit ") + buildCommit()
        + QStringLiteral(")");
}

} // namespace appinfo
