#include "core/OutcomeRates.h"

#include <cmath>

namespace outcomerates {

int perHour(int outcomes, qint64 seconds)
{
    if (seconds == 0)
        seconds = 1;
    const double rate = static_cast<double>(outcomes) * 3600.0 / static_cast<double>(seconds);
    return static_cast<int>(std::nearbyint(rate)); // default rounding mode: halves to even
}

QString percentText(int value, int sent)
{
    const double percent = static_cast<double>(value) * 100.0 / static_cast<double>(sent);
    const double rounded = std::round(percent);
    const QString number = rounded == 0 ? QString() : QString::number(static_cast<qint64>(rounded));
    return number + QLatin1Char('%');
}

} // namespace outcomerates
