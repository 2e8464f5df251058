#pragma once

#include <QByteArray>

// The dump format of DEBUG.TXT: 16 bytes a line,
// "00000016| 41 42 43 44  45 ... | ABCDE...", CR LF ended.
namespace hexdump {

enum class Offsets { Decimal, Hex };

// Offsets in decimal (the queue drain) or as 8 hexadecimal digits (the
// dump of a received discard).
QByteArray format(const QByteArray &bytes, Offsets offsets = Offsets::Decimal);

} // namespace hexdump
