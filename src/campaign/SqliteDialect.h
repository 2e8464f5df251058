#pragma once

#include <QList>
#include <QString>
#include <functional>

// Translates the SQL Server features the program's statements use into
// SQLite: TOP n, GETDATE(), convert(int, x), len(x), and UPDATE … FROM …
// (with or without INNER JOIN). When the first table of a TOP n … ORDER BY
// join has an index in that order, it is made to drive the join (INNER JOIN
// becomes CROSS JOIN, the same join in SQLite): SQLite's planner does not
// weigh the limit and would sort every row of the join to keep n.
// Anything else passes unchanged; a use of these features it cannot
// translate is refused, never half-translated.
namespace sqlitedialect {

// One term of an ORDER BY: a column, without brackets or table prefix.
struct OrderTerm {
    QString column;
    bool descending = false;
    friend bool operator==(const OrderTerm &, const OrderTerm &) = default;
};
// Whether `table` (without brackets) has an index that reads `terms` in order.
using OrderedIndex = std::function<bool(const QString &table, const QList<OrderTerm> &terms)>;

struct Result {
    bool ok = true;
    QString sql;
    QString error;
};

Result rewrite(const QString &sqlServer, const OrderedIndex &orderedIndex = {});

} // namespace sqlitedialect
