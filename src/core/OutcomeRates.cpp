#include "core/OutcomeRates.h"

#include "core/ObservableValue.h"

#include <cmath>

namespace outcomerates {

int perHour(int outcomes, qint64 seconds)
{
    if (seconds == 0)
        seconds = 1;
    const double rate = static_cast<double>(outcomes) * 3600.0 / static_cast<double>(seconds);
    return static_cast<int>(std::nearbyint(rate)); // default rounding mode: halves to even
}

qint64 percent(int value, int sent)
{
    return static_cast<qint64>(std::round(static_cast<double>(value) * 100.0 / static_cast<double>(sent)));
}

QString percentText(qint64 percent)
{
    return (percent == 0 ? QString() : QString::number(percent)) + QLatin1Char('%');
}

QString percentText(int value, int sent)
{
    return percentText(percent(value, sent));
}

QString percentShown(const CountValue &percent)
{
    return percent.isSet() ? percentText(percent.value()) : QStringLiteral("0%");
}

} // namespace outcomerates
