#include "ct_monitor/LayoutFile.h"

#include "wire/AnsiCodec.h"

#include <QLocale>
#include <QStringList>
#include <cmath>
#include <optional>

namespace layoutfile {
namespace {

QString unquoted(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2);
    return t;
}

std::optional<double> number(const QString &line)
{
    QString t = unquoted(line).trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> coordinate(const QString &line, int max)
{
    const auto v = number(line);
    if (!v)
        return std::nullopt;
    return int(std::clamp(std::round(*v), 0.0, double(max)));
}

// The free-text count at line `at`, when the file's length agrees with it.
bool addsUp(const QStringList &lines, int tiles)
{
    const qsizetype at = qsizetype(tiles) * 2;
    if (at >= lines.size())
        return false;
    const auto n = number(lines[at]);
    // Compared as a double first: a count beyond any integer must not be converted.
    return n && *n >= 0 && *n == std::floor(*n) && *n <= double(lines.size())
        && at + 1 + 3 * qsizetype(*n) == lines.size();
}

QString stoppedAt(qsizetype line, const QString &why)
{
    return QStringLiteral("riga ") + QString::number(line + 1) + QStringLiteral(": ") + why;
}

// The file's lines, without line ends and trailing blank lines.
QStringList linesOf(const QByteArray &bytes)
{
    // A text editor may have saved it as UTF-8 with a byte-order mark.
    const QByteArray head = bytes.left(kMaxBytes);
    const QString text = head.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(head.mid(3)) : ansi::decode(head);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &l : lines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

// The window's count first; else the largest count the file's lines add up
// for (a smaller one can take a coordinate for the text count).
int tilesIn(const QStringList &lines, int tileCount)
{
    const int tiles = std::max(0, tileCount);
    if (addsUp(lines, tiles))
        return tiles;
    for (int t = int((lines.size() - 1) / 2); t >= 0; --t) {
        if (addsUp(lines, t))
            return t;
    }
    return tiles;
}

// Reads the lines in order; where it stops, the layout says why.
struct Reader {
    const QStringList &lines;
    int maxCoordinate;
    Layout &out;
    qsizetype at = 0;

    // The point on lines `at` and `at + 1`; a problem noted when there is none.
    std::optional<QPoint> point()
    {
        const auto x = coordinate(lines[at], maxCoordinate);
        const auto y = coordinate(lines[at + 1], maxCoordinate);
        if (!x || !y) {
            out.problem = stoppedAt(x ? at + 1 : at, QStringLiteral("non è un numero"));
            return std::nullopt;
        }
        return QPoint(*x, *y);
    }
    // The point of an entry of `size` lines; nothing, with the problem
    // noted, when the file ends before the entry does.
    std::optional<QPoint> entry(int size, const QString &endsEarly)
    {
        if (at + size - 1 >= lines.size()) {
            out.problem = stoppedAt(at, endsEarly);
            return std::nullopt;
        }
        return point();
    }
    bool tiles(int count)
    {
        for (int i = 0; i < count; ++i, at += 2) {
            const auto p = entry(2, QStringLiteral("file finito prima delle posizioni"));
            if (!p)
                return false;
            out.tiles.append(*p);
        }
        return true;
    }
    // The count of texts; nothing when the file ends or the count is no count.
    std::optional<double> textCount()
    {
        if (at >= lines.size()) {
            if (!lines.isEmpty() && out.problem.isEmpty())
                out.problem = stoppedAt(at, QStringLiteral("manca il numero dei testi"));
            return std::nullopt;
        }
        const auto n = number(lines[at]);
        if (!n || *n < 0) {
            out.problem = stoppedAt(at, QStringLiteral("numero dei testi non valido"));
            return std::nullopt;
        }
        ++at;
        return n;
    }
    bool texts(int count)
    {
        for (int i = 0; i < count; ++i, at += 3) {
            const auto p = entry(3, QStringLiteral("testo incompleto"));
            if (!p)
                return false;
            QString text = unquoted(lines[at + 2]);
            text.replace(QChar(kLineBreak), QLatin1Char('\n'));
            out.texts.append({*p, text});
        }
        return true;
    }
};

} // namespace

Layout read(const QByteArray &bytes, int tileCount, int maxCoordinate)
{
    Layout out;
    const QStringList lines = linesOf(bytes);
    if (bytes.size() > kMaxBytes)
        out.problem = QStringLiteral("file oltre ") + QString::number(kMaxBytes) + QStringLiteral(" byte, letto l'inizio");
    Reader reader{lines, maxCoordinate, out};
    if (!reader.tiles(tilesIn(lines, tileCount)))
        return out;
    const auto n = reader.textCount();
    if (!n || !reader.texts(int(std::min(*n, double(kMaxTexts)))))
        return out;
    if (*n > kMaxTexts && out.problem.isEmpty())
        out.problem = QStringLiteral("più di ") + QString::number(kMaxTexts) + QStringLiteral(" testi, letti i primi");
    return out;
}

QByteArray write(const Layout &layout)
{
    QString text;
    const auto line = [&text](const QString &value) { text += value + QStringLiteral("\r\n"); };
    for (const QPoint &p : layout.tiles) {
        line(QString::number(p.x()));
        line(QString::number(p.y()));
    }
    const qsizetype n = std::min<qsizetype>(layout.texts.size(), kMaxTexts);
    line(QString::number(n));
    for (qsizetype i = 0; i < n; ++i) {
        const FreeText &t = layout.texts[i];
        line(QString::number(t.at.x()));
        line(QString::number(t.at.y()));
        QString value = t.text;
        value.replace(QStringLiteral("\r\n"), QString(QChar(kLineBreak)));
        value.replace(QLatin1Char('\n'), QChar(kLineBreak));
        value.replace(QLatin1Char('\r'), QChar(kLineBreak));
        line(QLatin1Char('"') + value + QLatin1Char('"'));
    }
    return ansi::encode(text);
}

} // namespace layoutfile
