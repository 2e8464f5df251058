#pragma once

#include <QString>

// LeggiIni / ScriviIni: one value of an INI file, read or written on disk in
// the ANSI code page.
namespace inifile {

QString leggiIni(const QString &file, const QString &section, const QString &key);

// Returns false when the file could not be written.
bool scriviIni(const QString &file, const QString &section, const QString &key, const QString &value);

} // namespace inifile
