#include "core/GradientBands.h"

#include <algorithm>

namespace gradientbands {
namespace {

int mix(int from, int to, int distance, int height)
{
    return from + (to - from) * distance / height;
}

} // namespace

QList<Band> compute(int height, Rgb start, Rgb end)
{
    QList<Band> bands;
    if (height <= 0)
        return bands;
    const int step = std::max(1, height / 255);
    Rgb colour = start;
    for (int bottom = height; bottom > 0; bottom -= step) {
        const int top = std::max(0, bottom - step);
        bands.append({top, bottom - top, colour});
        const int distance = height - top;
        colour = {mix(start.red, end.red, distance, height), mix(start.green, end.green, distance, height),
                  mix(start.blue, end.blue, distance, height)};
    }
    return bands;
}

} // namespace gradientbands
