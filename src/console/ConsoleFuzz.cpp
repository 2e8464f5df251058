#include "console/ConsoleFuzz.h"

#include "console/TelnetCodec.h"
#include "console/Vt100Screen.h"

#include <QStringList>

namespace consolefuzz {
namespace {

int pick(std::mt19937 &r, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(r);
}

QByteArray number(std::mt19937 &r)
{
    static const char *const numbers[] = {"0", "1", "2", "9", "24", "25", "79", "80", "99", "255", "65535", "-1",
                                          "99999999999", "", " 3", "1\n2"};
    return numbers[pick(r, int(std::size(numbers)))];
}

struct Run {
    TelnetCodec codec;
    Vt100Screen screen;
    QByteArray replies;
    QString bound;

    Run() { codec.connected(); }
    void feed(const QByteArray &bytes)
    {
        TelnetCodec::Output out;
        codec.feed(bytes, out);
        const QStringList text = screen.lines();
        QStringList attributes;
        for (int r = 0; r < Vt100Screen::kRows; ++r)
            attributes << screen.attributes(r);
        const quint64 seen = screen.cells().revision();
        screen.feed(out.data);
        replies += out.reply;
        if (screen.row() < 0 || screen.row() >= Vt100Screen::kRows || screen.col() < 0 || screen.col() >= Vt100Screen::kCols)
            bound = QStringLiteral("cursor at ") + QString::number(screen.col()) + QLatin1Char(',') + QString::number(screen.row());
        if (screen.parser().pendingLength() > Vt100Parser::kLengthLimit)
            bound = QStringLiteral("escape buffer of ") + QString::number(screen.parser().pendingLength());
        const Vt100Cells::Rows changed = screen.cells().changedSince(seen);
        for (int r = 0; r < Vt100Screen::kRows; ++r) {
            if (screen.line(r).size() != Vt100Screen::kCols || screen.attributes(r).size() != Vt100Screen::kCols)
                bound = QStringLiteral("line ") + QString::number(r) + QStringLiteral(" not 80 wide");
            // The window redraws only the rows reported changed.
            if (!changed.test(size_t(r)) && (screen.line(r) != text[r] || screen.attributes(r) != attributes[r]))
                bound = QStringLiteral("row ") + QString::number(r) + QStringLiteral(" changed unreported");
        }
    }
};

} // namespace

QByteArray stream(std::mt19937 &r, int pieces)
{
    QByteArray out;
    static const char finals[] = "ABCDHfJKgmrsuhilZz@`";
    for (int i = 0; i < pieces; ++i) {
        switch (pick(r, 10)) {
        case 0:
            out += "\x1b[" + number(r) + (pick(r, 2) ? ";" + number(r) : QByteArray()) + finals[pick(r, int(sizeof finals) - 1)];
            break;
        case 1: {
            static const char intro[] = "[()#c78DEHMIZ\x08%";
            out += '\x1b';
            out += intro[pick(r, int(sizeof intro) - 1)];
            break;
        }
        case 2: {
            const char verbs[] = {char(251), char(252), char(253), char(254), char(250), char(240), char(255), char(241)};
            out += char(255);
            out += verbs[pick(r, 8)];
            out += char(pick(r, 256));
            break;
        }
        case 3:
            out += QByteArray("\xff\xfa") + char(pick(r, 2) ? 24 : 32) + char(pick(r, 3)) + QByteArray(pick(r, 20), 'x') + "\xff\xf0";
            break;
        case 4:
            out += char(pick(r, 32)); // control bytes
            break;
        case 5:
            out += "\x0e" + QByteArray("lqkjmxvw").left(pick(r, 8)) + "\x0f";
            break;
        case 6:
            for (int k = pick(r, 120); k > 0; --k)
                out += char(32 + pick(r, 224));
            break;
        default:
            out += char(pick(r, 256));
            break;
        }
    }
    return out;
}

QString check(const QByteArray &bytes, std::mt19937 &r)
{
    Run whole;
    whole.feed(bytes);
    if (!whole.bound.isEmpty())
        return whole.bound;
    Run pieces;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype n = 1 + pick(r, 17);
        pieces.feed(bytes.mid(at, n));
        at += n;
        if (!pieces.bound.isEmpty())
            return pieces.bound;
    }
    if (whole.screen.lines() != pieces.screen.lines())
        return QStringLiteral("screen differs when split");
    for (int row = 0; row < Vt100Screen::kRows; ++row) {
        if (whole.screen.attributes(row) != pieces.screen.attributes(row))
            return QStringLiteral("attributes differ when split");
    }
    if (whole.screen.row() != pieces.screen.row() || whole.screen.col() != pieces.screen.col())
        return QStringLiteral("cursor differs when split");
    if (whole.replies != pieces.replies)
        return QStringLiteral("replies differ when split");
    return {};
}

} // namespace consolefuzz
