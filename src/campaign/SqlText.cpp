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

} // namespace sqltext
