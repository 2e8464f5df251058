#pragma once

#include <QByteArray>
#include <QString>

// What a key sends to the host: the cursor and function keys as VT100
// sequences, Ctrl with a letter (or any key from code 64 on) as its control
// byte, a character as itself, Enter as CR LF. Nothing for a key that gives
// nothing or only a NUL.
namespace keymap {

// `key` is a Qt::Key value; `text` what the key types.
QByteArray bytesFor(int key, const QString &text, bool ctrl);

// A key by name as the headless "key" command takes it ("Up", "F1",
// "Enter", "Ctrl+C", ...); false for a name it does not know.
bool byName(const QString &name, int &key, QString &text, bool &ctrl);

} // namespace keymap
