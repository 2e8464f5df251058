#pragma once

#include <QDateTime>

// Window-level times the main tick reads and the link and services set.
struct RunClock {
    QDateTime lastReceive;
    QDateTime lastSend;
    QDateTime countingStart; // invalid: not counting, no hourly rates
};
