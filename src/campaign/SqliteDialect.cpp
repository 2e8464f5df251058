#include "campaign/SqliteDialect.h"

namespace sqlitedialect {

Result rewrite(const QString &sqlServer, const OrderedIndex &orderedIndex)
{
    // SQLite takes [names] as SQL Server does.
    static const sqldialect::Target sqlite{QStringLiteral("datetime('now','localtime')"), QStringLiteral("rowid"), false};
    return sqldialect::rewrite(sqlServer, sqlite, orderedIndex);
}

} // namespace sqlitedialect
