#include "console/KeyMap.h"

#include "wire/AnsiCodec.h"

#include <QHash>

namespace keymap {

namespace {
// What the cursor and function keys send.
struct Sequence {
    int key;
    const char *bytes;
};
constexpr Sequence kSequences[] = {{Qt::Key_Up, "\x1b[A"},   {Qt::Key_Down, "\x1b[B"}, {Qt::Key_Right, "\x1b[C"},
                                   {Qt::Key_Left, "\x1b[D"}, {Qt::Key_Home, "\x1b[H"}, {Qt::Key_End, "\x1b[K"},
                                   {Qt::Key_F1, "\x1bOP"},   {Qt::Key_F2, "\x1bOQ"},   {Qt::Key_F3, "\x1bOR"},
                                   {Qt::Key_F4, "\x1bOS"}};
} // namespace

QByteArray bytesFor(int key, const QString &text, bool ctrl)
{
    for (const Sequence &s : kSequences) {
        if (s.key == key)
            return s.bytes;
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
