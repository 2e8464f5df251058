#include "campaign/Captions.h"

#include <array>

namespace captions {

QString outcome(qint64 code)
{
    static constexpr std::array<const char *, 12> names = {"Esiti Rx", "non trov.", "segreter.", "Fax",
                                                           "nr.errato", "abb.ring", "abb.risp.", "-> Oper.",
                                                           "occupato", "err.ricon.", "linee full", "-> pbx"};
    return code >= 0 && code < 12 ? QString::fromLatin1(names[static_cast<std::size_t>(code)]) : QString();
}

QString flag(qint64 state)
{
    static constexpr std::array<const char *, 4> names = {"Da inviare a Quorin", "Inviato a Quorin",
                                                          "Scartato da Quorin", "Passato ad Operatore"};
    return state >= 0 && state < 4 ? QString::fromLatin1(names[static_cast<std::size_t>(state)]) : QString();
}

} // namespace captions
