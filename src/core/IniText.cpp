#include "core/IniText.h"

#include <QStringList>
#include <optional>

namespace initext {
namespace {

const QString kEol = QStringLiteral("\r\n");

QStringList splitLines(const QString &text)
{
    QString normalised = text;
    normalised.replace(kEol, QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalised.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString &line, const QString &key)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? t : t.left(eq).trimmed();
    return !name.isEmpty() && name.compare(key, Qt::CaseInsensitive) == 0;
}

QString unquoted(const QString &v)
{
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
        && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

// Index range [first, end) of the lines belonging to `section`, or -1.
std::pair<qsizetype, qsizetype> findSection(const QStringList &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name || name->compare(section, Qt::CaseInsensitive) != 0)
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !sectionName(lines[end]))
            ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

} // namespace

QString value(const QString &text, const QString &section, const QString &key)
{
    const QStringList lines = splitLines(text);
    const auto [first, end] = findSection(lines, section);
    for (qsizetype i = first; first >= 0 && i < end; ++i) {
        if (!isKeyLine(lines[i], key))
            continue;
        const qsizetype eq = lines[i].indexOf(QLatin1Char('='));
        if (eq < 0)
            return QString();
        return unquoted(lines[i].mid(eq + 1).trimmed()).left(kMaxValueLength);
    }
    return QString();
}

QList<Line> lines(const QString &text)
{
    QList<Line> out;
    QString section;
    const QStringList all = splitLines(text);
    for (qsizetype i = 0; i < all.size(); ++i) {
        Line l;
        l.number = int(i + 1);
        const QString t = all[i].trimmed();
        if (const auto name = sectionName(t)) {
            section = *name;
            l.kind = Line::Kind::Section;
        } else if (!t.isEmpty() && t.startsWith(QLatin1Char(';'))) {
            l.kind = Line::Kind::Comment;
        } else if (!t.isEmpty()) {
            const qsizetype eq = t.indexOf(QLatin1Char('='));
            l.kind = eq < 0 ? Line::Kind::NoEquals : Line::Kind::Setting;
            l.key = eq < 0 ? t : t.left(eq).trimmed();
            if (eq >= 0)
                l.value = unquoted(t.mid(eq + 1).trimmed()).left(kMaxValueLength);
        }
        l.section = section;
        out.append(l);
    }
    return out;
}

QString withValue(const QString &text, const QString &section, const QString &key, const QString &value)
{
    QStringList lines = splitLines(text);
    const QString entry = key + QLatin1Char('=') + value;
    auto [first, end] = findSection(lines, section);
    if (first < 0) {
        if (value.isEmpty())
            return text;
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
        return lines.join(kEol) + kEol;
    }
    for (qsizetype i = first; i < end; ++i) {
        if (!isKeyLine(lines[i], key))
            continue;
        if (value.isEmpty())
            lines.removeAt(i);
        else
            lines[i] = entry;
        return lines.join(kEol) + kEol;
    }
    if (value.isEmpty())
        return text;
    // New keys go after the section's last non-blank line.
    qsizetype at = end;
    while (at > first && lines[at - 1].trimmed().isEmpty())
        --at;
    lines.insert(at, entry);
    return lines.join(kEol) + kEol;
}

} // namespace initext
