#pragma once

#include <QString>

// Translates the SQL Server features the program's statements use into
// SQLite: TOP n, GETDATE(), convert(int, x), len(x), and UPDATE … FROM …
// (with or without INNER JOIN). Anything else passes unchanged; a use of
// these features it cannot translate is refused, never half-translated.
namespace sqlitedialect {

struct Result {
    bool ok = true;
    QString sql;
    QString error;
};

Result rewrite(const QString &sqlServer);

} // namespace sqlitedialect
