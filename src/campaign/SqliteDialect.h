#pragma once

#include <QString>

// Translates the SQL Server features the program's statements use into
// SQLite: TOP n, GETDATE(), convert(int, x), len(x), and UPDATE … FROM …
// (with or without INNER JOIN). A TOP n with ORDER BY also makes its first
// table drive the join (INNER JOIN becomes CROSS JOIN, the same join), so an
// index in that order serves the first n rows without sorting them all.
// Anything else passes unchanged; a use of these features it cannot
// translate is refused, never half-translated.
namespace sqlitedialect {

struct Result {
    bool ok = true;
    QString sql;
    QString error;
};

Result rewrite(const QString &sqlServer);

} // namespace sqlitedialect
