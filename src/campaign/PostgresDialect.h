#pragma once

#include "campaign/SqlDialect.h"

// SQL Server statements for PostgreSQL. Unquoted names fold to lower case
// there, so [Bracketed Names] become "bracketed names": a database whose
// tables and columns are named in lower case (as the demo database is)
// answers to every spelling the templates use, as SQL Server's
// case-insensitive collation does.
namespace postgresdialect {

sqldialect::Result rewrite(const QString &sqlServer);

} // namespace postgresdialect
