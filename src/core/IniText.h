#pragma once

#include <QList>
#include <QString>

// Private-profile semantics over the text of an INI file: section and key
// names match without regard to case, values are trimmed, a value quoted as
// a whole loses its quotes, reads are cut at 254 characters, writing an empty
// value removes the key, and a write touches no other line of the file.
namespace initext {

inline constexpr int kMaxValueLength = 254;

QString value(const QString &text, const QString &section, const QString &key);

// One line of an INI file, as value() reads it.
struct Line {
    enum class Kind { Blank, Comment, Section, Setting, NoEquals };
    Kind kind = Kind::Blank;
    int number = 0;  // from 1
    QString section; // Section: its name; otherwise the section the line is in (empty before the first)
    QString key;     // Setting and NoEquals: the name
    QString value;   // Setting: the value as value() gives it
};
// Every line, in order, for a report of where each setting comes from.
QList<Line> lines(const QString &text);

// The text with `key` in `section` set to `value` (removed when empty).
// A missing section is appended at the end.
QString withValue(const QString &text, const QString &section, const QString &key, const QString &value);

} // namespace initext
