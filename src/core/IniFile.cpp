#include "core/IniFile.h"

#include "core/IniText.h"
#include "wire/AnsiCodec.h"

#include <QFile>
#include <QSaveFile>

namespace inifile {
namespace {

QString readAll(const QString &file, bool *exists = nullptr)
{
    QFile f(file);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (exists)
        *exists = ok;
    return ok ? ansi::decode(f.readAll()) : QString();
}

} // namespace

QString leggiIni(const QString &file, const QString &section, const QString &key)
{
    return initext::value(readAll(file), section, key);
}

bool scriviIni(const QString &file, const QString &section, const QString &key, const QString &value)
{
    bool exists = false;
    const QString before = readAll(file, &exists);
    const QString after = initext::withValue(before, section, key, value);
    if (exists && after == before)
        return true;
    if (!exists && value.isEmpty())
        return true; // removing from a file that is not there changes nothing
    // Written whole to a temporary and renamed, so a crash never leaves half a file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(ansi::encode(after));
    return out.commit();
}

} // namespace inifile
