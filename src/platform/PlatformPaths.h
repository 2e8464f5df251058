#pragma once

#include <QString>

namespace platform {

// Where the program's files live. The original fixed some of them to a
// Windows drive; elsewhere they default to folders under the application's.
struct AppPaths {
    QString appDir;    // settings file, templates, web/, js/, daily logs
    QString sharedDir; // shared database settings, ORDER BY file, tile layout
    QString rootDir;   // DEBUG.TXT and DEBUG-AGGDB.LOG
};

QString defaultSharedDir(const QString &appDir);
QString defaultRootDir(const QString &appDir);

// Returns the existing entry of `dir` whose name equals `name` ignoring case,
// or dir/name when there is none. Keeps Windows file-name semantics on
// case-sensitive file systems.
QString resolveFile(const QString &dir, const QString &name);

// The path as the user would type it on this system.
QString displayPath(const QString &path);

} // namespace platform
