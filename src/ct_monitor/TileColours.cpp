#include "ct_monitor/TileColours.h"

namespace tilecolours {

QString extension(const ExtensionTable::Row &r)
{
    using T = ExtensionTable;
    if (r[T::Agent].isEmpty())
        return {};
    if (r[T::ActionState] == QStringLiteral("BUSY"))
        return QStringLiteral("#00FFFF");
    if (r[T::ActionState] == QStringLiteral("HANDSHAKE"))
        return QStringLiteral("#800080");
    if (r[T::LogState] == QStringLiteral("PAUSED"))
        return QStringLiteral("#FF0000");
    if (r[T::LogState] == QStringLiteral("WORKING"))
        return QStringLiteral("#FFFF00");
    if (r[T::LogState] == QStringLiteral("WORKAFTERC"))
        return QStringLiteral("#008080");
    return QStringLiteral("#00FF00");
}

QString fromBgr(quint32 bgr)
{
    const quint32 red = bgr & 0xFF, green = (bgr >> 8) & 0xFF, blue = (bgr >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString legend(int index)
{
    // &HFF, &HFF00, &HFF0000, &HC0C0, &HFFFF00, &HFF8080 for elements 3 to 8.
    static const quint32 colours[] = {0xFF, 0xFF00, 0xFF0000, 0xC0C0, 0xFFFF00, 0xFF8080};
    return index >= 3 && index <= 8 ? fromBgr(colours[index - 3]) : QString();
}

} // namespace tilecolours
