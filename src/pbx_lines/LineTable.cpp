#include "pbx_lines/LineTable.h"

#include "core/TextFormats.h"


LineTable::LineTable(QObject *parent) : QObject(parent) {}

QString LineTable::stateName(int code)
{
    static const std::map<int, const char *> names = {
        {0, "Libera per ricevere"},      {1, "Chiamata da interna"},  {2, "Chiamata da esterna"},
        {3, "Chiama una interna"},       {4, "Chiama una esterna"},   {5, "Connessa con interna"},
        {6, "Connessa con esterna"},     {7, "Connessa in conference"}, {10, "Libera per ricevere e/o chiamare"},
        {12, "In attesa (hold)"},        {96, "Impegno linea"},       {97, "Sconosciuto"},
        {98, "Non disponibile"},         {99, "Errore"},              {100, "Disabilitata"},
        {101, "Cancellata"}};
    const auto it = names.find(code);
    return it == names.end() ? QString() : QString::fromUtf8(it->second);
}

QString LineTable::stateColour(int code)
{
    static const std::map<int, const char *> colours = {{0, "#00FF00"},  {1, "#8080FF"}, {2, "#0000C0"}, {3, "#FF80FF"},
                                                        {4, "#C000C0"},  {5, "#FFFF00"}, {6, "#C0C000"}, {10, "#FF8080"},
                                                        {12, "#800000"}, {96, "#008000"}};
    const auto it = colours.find(code);
    return QString::fromLatin1(it == colours.end() ? "#C0C0C0" : it->second);
}

void LineTable::setLines(int lines)
{
    int n = lines <= 0 ? kDefaultLines : lines;
    n = (n + 9) / 10 * 10;
    m_lines = std::min(n, kRows);
}

const LineTable::Row &LineTable::row(int line) const
{
    static const Row empty{};
    return line >= kFirst && line < kFirst + kRows ? m_rows[line - kFirst] : empty;
}

bool LineTable::setState(int line, int code)
{
    if (!shown(line) || code < 0 || code >= kStates)
        return false;
    Row &r = m_rows[line - kFirst];
    r.tooltip = QStringLiteral("[ ") + QString::number(line) + QStringLiteral(" ] STATO = ") + QString::number(code)
        + QLatin1Char(' ') + stateName(code);
    r.state = QString::number(code);
    Q_EMIT lineChanged(line);
    return true;
}

int LineTable::stateOf(int line) const
{
    return int(textformats::leadingInteger(row(line).state));
}

std::map<int, int> LineTable::totals() const
{
    std::map<int, int> out;
    for (int line = kFirst; shown(line); ++line)
        ++out[stateOf(line)];
    return out;
}
