#pragma once

#include <QList>
#include <QString>
#include <functional>

// Translates the SQL Server features the program's statements and the
// installation's templates use, for a backend that lacks them: TOP n,
// GETDATE(), convert(int, x), len(x), ISNULL(a, b), "+" beside a text
// literal, UPDATE … FROM … (with or without INNER JOIN), and, where unquoted
// names fold to lower case, [bracketed names]. When the first table of a
// TOP n … ORDER BY join has an index in that order (as `orderedIndex`
// says), it is made to drive the join (INNER JOIN becomes CROSS JOIN).
// Where Null sorts above every value, each ORDER BY term and each key of a
// CREATE INDEX says where Null goes, as SQL Server has it: first when
// ascending, last when descending. Anything else passes unchanged; a use of
// these features it cannot translate is refused, never half-translated.
namespace sqldialect {

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

// What differs between the backends.
struct Target {
    QString now;            // for GETDATE(): the local date and time
    QString rowId;          // the hidden address of a row
    bool foldNames = false; // [Name] becomes "name"
    bool nullsHigh = false; // Null sorts after every value unless told otherwise
};

Result rewrite(const QString &sqlServer, const Target &target, const OrderedIndex &orderedIndex = {});

} // namespace sqldialect
