#pragma once

#include <QString>

// Text functions over SQL statements and the template placeholders.
namespace sqltext {

// ParteFrom: from the first "FROM " (any case) to the end; unchanged when absent.
QString parteFrom(const QString &text);
// TogliOrderBy: the text before the first "ORDER BY" (any case).
QString togliOrderBy(const QString &text);
// The count statement of the test entries: "SELECT count(*) " and the
// template's FROM part without its ordering.
QString countStatement(const QString &templ);

// Replaces only the first occurrence of `placeholder` ("##", "#ora1#",
// "#ora2#"); nothing happens when it does not occur.
QString replaceFirst(const QString &text, const QString &placeholder, const QString &value);

// A text value made inert for a statement: NULs removed, quotes doubled,
// enclosed in single quotes.
QString quoted(const QString &value);
// The same without the enclosing quotes, for templates that carry their own.
QString escaped(const QString &value);

// True when position `at` of `sql` lies inside a quoted text literal (not in
// a comment, a bracketed or a double-quoted name).
bool insideLiteral(const QString &sql, qsizetype at);
// An integer, optionally negative.
bool isNumber(const QString &value);
// A code of letters, digits and underscores.
bool isSafeCode(const QString &value);

// The one way a value from the wire, a prompt or a file enters a template's
// text: the first `placeholder` is replaced by `value`. Inside quotes it is
// escaped. Outside them a number goes in as it is, a safe code as a quoted
// text (never a column name), and anything else is refused: a template with
// "=##" must not turn "0 OR 1=1" into SQL. With `numbersQuoted` a number
// outside quotes goes in quoted too: PostgreSQL takes that untyped literal
// for a number or a text alike, as SQL Server converts one to the other,
// where a bare number against a text column is an error.
struct Filled {
    bool ok = true;
    QString sql;
    QString error;
};
Filled fillPlaceholder(const QString &sql, const QString &placeholder, const QString &value, bool numbersQuoted = false);

} // namespace sqltext
