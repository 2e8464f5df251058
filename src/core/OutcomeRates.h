#pragma once

#include <QString>
#include <QtGlobal>

class CountValue;

// Outcome rates and percentages of the main window.
namespace outcomerates {

// Outcomes per hour over `seconds` counted (0 counts as 1), rounded to the
// nearest integer with halves to even.
int perHour(int outcomes, qint64 seconds);

// "value × 100 / sent" rounded to a whole number. Only meaningful when sent
// is above 0.
qint64 percent(int value, int sent);
// A whole percentage as shown: the number and "%", the number left out when 0.
QString percentText(qint64 percent);
QString percentText(int value, int sent);
// As its label shows it: "0%" until the first is computed.
QString percentShown(const CountValue &percent);

} // namespace outcomerates
