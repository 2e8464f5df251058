// The INI reader and writer over any file text. Input: section, key and
// value separated by NULs, then the file (ANSI); without three NULs the
// whole input is the file. Reads stay within their bound; a value written
// reads back; a write leaves the other keys' values alone.
#include "FuzzSupport.h"

#include "core/IniText.h"
#include "wire/AnsiCodec.h"

namespace {

constexpr const char *kTarget = "fuzz_ini";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

bool oneLine(const QString &s)
{
    return !s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n'));
}

// A name the file can hold as written: one line, no blanks around it.
bool plainName(const QString &s)
{
    return !s.isEmpty() && oneLine(s) && s == s.trimmed();
}

const char *const kOthers[][2] = {{"Settings", "ServerIp"}, {"Settings", "TimeoutPacchetto"}, {"datiserver", "connstring"},
                                  {"Settings", "Simulazione"}, {"a", "b"}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QList<QByteArray> parts = input.split('\0');
    QString section = QStringLiteral("Settings"), key = QStringLiteral("TimeoutPacchetto"), value = QStringLiteral("7");
    QString text = ansi::decode(input);
    if (parts.size() >= 4) {
        section = ansi::decode(parts[0]);
        key = ansi::decode(parts[1]);
        value = ansi::decode(parts[2]);
        text = ansi::decode(input.mid(parts[0].size() + parts[1].size() + parts[2].size() + 3));
    }

    const QString read = initext::value(text, section, key);
    expect(read.size() <= initext::kMaxValueLength && oneLine(read), QStringLiteral("value beyond its bound"));

    const QString written = initext::withValue(text, section, key, value);
    const bool writable = plainName(section) && !section.contains(QLatin1Char(']')) && plainName(key)
        && !key.contains(QLatin1Char('=')) && !key.startsWith(QLatin1Char(';')) && !key.startsWith(QLatin1Char('['))
        && oneLine(value) && value == value.trimmed() && !value.startsWith(QLatin1Char('"'))
        && !value.startsWith(QLatin1Char('\''));
    if (!writable)
        return 0;
    if (!value.isEmpty())
        expect(initext::value(written, section, key) == value.left(initext::kMaxValueLength),
               QStringLiteral("written value does not read back"));
    for (const auto &[s, k] : kOthers) {
        const QString otherSection = QString::fromLatin1(s), otherKey = QString::fromLatin1(k);
        if (otherKey.compare(key, Qt::CaseInsensitive) == 0)
            continue;
        expect(initext::value(written, otherSection, otherKey) == initext::value(text, otherSection, otherKey),
               QStringLiteral("a write changed another key: ") + otherSection + QLatin1Char('/') + otherKey);
    }
    return 0;
}
