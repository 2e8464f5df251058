#include "core/Redaction.h"

namespace redaction {
namespace {

QChar charAt(const QString &text, qsizetype i)
{
    return i >= 0 && i < text.size() ? text[i] : QChar();
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Where a value that starts at `from` ends: after its closing quote or
// brace (doubled, they stand for themselves), else at ';' or a line end.
qsizetype valueEnd(const QString &text, qsizetype from)
{
    const QChar first = charAt(text, from);
    const QChar close = first == QLatin1Char('{') ? QLatin1Char('}') : first;
    if (first == QLatin1Char('"') || first == QLatin1Char('\'') || first == QLatin1Char('{')) {
        qsizetype i = from + 1;
        while (i < text.size()) {
            if (text[i] == close) {
                if (charAt(text, i + 1) != close)
                    return i + 1;
                ++i; // doubled
            }
            ++i;
        }
        return text.size(); // never closed: all of it
    }
    qsizetype i = from;
    while (i < text.size() && text[i] != QLatin1Char(';') && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
        ++i;
    while (i > from && text[i - 1] == QLatin1Char(' '))
        --i; // blanks before ';' are not the password's
    return i;
}

// The key ending at `keyEnd` is followed by '=': where its value starts,
// or -1.
qsizetype valueStart(const QString &text, qsizetype keyEnd)
{
    qsizetype i = keyEnd;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    if (i >= text.size() || text[i] != QLatin1Char('='))
        return -1;
    ++i;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    return i;
}

void hideKeyValues(QString &text, QLatin1String key)
{
    qsizetype at = 0;
    while ((at = text.indexOf(key, at, Qt::CaseInsensitive)) >= 0) {
        const qsizetype keyEnd = at + key.size();
        const bool whole = (at == 0 || !isNameChar(text[at - 1])) && (keyEnd >= text.size() || !isNameChar(text[keyEnd]));
        const qsizetype start = whole ? valueStart(text, keyEnd) : -1;
        if (start < 0) {
            at = keyEnd;
            continue;
        }
        const qsizetype end = valueEnd(text, start);
        if (end > start)
            text.replace(start, end - start, kHidden);
        at = start + (end > start ? kHidden.size() : 0);
    }
}

bool endsAuthority(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('?') || c == QLatin1Char('#') || c.isSpace() || c == QLatin1Char('"')
        || c == QLatin1Char('\'') || c == QLatin1Char(';') || c == QLatin1Char('>');
}

void hideUrlPasswords(QString &text)
{
    qsizetype at = 0;
    while ((at = text.indexOf(QLatin1String("://"), at)) >= 0) {
        const qsizetype user = at + 3;
        qsizetype end = user;
        while (end < text.size() && !endsAuthority(text[end]))
            ++end;
        const qsizetype atSign = text.lastIndexOf(QLatin1Char('@'), end - 1);
        const qsizetype colon = atSign >= user ? text.indexOf(QLatin1Char(':'), user) : -1;
        if (colon >= 0 && colon < atSign && atSign - colon > 1) {
            text.replace(colon + 1, atSign - colon - 1, kHidden);
            end = colon + 1 + kHidden.size() + 1;
        }
        at = std::max(end, user);
    }
}

} // namespace

QString hidePasswords(const QString &text)
{
    // Most lines hold none of these: they go through untouched.
    const bool keys = text.contains(QLatin1String("pw"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("password"), Qt::CaseInsensitive);
    const bool url = text.contains(QLatin1String("://"));
    if (!keys && !url)
        return text;
    QString out = text;
    if (keys) {
        hideKeyValues(out, QLatin1String("password"));
        hideKeyValues(out, QLatin1String("pwd"));
    }
    if (url)
        hideUrlPasswords(out);
    return out;
}

} // namespace redaction
