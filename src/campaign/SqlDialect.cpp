#include "campaign/SqlDialect.h"

#include <QList>

namespace sqldialect {
namespace {

struct Token {
    enum Kind { Word, Bracket, String, Number, Punct, Space } kind;
    QString text;
    bool is(const char *word) const { return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
    bool punct(char c) const { return kind == Punct && text.size() == 1 && text[0] == QLatin1Char(c); }
};

using Tokens = QList<Token>;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('@')
        || c == QLatin1Char('$');
}

Tokens tokenize(const QString &s, QString &error)
{
    Tokens out;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        Token::Kind kind = Token::Punct;
        if (c.isSpace()) {
            while (j < s.size() && s[j].isSpace())
                ++j;
            kind = Token::Space;
        } else if (c == QLatin1Char('\'')) {
            for (;; ++j) {
                if (j >= s.size()) {
                    error = QStringLiteral("unterminated string");
                    return {};
                }
                if (s[j] == QLatin1Char('\'')) {
                    if (j + 1 < s.size() && s[j + 1] == QLatin1Char('\'')) {
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
            }
            kind = Token::String;
        } else if (c == QLatin1Char('[')) {
            j = s.indexOf(QLatin1Char(']'), i);
            if (j < 0) {
                error = QStringLiteral("unterminated [name]");
                return {};
            }
            ++j;
            kind = Token::Bracket;
        } else if (c.isDigit()) {
            while (j < s.size() && (s[j].isDigit() || s[j] == QLatin1Char('.')))
                ++j;
            kind = Token::Number;
        } else if (isWordChar(c)) {
            while (j < s.size() && isWordChar(s[j]))
                ++j;
            kind = Token::Word;
        }
        out.append({kind, s.mid(i, j - i)});
        i = j;
    }
    return out;
}

qsizetype skipSpace(const Tokens &t, qsizetype i)
{
    while (i < t.size() && t[i].kind == Token::Space)
        ++i;
    return i;
}

// Index of the ")" that closes the "(" at `open`, or -1.
qsizetype closing(const Tokens &t, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < t.size(); ++i) {
        if (t[i].punct('('))
            ++depth;
        else if (t[i].punct(')') && --depth == 0)
            return i;
    }
    return -1;
}

QString join(const Tokens &t, qsizetype from, qsizetype to)
{
    QString out;
    for (qsizetype i = from; i < to; ++i)
        out += t[i].text;
    return out;
}

class Rewriter {
public:
    explicit Rewriter(const Target &target) : m_target(target) {}
    QString error;

    // Rewrites the functions in t[from, to); `depth` is the nesting level.
    QString functions(const Tokens &t, qsizetype from, qsizetype to, int depth)
    {
        QString out;
        for (qsizetype i = from; i < to && error.isEmpty(); ++i) {
            const Token &tok = t[i];
            const qsizetype next = skipSpace(t, i + 1);
            const bool call = next < to && t[next].punct('(');
            if (tok.is("GETDATE") && call) {
                const qsizetype close = skipSpace(t, next + 1);
                if (close >= to || !t[close].punct(')')) {
                    error = QStringLiteral("GETDATE takes no argument");
                    break;
                }
                out += m_target.now;
                i = close;
            } else if (tok.is("len") && call) {
                out += QStringLiteral("length");
                i = next - 1;
            } else if (tok.is("isnull") && call) {
                out += QStringLiteral("COALESCE"); // ISNULL(a, b): the first that is not Null
                i = next - 1;
            } else if (tok.is("convert") && call) {
                i = convert(t, next, to, depth, out);
            } else if (tok.punct('+') && joinsText(t, from, i, to)) {
                out += QStringLiteral("||");
            } else if (tok.kind == Token::Bracket && m_target.foldNames) {
                out += folded(tok.text);
            } else if (tok.is("top")) {
                error = depth > 0 ? QStringLiteral("TOP inside a subquery") : QStringLiteral("TOP out of place");
            } else if (tok.punct('(')) {
                const qsizetype close = closing(t, i);
                if (close < 0 || close >= to) {
                    error = QStringLiteral("unbalanced parentheses");
                    break;
                }
                out += QLatin1Char('(') + functions(t, i + 1, close, depth + 1) + QLatin1Char(')');
                i = close;
            } else {
                out += tok.text;
            }
        }
        return out;
    }

private:
    // Unquoted names fold to lower case there: a quoted one must match them.
    static QString folded(const QString &bracketed)
    {
        return QLatin1Char('"') + bracketed.mid(1, bracketed.size() - 2).toLower().replace(QLatin1Char('"'), QStringLiteral("\"\""))
            + QLatin1Char('"');
    }

    // A "+" beside a text literal joins texts, as "||" does elsewhere.
    static bool joinsText(const Tokens &t, qsizetype from, qsizetype at, qsizetype to)
    {
        qsizetype before = at - 1;
        while (before >= from && t[before].kind == Token::Space)
            --before;
        const qsizetype after = skipSpace(t, at + 1);
        return (before >= from && t[before].kind == Token::String) || (after < to && t[after].kind == Token::String);
    }

    const Target &m_target;

    // convert(int, x) -> CAST(x AS INTEGER); returns the index of its ")".
    qsizetype convert(const Tokens &t, qsizetype open, qsizetype to, int depth, QString &out)
    {
        const qsizetype close = closing(t, open);
        const qsizetype type = skipSpace(t, open + 1);
        const qsizetype comma = skipSpace(t, type + 1);
        if (close < 0 || close >= to || type >= close || comma >= close || !t[comma].punct(',')) {
            error = QStringLiteral("convert(type, value) expected");
            return to;
        }
        if (!t[type].is("int")) {
            error = QStringLiteral("convert to ") + t[type].text + QStringLiteral(" is not supported");
            return to;
        }
        out += QStringLiteral("CAST(") + functions(t, comma + 1, close, depth + 1) + QStringLiteral(" AS INTEGER)");
        return close;
    }
};

// Index of the first depth-0 word `w` at or after `from`, or -1.
qsizetype findTop(const Tokens &t, const char *w, qsizetype from)
{
    int depth = 0;
    for (qsizetype i = from; i < t.size(); ++i) {
        if (t[i].punct('('))
            ++depth;
        else if (t[i].punct(')'))
            --depth;
        else if (depth == 0 && t[i].is(w))
            return i;
    }
    return -1;
}

QString trimmed(const QString &s)
{
    return s.trimmed();
}

QString bare(const QString &name)
{
    return name.startsWith(QLatin1Char('[')) ? name.mid(1, name.size() - 2) : name;
}

// The first table after the depth-0 FROM, or empty.
QString firstTable(const Tokens &t)
{
    const qsizetype from = findTop(t, "FROM", 0);
    if (from < 0)
        return {};
    const qsizetype name = skipSpace(t, from + 1);
    if (name >= t.size() || (t[name].kind != Token::Bracket && t[name].kind != Token::Word))
        return {};
    return bare(t[name].text);
}

// The terms of the depth-0 ORDER BY; empty when it holds anything but columns.
QList<OrderTerm> orderTerms(const Tokens &t)
{
    const qsizetype order = findTop(t, "ORDER", 0);
    if (order < 0)
        return {};
    const qsizetype by = skipSpace(t, order + 1);
    if (by >= t.size() || !t[by].is("BY"))
        return {};
    QList<OrderTerm> terms;
    OrderTerm term;
    bool named = false;
    for (qsizetype i = by + 1; i <= t.size(); ++i) {
        if (i == t.size() || t[i].punct(',')) {
            if (!named)
                return {};
            terms.append(term);
            term = {};
            named = false;
        } else if (t[i].is("DESC")) {
            term.descending = true;
        } else if (t[i].is("ASC") || t[i].kind == Token::Space || t[i].punct('.') || t[i].punct(';')) {
        } else if (t[i].kind == Token::Bracket || t[i].kind == Token::Word) {
            term.column = bare(t[i].text); // the last name: "t.[col]" gives col
            named = true;
        } else {
            return {}; // an expression: no index reads it in order
        }
    }
    return terms;
}

void firstTableDrives(Tokens &t)
{
    int depth = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].punct('('))
            ++depth;
        else if (t[i].punct(')'))
            --depth;
        else if (depth == 0 && t[i].is("INNER")) {
            const qsizetype next = skipSpace(t, i + 1);
            if (next < t.size() && t[next].is("JOIN"))
                t[i].text = QStringLiteral("CROSS");
        }
    }
}

// Words that end an ORDER BY list at its own depth.
bool endsOrderList(const Token &tok)
{
    for (const char *w : {"LIMIT", "OFFSET", "FETCH", "FOR", "UNION", "EXCEPT", "INTERSECT", "ROWS", "RANGE", "GROUPS", "OPTION"}) {
        if (tok.is(w))
            return true;
    }
    return false;
}

// Each term of the list that starts at `from` and ends at a ")" of its own
// depth (or a word that ends an ORDER BY, with `orderBy`) says where Null
// goes, unless it does already: first when ascending, last when descending.
void nullsAsSqlServer(Tokens &t, qsizetype from, bool orderBy)
{
    int depth = 0;
    bool named = false; // the term says NULLS itself
    qsizetype start = from;
    for (qsizetype i = from;; ++i) {
        const bool end = i >= t.size()
            || (depth == 0 && (t[i].punct(')') || t[i].punct(';') || (orderBy && endsOrderList(t[i]))));
        if (!end) {
            if (t[i].punct('('))
                ++depth;
            else if (t[i].punct(')'))
                --depth;
            else if (depth == 0 && t[i].is("NULLS"))
                named = true;
            if (depth != 0 || !t[i].punct(','))
                continue;
        }
        qsizetype last = i - 1;
        while (last >= start && t[last].kind == Token::Space)
            --last;
        if (last >= start && !named) {
            const char *where = t[last].is("DESC") ? "LAST" : "FIRST";
            const Tokens nulls{{Token::Space, QStringLiteral(" ")}, {Token::Word, QStringLiteral("NULLS")},
                               {Token::Space, QStringLiteral(" ")}, {Token::Word, QString::fromLatin1(where)}};
            t = t.first(last + 1) + nulls + t.sliced(last + 1);
            i += nulls.size();
        }
        if (end)
            return;
        start = i + 1;
        named = false;
    }
}

// Every ORDER BY, at any depth, and the keys of a CREATE INDEX: an index
// then reads in the order the statements ask for.
void nullsAsSqlServer(Tokens &t)
{
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (!t[i].is("ORDER"))
            continue;
        const qsizetype by = skipSpace(t, i + 1);
        if (by < t.size() && t[by].is("BY"))
            nullsAsSqlServer(t, by + 1, true);
    }
    const qsizetype create = skipSpace(t, 0);
    if (create >= t.size() || !t[create].is("CREATE"))
        return;
    const qsizetype index = findTop(t, "INDEX", create);
    const qsizetype on = index < 0 ? -1 : findTop(t, "ON", index);
    for (qsizetype i = on < 0 ? t.size() : on; i < t.size(); ++i) {
        if (t[i].punct('(')) {
            nullsAsSqlServer(t, i + 1, false);
            return;
        }
    }
}

Result select(Tokens t, const Target &target, const OrderedIndex &orderedIndex)
{
    // SELECT [DISTINCT] TOP n ... -> SELECT [DISTINCT] ... LIMIT n
    QString limit;
    qsizetype i = skipSpace(t, 1);
    if (i < t.size() && t[i].is("DISTINCT"))
        i = skipSpace(t, i + 1);
    if (i < t.size() && t[i].is("top")) {
        const qsizetype n = skipSpace(t, i + 1);
        if (n >= t.size() || t[n].kind != Token::Number || t[n].text.contains(QLatin1Char('.')))
            return {false, {}, QStringLiteral("TOP needs a whole number")};
        const qsizetype after = skipSpace(t, n + 1);
        if (after < t.size() && t[after].is("PERCENT"))
            return {false, {}, QStringLiteral("TOP … PERCENT is not supported")};
        limit = t[n].text;
        t.remove(i, after - i);
        const QList<OrderTerm> terms = orderTerms(t);
        if (orderedIndex && !terms.isEmpty() && orderedIndex(firstTable(t), terms))
            firstTableDrives(t);
    }
    Rewriter r(target);
    QString sql = r.functions(t, 0, t.size(), 0);
    if (!r.error.isEmpty())
        return {false, {}, r.error};
    if (!limit.isEmpty()) {
        sql = trimmed(sql);
        if (sql.endsWith(QLatin1Char(';')))
            sql.chop(1);
        sql += QStringLiteral(" LIMIT ") + limit;
    }
    return {true, sql, {}};
}

Result update(const Tokens &t, const Target &target)
{
    const qsizetype from = findTop(t, "FROM", 0);
    Rewriter r(target);
    if (from < 0) {
        QString sql = r.functions(t, 0, t.size(), 0);
        return r.error.isEmpty() ? Result{true, sql, {}} : Result{false, {}, r.error};
    }
    const qsizetype set = findTop(t, "SET", 0);
    if (set < 0 || set > from)
        return {false, {}, QStringLiteral("UPDATE … SET … FROM expected")};
    const QString updated = trimmed(join(t, 1, set));
    const qsizetype firstTable = skipSpace(t, from + 1);
    if (firstTable >= t.size() || t[firstTable].text.compare(updated, Qt::CaseInsensitive) != 0)
        return {false, {}, QStringLiteral("UPDATE … FROM must name the updated table first")};
    const qsizetype where = findTop(t, "WHERE", from);
    // One of each at the top: a second one means the statement is not what
    // it seems, and rewriting its first part would leave the rest to chance.
    if (findTop(t, "FROM", from + 1) >= 0 || findTop(t, "SET", set + 1) >= 0
        || (where >= 0 && findTop(t, "WHERE", where + 1) >= 0))
        return {false, {}, QStringLiteral("UPDATE with more than one SET, FROM or WHERE")};
    const qsizetype fromEnd = where < 0 ? t.size() : where;
    QString sql = trimmed(r.functions(t, 0, from, 0));
    if (skipSpace(t, firstTable + 1) == fromEnd) {
        // UPDATE T SET … FROM T [WHERE …] -> UPDATE T SET … [WHERE …]
        if (where >= 0)
            sql += QStringLiteral(" WHERE ") + trimmed(r.functions(t, where + 1, t.size(), 0));
    } else {
        // UPDATE T SET … FROM T JOIN … [WHERE …]
        //   -> UPDATE T SET … WHERE rowid IN (SELECT T.rowid FROM T JOIN … [WHERE …])
        // (elsewhere FROM T would name a second copy of T, joined to every row)
        sql += QStringLiteral(" WHERE ") + target.rowId + QStringLiteral(" IN (SELECT ") + trimmed(r.functions(t, 1, set, 1))
            + QLatin1Char('.') + target.rowId + QStringLiteral(" FROM ") + trimmed(r.functions(t, firstTable, fromEnd, 1));
        if (where >= 0)
            sql += QStringLiteral(" WHERE ") + trimmed(r.functions(t, where + 1, t.size(), 1));
        sql += QLatin1Char(')');
    }
    if (!r.error.isEmpty())
        return {false, {}, r.error};
    return {true, sql, {}};
}

// A ")" before its "(" shifts every depth after it: a FROM or WHERE of a
// subquery would be taken for the statement's own.
bool strayClosing(const Tokens &t)
{
    int depth = 0;
    for (const Token &tok : t) {
        if (tok.punct('('))
            ++depth;
        else if (tok.punct(')') && --depth < 0)
            return true;
    }
    return false;
}

} // namespace

Result rewrite(const QString &sqlServer, const Target &target, const OrderedIndex &orderedIndex)
{
    QString error;
    Tokens t = tokenize(sqlServer, error);
    if (!error.isEmpty())
        return {false, {}, error};
    if (strayClosing(t))
        return {false, {}, QStringLiteral("unbalanced parentheses")};
    if (target.nullsHigh)
        nullsAsSqlServer(t);
    const qsizetype first = skipSpace(t, 0);
    // Blanks before the statement stay, as everything else that needs no translation.
    const auto led = [&](Result r) {
        if (r.ok)
            r.sql.prepend(join(t, 0, first));
        return r;
    };
    if (first < t.size() && t[first].is("SELECT"))
        return led(select(t.mid(first), target, orderedIndex));
    if (first < t.size() && t[first].is("UPDATE"))
        return led(update(t.mid(first), target));
    Rewriter r(target);
    QString sql = r.functions(t, 0, t.size(), 0);
    return r.error.isEmpty() ? Result{true, sql, {}} : Result{false, {}, r.error};
}

} // namespace sqldialect
