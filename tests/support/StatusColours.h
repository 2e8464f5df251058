#pragma once

// The colours the status page gives an extension and a line, written out
// here from the page's legend, to check the page, the tiles and the
// pictures against.
#include <QColor>
#include <QMap>
#include <QString>

#include "telephony_sim/SimBytes.h"

// The page's colour attribute for what the simulator last said of an
// extension (empty: a plain cell without colour).
inline QString pageColour(const simbytes::Extension &e)
{
    if (e.agent.isEmpty())
        return {};
    if (e.actionState == QStringLiteral("BUSY"))
        return QStringLiteral("#00FFFF");
    if (e.actionState == QStringLiteral("HANDSHAKE"))
        return QStringLiteral("#800080");
    if (e.logState == QStringLiteral("PAUSED"))
        return QStringLiteral("#FF0000");
    if (e.logState == QStringLiteral("WORKING"))
        return QStringLiteral("#FFFF");
    if (e.logState == QStringLiteral("WORKAFTERC"))
        return QStringLiteral("#008080");
    return QStringLiteral("#00FF00");
}

inline QString lineColour(int state)
{
    static const QMap<int, QString> colours{{0, QStringLiteral("#00FF00")}, {1, QStringLiteral("#8080FF")},
                                            {2, QStringLiteral("#0000C0")}, {3, QStringLiteral("#FF80FF")},
                                            {4, QStringLiteral("#C000C0")}, {5, QStringLiteral("#FFFF00")},
                                            {6, QStringLiteral("#C0C000")}, {10, QStringLiteral("#FF8080")},
                                            {12, QStringLiteral("#800000")}, {96, QStringLiteral("#008000")}};
    return colours.value(state, QStringLiteral("#C0C0C0"));
}

// What is drawn for a colour attribute: the legacy "#FFFF" is yellow, no
// colour the window's grey.
inline QColor drawn(const QString &attribute)
{
    if (attribute.isEmpty())
        return QColor(0xD4, 0xD0, 0xC8);
    return attribute == QStringLiteral("#FFFF") ? QColor(0xFF, 0xFF, 0x00) : QColor::fromString(attribute);
}
