#pragma once

#include <QList>

// The gradient band down the side of the main window: horizontal bands from
// the start colour at the bottom to the end colour at the top.
namespace gradientbands {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline constexpr Rgb kDefaultStart{0, 0, 255}; // blue
inline constexpr Rgb kDefaultEnd{0, 0, 128};   // navy

struct Band {
    int top;
    int height;
    Rgb colour;
};

// Bands of height / 255 pixels (at least 1), from the bottom edge upwards.
QList<Band> compute(int height, Rgb start = kDefaultStart, Rgb end = kDefaultEnd);

} // namespace gradientbands
