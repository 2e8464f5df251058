#include "core/SocketStates.h"

#include <array>

namespace socketstates {
namespace {

struct Row {
    const char *text;
    Colour colour;
};

constexpr std::array<Row, kStateCount> kRows = {{
    {"Socket chiusa", Colour::Red},
    {"Socket aperta", Colour::Blue},
    {"In ascolto", Colour::Magenta},
    {"Connessione pendente", Colour::Yellow},
    {"Risolvendo Host", Colour::Magenta},
    {"Host risolto", Colour::Magenta},
    {"Connettendo...", Colour::White},
    {"Connessione stabilita ", Colour::Green},
    {"chiudendo", Colour::Green},
    {"Errore", Colour::Black},
}};

} // namespace

Appearance appearance(int state, const QString &previousText)
{
    if (state < 0 || state >= static_cast<int>(kRows.size()))
        return {previousText, Colour::Magenta};
    const Row &row = kRows[static_cast<std::size_t>(state)];
    const QString suffix = state == kConnected ? QStringLiteral(" [OK]") : QStringLiteral(" [NON OK]");
    return {QString::fromLatin1(row.text) + suffix, row.colour};
}

} // namespace socketstates
