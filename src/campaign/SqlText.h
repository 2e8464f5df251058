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

} // namespace sqltext
