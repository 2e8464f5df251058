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
    bool literal = false;
    QChar closing; // of a bracketed or double-quoted name
    for (qsizetype i = 0; i < at && i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!closing.isNull()) {
            if (c == closing)
                closing = QChar();
        } else if (c == QLatin1Char('\'')) {
            literal = !literal; // a doubled quote inside a literal toggles twice
        } else if (!literal && c == QLatin1Char('[')) {
            closing = QLatin1Char(']');
        } else if (!literal && c == QLatin1Char('"')) {
            closing = QLatin1Char('"');
        }
    }
    return literal;
}

bool isSafeCode(const QString &value)
{
    if (value.isEmpty())
        return false;
    const qsizetype first = value[0] == QLatin1Char('-') ? 1 : 0;
    bool digits = first < value.size();
    bool word = first == 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        const bool digit = c >= u'0' && c <= u'9';
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        if (i >= first && !digit)
            digits = false;
        if (!digit && !letter)
            word = false;
    }
    return digits || word;
}

Filled fillPlaceholder(const QString &sql, const QString &placeholder, const QString &value)
{
    const qsizetype at = sql.indexOf(placeholder);
    if (at < 0)
        return {true, sql, {}};
    if (insideLiteral(sql, at))
        return {true, sql.left(at) + escaped(value) + sql.mid(at + placeholder.size()), {}};
    if (!isSafeCode(value))
        return {false, {}, QStringLiteral("valore rifiutato per ") + placeholder + QStringLiteral(" senza apici: \"") + value
                               + QLatin1Char('"')};
    return {true, sql.left(at) + value + sql.mid(at + placeholder.size()), {}};
}

} // namespace sqltext
