#include "campaign/SqlText.h"

namespace sqltext {

QString parteFrom(const QString &text)
{
    const qsizetype at = text.toUpper().indexOf(QStringLiteral("FROM "));
    return at < 0 ? text : text.mid(at);
}

QString togliOrderBy(const QString &text)
{
    const qsizetype at = text.toUpper().indexOf(QStringLiteral("ORDER BY"));
    return at < 0 ? text : text.left(at);
}

QString countStatement(const QString &templ)
{
    return QStringLiteral("SELECT count(*) ") + togliOrderBy(parteFrom(templ));
}

QString replaceFirst(const QString &text, const QString &placeholder, const QString &value)
{
    const qsizetype at = text.indexOf(placeholder);
    if (at < 0)
        return text;
    return text.left(at) + value + text.mid(at + placeholder.size());
}

QString escaped(const QString &value)
{
    QString v = value;
    v.remove(QChar(u'\0'));
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return v;
}

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + escaped(value) + QLatin1Char('\'');
}

bool insideLiteral(const QString &sql, qsizetype at)
{
    enum { Code, Literal, Name, LineComment, BlockComment } state = Code;
    QChar closing; // of a bracketed or double-quoted name
    for (qsizetype i = 0; i < at && i < sql.size(); ++i) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        switch (state) {
        case Code:
            if (c == QLatin1Char('\''))
                state = Literal;
            else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
                state = Name;
                closing = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
                state = LineComment;
                ++i;
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                state = BlockComment;
                ++i;
            }
            break;
        case Literal: // a doubled quote closes and reopens: the same in the end
            if (c == QLatin1Char('\''))
                state = Code;
            break;
        case Name:
            if (c == closing)
                state = Code;
            break;
        case LineComment:
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                state = Code;
            break;
        case BlockComment:
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                state = Code;
                ++i;
            }
            break;
        }
    }
    return state == Literal;
}

bool isNumber(const QString &value)
{
    const qsizetype first = value.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (first >= value.size())
        return false;
    for (qsizetype i = first; i < value.size(); ++i) {
        if (value[i] < QLatin1Char('0') || value[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool isSafeCode(const QString &value)
{
    if (value.isEmpty())
        return false;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_'))
            return false;
    }
    return true;
}

Filled fillPlaceholder(const QString &sql, const QString &placeholder, const QString &value, bool numbersQuoted)
{
    const qsizetype at = sql.indexOf(placeholder);
    if (at < 0)
        return {true, sql, {}};
    const auto put = [&](const QString &text) { return sql.left(at) + text + sql.mid(at + placeholder.size()); };
    if (insideLiteral(sql, at))
        return {true, put(escaped(value)), {}};
    // Outside quotes a number stands as it is; a code goes in as a text
    // literal, so that it can never name a column; anything else is refused.
    if (isNumber(value)) {
        if (numbersQuoted)
            return {true, put(quoted(value)), {}};
        // After a "-" a negative number would start a comment ("--1") that
        // hides the rest of the line.
        const bool afterMinus = at > 0 && sql[at - 1] == QLatin1Char('-') && value.startsWith(QLatin1Char('-'));
        return {true, put(afterMinus ? QLatin1Char(' ') + value : value), {}};
    }
    if (isSafeCode(value))
        return {true, put(quoted(value)), {}};
    return {false, {}, QStringLiteral("valore rifiutato per ") + placeholder + QStringLiteral(" senza apici: \"") + value
                           + QLatin1Char('"')};
}

} // namespace sqltext
