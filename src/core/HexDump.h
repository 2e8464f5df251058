#pragma once

#include <QByteArray>

// The dump format of DEBUG.TXT: 16 bytes a line,
// "00000016| 41 42 43 44  45 ... | ABCDE...", CR LF ended.
namespace hexdump {

QByteArray format(const QByteArray &bytes);

} // namespace hexdump
