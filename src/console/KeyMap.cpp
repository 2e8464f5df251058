#include "console/KeyMap.h"

#include "wire/AnsiCodec.h"

#include <QHash>

namespace keymap {

QByteArray bytesFor(int key, const QString &text, bool ctrl)
{
    switch (key) {
    case Qt::Key_Up:
        return "\x1b[A";
    case Qt::Key_Down:
        return "\x1b[B";
    case Qt::Key_Right:
        return "\x1b[C";
    case Qt::Key_Left:
        return "\x1b[D";
    case Qt::Key_Home:
        return "\x1b[H";
    case Qt::Key_End:
        return "\x1b[K";
    case Qt::Key_F1:
        return "\x1bOP";
    case Qt::Key_F2:
        return "\x1bOQ";
    case Qt::Key_F3:
        return "\x1bOR";
    case Qt::Key_F4:
        return "\x1bOS";
    default:
        break;
    }
    if (ctrl && key > 64 && key < 128) // Ctrl+@ would give only a NUL: nothing
        return QByteArray(1, char(key - 64));
    if (ctrl && key == 64)
        return {};
    if (key == Qt::Key_Return || key == Qt::Key_Enter || text == QStringLiteral("\r"))
        return "\r\n";
    const QByteArray bytes = ansi::encode(text);
    if (bytes.isEmpty() || bytes == QByteArray(1, '\0'))
        return {};
    return bytes;
}

bool byName(const QString &name, int &key, QString &text, bool &ctrl)
{
    static const QHash<QString, int> keys{
        {QStringLiteral("up"), Qt::Key_Up},       {QStringLiteral("down"), Qt::Key_Down},     {QStringLiteral("right"), Qt::Key_Right},
        {QStringLiteral("left"), Qt::Key_Left},   {QStringLiteral("home"), Qt::Key_Home},     {QStringLiteral("end"), Qt::Key_End},
        {QStringLiteral("f1"), Qt::Key_F1},       {QStringLiteral("f2"), Qt::Key_F2},         {QStringLiteral("f3"), Qt::Key_F3},
        {QStringLiteral("f4"), Qt::Key_F4},       {QStringLiteral("enter"), Qt::Key_Return},  {QStringLiteral("tab"), Qt::Key_Tab},
        {QStringLiteral("backspace"), Qt::Key_Backspace}, {QStringLiteral("esc"), Qt::Key_Escape}};
    static const QHash<int, QString> typed{{Qt::Key_Tab, QStringLiteral("\t")},
                                           {Qt::Key_Backspace, QStringLiteral("\b")},
                                           {Qt::Key_Escape, QStringLiteral("\x1b")},
                                           {Qt::Key_Return, QStringLiteral("\r")}};
    const QString lower = name.trimmed().toLower();
    ctrl = false;
    text.clear();
    if (lower.startsWith(QStringLiteral("ctrl+")) && lower.size() == 6 && lower[5].unicode() < 128) {
        ctrl = true;
        key = lower[5].toUpper().unicode();
        return true;
    }
    const auto it = keys.find(lower);
    if (it == keys.end())
        return false;
    key = *it;
    text = typed.value(key);
    return true;
}

} // namespace keymap
