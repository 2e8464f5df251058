#pragma once

#include <QString>

#include "wire/SocketState.h"

// Colours of the state indicators; windows map them to real colours.
// LightBlue (&HFF8080) flashes an indicator while data arrive.
enum class Colour { Red, Blue, Magenta, Yellow, White, Green, Black, LightBlue };

// Text and colour of a socket state 0 to 9, shown by every link indicator.
namespace socketstates {

struct Appearance {
    QString text;
    Colour colour;
};

// `previousText` is kept for a state outside 0..9, which shows magenta.
Appearance appearance(int state, const QString &previousText);

} // namespace socketstates
