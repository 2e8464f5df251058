#pragma once

#include <QByteArray>
#include <QString>
#include <random>

// A generator of hostile telnet streams for the codec and the screen:
// random bytes mixed with the pieces that matter (ESC and sequence
// characters, numbers, IAC commands and subnegotiations, control bytes).
// And the check that feeding one stream whole or in random pieces gives
// the same screen and the same replies, with every bound kept and no row
// changed without the screen reporting it.
namespace consolefuzz {

QByteArray stream(std::mt19937 &random, int pieces);

// Empty when all is well; else what went wrong.
QString check(const QByteArray &stream, std::mt19937 &random);

} // namespace consolefuzz
