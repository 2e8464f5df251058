#include "core/RunClock.h"

void RunClock::startCounting(const QDateTime &when)
{
    countingStart = when;
    Q_EMIT countingStarted();
}
