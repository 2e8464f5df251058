#pragma once

#include "campaign/SqlDialect.h"

// SQL Server statements for SQLite. SQLite's planner does not weigh the
// limit of a TOP n … ORDER BY join and would sort every row of the join to
// keep n, so the caller says which tables have an index in that order.
namespace sqlitedialect {

using sqldialect::OrderedIndex;
using sqldialect::OrderTerm;
using sqldialect::Result;

Result rewrite(const QString &sqlServer, const OrderedIndex &orderedIndex = {});

} // namespace sqlitedialect
