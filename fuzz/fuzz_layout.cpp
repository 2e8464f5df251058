// The monitor window's layout file (Pos_CT.ini). The first two bytes give
// the window's tile count and the largest coordinate; the rest is the file.
// What is read lies within the bounds, and written back it reads the same.
#include "FuzzSupport.h"

#include "ct_monitor/LayoutFile.h"
#include "wire/AnsiCodec.h"

namespace {

constexpr const char *kTarget = "fuzz_layout";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

// A text as it comes back from the file: ANSI, a line break of any kind one "\n".
QString asStored(const QString &text)
{
    QString t = ansi::decode(ansi::encode(text));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int tileCount = data[0] * 2; // 0..510, the window's 200 among them
    const int maxCoordinate = 1 + data[1] * 1000;
    const QByteArray file = fuzz::bytes(data + 2, size - 2);
    const layoutfile::Layout layout = layoutfile::read(file, tileCount, maxCoordinate);
    expect(layout.texts.size() <= layoutfile::kMaxTexts, QStringLiteral("more texts than the bound"));
    const auto inside = [&](const QPoint &p) {
        return p.x() >= 0 && p.y() >= 0 && p.x() <= maxCoordinate && p.y() <= maxCoordinate;
    };
    for (const QPoint &p : layout.tiles)
        expect(inside(p), QStringLiteral("tile outside the window"));
    for (const layoutfile::FreeText &t : layout.texts)
        expect(inside(t.at), QStringLiteral("text outside the window"));

    const layoutfile::Layout back = layoutfile::read(layoutfile::write(layout), int(layout.tiles.size()), maxCoordinate);
    expect(back.problem.isEmpty(), QStringLiteral("a written layout reads with a problem: ") + back.problem);
    expect(back.tiles == layout.tiles && back.texts.size() == layout.texts.size(),
           QStringLiteral("a written layout reads back otherwise"));
    for (qsizetype i = 0; i < layout.texts.size(); ++i)
        expect(back.texts[i].at == layout.texts[i].at && back.texts[i].text == asStored(layout.texts[i].text),
               QStringLiteral("free text reads back otherwise: ") + layout.texts[i].text);
    return 0;
}
