#include "core/SqlTemplates.h"

namespace sqltemplates {
namespace {

const QString kSelect = QStringLiteral("SELECT ");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

bool isComment(const QString &line)
{
    for (const QChar c : line) {
        if (isBlank(c))
            continue;
        return c == QLatin1Char(';') || c == QLatin1Char('#') || c == QLatin1Char('\'');
    }
    return false;
}

// Trims blanks only, as the original does: tabs and line ends inside stay.
QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

void dropLeadingSelect(QString &text)
{
    if (text.left(kSelect.size()).compare(kSelect, Qt::CaseInsensitive) == 0)
        text.remove(0, kSelect.size());
}

} // namespace

const std::array<QString, TemplateCount> &fileNames()
{
    static const std::array<QString, TemplateCount> names = {
        QStringLiteral("SQL_EXT.TXT"),
        QStringLiteral("SQL_OP_EXT.TXT"),
        QStringLiteral("SQL_CONTA_EXT.TXT"),
        QStringLiteral("SQL_AUTO_EXT.TXT"),
        QStringLiteral("SQL_LIBERAGRUPPO_EXT.TXT"),
        QStringLiteral("SQL_LIBERAOPERATORE_EXT.TXT"),
        QStringLiteral("SQL_RIEP_EXT.TXT"),
        QStringLiteral("SQL_CONTAPROB_EXT.TXT"),
    };
    return names;
}

QStringList splitLines(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString joinLines(const QStringList &lines)
{
    QString out;
    for (const QString &line : lines) {
        if (line.isEmpty())
            out += QLatin1Char(' ');
        else if (!isComment(line))
            out += QLatin1Char(' ') + line;
    }
    return trimBlanks(out);
}

void normaliseClientiGruppo(QString &text, QString &orderBy)
{
    if (text.size() < 30) {
        text.clear();
        return;
    }
    orderBy.clear();
    dropLeadingSelect(text);
}

void normaliseClientiOperatore(QString &text)
{
    if (text.size() < 10) {
        text.clear();
        return;
    }
    dropLeadingSelect(text);
}

} // namespace sqltemplates
