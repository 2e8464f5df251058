#pragma once

#include <QString>

// Outcome rates and percentages of the main window.
namespace outcomerates {

// Outcomes per hour over `seconds` counted (0 counts as 1), rounded to the
// nearest integer with halves to even.
int perHour(int outcomes, qint64 seconds);

// "value × 100 / sent" as a whole number and "%"; under 0.5 the number is
// left out. Only meaningful when sent is above 0.
QString percentText(int value, int sent);

} // namespace outcomerates
