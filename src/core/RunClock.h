#pragma once

#include <QDateTime>
#include <QObject>

// Window-level times the main tick reads and the link and services set.
struct RunClock : QObject {
    Q_OBJECT
public:
    QDateTime lastReceive;
    QDateTime lastSend;
    QDateTime countingStart; // invalid: not counting, no hourly rates

    // Counting starts (again) at `when`: the window's caption shows it.
    void startCounting(const QDateTime &when);

Q_SIGNALS:
    void countingStarted();
};
