#include "console/Vt100Screen.h"

#include "core/AnsiCodec.h"

#include <QStringList>
#include <algorithm>

namespace {
// A received byte as the character it is in ANSI.
QChar ansiChar(quint8 b)
{
    static const QString table = [] {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        return ansi::decode(all);
    }();
    return table.size() == 256 ? table[b] : QChar(b < 128 ? char16_t(b) : u'?');
}

const QString kBlank(Vt100Screen::kCols, QLatin1Char(' '));
const QString kBlankAttr(Vt100Screen::kCols, QLatin1Char('0'));
} // namespace

Vt100Screen::Vt100Screen(Rgb fg, Rgb bg)
{
    m_default.fg = fg;
    m_default.bg = bg;
    reset();
}

Vt100Screen::Rgb Vt100Screen::palette(int index)
{
    static const Vt100Screen::Rgb colours[] = {rgb(0, 0, 0),     rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(255, 255, 0),
                                   rgb(0, 0, 128),   rgb(128, 0, 128), rgb(0, 128, 128), rgb(255, 255, 255)};
    return colours[std::clamp(index, 0, 7)];
}

void Vt100Screen::reset()
{
    m_current = m_default;
    m_currentAttr = QLatin1Char('0');
    m_escape = false;
    m_escBuf.clear();
    m_lineDrawing = false;
    m_scrollTop = 0;
    clearAll();
}

void Vt100Screen::clearAll()
{
    for (int r = 0; r < kRows; ++r) {
        m_text[size_t(r)] = kBlank;
        m_attr[size_t(r)] = kBlankAttr;
        m_style[size_t(r)].fill(m_default);
    }
    m_row = m_col = 0;
    ++m_revision;
}

void Vt100Screen::feed(const QByteArray &bytes)
{
    for (const char b : bytes)
        put(quint8(b));
}

void Vt100Screen::put(quint8 b)
{
    if (m_escape) {
        escapeByte(b);
        return;
    }
    switch (b) {
    case 7:
        ++m_bells;
        break;
    case 8:
        if (m_col > 0)
            --m_col;
        ++m_revision;
        break;
    case 9:
        tab();
        break;
    case 10:
    case 11:
    case 12:
        lineFeed();
        break;
    case 13:
        m_col = 0;
        ++m_revision;
        break;
    case 14:
        m_lineDrawing = true;
        break;
    case 15:
        m_lineDrawing = false;
        break;
    case 27:
        m_escape = true;
        m_escBuf.clear();
        break;
    case 255: // telnet's IAC: never drawn
        break;
    default:
        if (b >= 32)
            print(b);
        break;
    }
}

void Vt100Screen::print(quint8 b)
{
    QChar c = ansiChar(b);
    if (m_lineDrawing) {
        switch (c.unicode()) {
        case 'j': case 'k': case 'l': case 'm': case 'v': case 'w':
            c = QLatin1Char('+');
            break;
        case 'x':
            c = QLatin1Char('|');
            break;
        case 'q':
            c = QLatin1Char('-');
            break;
        default:
            break;
        }
    }
    m_text[size_t(m_row)][m_col] = c;
    m_attr[size_t(m_row)][m_col] = m_currentAttr;
    m_style[size_t(m_row)][size_t(m_col)] = m_current;
    // Column 79 takes every character after it until the cursor moves.
    if (m_col < kCols - 1)
        ++m_col;
    ++m_revision;
}

void Vt100Screen::tab()
{
    int to = m_tabs[kTabSlots - 1];
    for (int slot = 0; slot < kTabSlots - 1; ++slot) {
        if (m_tabs[size_t(slot)] > m_col) {
            to = m_tabs[size_t(slot)];
            break;
        }
    }
    m_col = to;
    clamp();
    ++m_revision;
}

void Vt100Screen::lineFeed()
{
    if (m_row >= kRows - 1)
        scrollUp();
    else
        ++m_row;
    ++m_revision;
}

void Vt100Screen::scrollUp()
{
    for (int r = m_scrollTop; r < kRows - 1; ++r) {
        m_text[size_t(r)] = m_text[size_t(r + 1)];
        m_attr[size_t(r)] = m_attr[size_t(r + 1)];
        m_style[size_t(r)] = m_style[size_t(r + 1)];
    }
    m_text[kRows - 1] = kBlank;
    m_attr[kRows - 1] = kBlankAttr;
    m_style[kRows - 1].fill(m_default);
}

void Vt100Screen::clamp()
{
    m_row = std::clamp(m_row, 0, kRows - 1);
    m_col = std::clamp(m_col, 0, kCols - 1);
}

void Vt100Screen::escapeByte(quint8 b)
{
    const QChar c = ansiChar(b);
    if (m_escBuf.isEmpty()) {
        switch (b) {
        case '[': case '(': case ')': case '#': case 'c':
            break; // collected below
        case 8:
            m_col = std::max(0, m_col - 1);
            m_escape = false;
            ++m_revision;
            return;
        case '7':
            m_savedRow = m_row;
            m_savedCol = m_col;
            m_escape = false;
            return;
        case '8':
            m_row = m_savedRow;
            m_col = m_savedCol;
            clamp();
            m_escape = false;
            ++m_revision;
            return;
        case 'D':
            m_row = std::min(kRows - 1, m_row + 1); // no scrolling here
            m_escape = false;
            ++m_revision;
            return;
        case 'E':
            m_col = 0;
            m_row = std::min(kRows - 1, m_row + 1);
            m_escape = false;
            ++m_revision;
            return;
        case 'H':
            if (m_tabCount < kTabSlots) // only 21 stops fit
                m_tabs[size_t(m_tabCount++)] = m_col;
            m_escape = false;
            return;
        case 'M':
            m_row = std::max(0, m_row - 1);
            m_escape = false;
            ++m_revision;
            return;
        default: // "I", "Z" and anything else: nothing, nothing answered
            m_escape = false;
            return;
        }
    }
    m_escBuf.append(c);
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    if (letter) {
        const QString parameters = m_escBuf.mid(1);
        m_escape = false;
        m_escBuf.clear();
        finalLetter(c, parameters);
        return;
    }
    if (m_escBuf.size() > kEscapeLimit) {
        m_escape = false;
        m_escBuf.clear();
    }
}

int Vt100Screen::numericValue(const QString &text)
{
    // The leading number (blanks before it allowed), saturated; no number is 0.
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    qint64 v = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i)
        v = std::min<qint64>(v * 10 + (text[i].unicode() - '0'), kMaxParameter);
    return int(v);
}

int Vt100Screen::takeParameter(QString &rest)
{
    const qsizetype semi = rest.indexOf(QLatin1Char(';'));
    const QString first = semi < 0 ? rest : rest.left(semi);
    rest = semi < 0 ? QString() : rest.mid(semi + 1);
    return numericValue(first);
}

void Vt100Screen::finalLetter(QChar letter, QString parameters)
{
    const QString whole = parameters;
    QString rest = parameters;
    const int first = takeParameter(rest);
    const int n = first == 0 ? 1 : first;
    switch (letter.unicode()) {
    case 'A':
        m_row -= n;
        break;
    case 'B':
        m_row += n;
        break;
    case 'C':
        m_col += n;
        break;
    case 'D':
        m_col -= n;
        break;
    case 'H':
    case 'f': {
        const int second = takeParameter(rest);
        m_row = first - 1;
        m_col = second - 1;
        break;
    }
    case 'J':
        switch (numericValue(whole)) {
        case 0:
            if (m_row == 0 && m_col == 0)
                clearAll();
            else
                erase(m_row, m_col, kRows - 1, kCols - 1);
            break;
        case 1:
            erase(0, 0, m_row, m_col);
            break;
        case 2:
            clearAll();
            break;
        default:
            break;
        }
        break;
    case 'K':
        switch (numericValue(whole)) {
        case 0:
            erase(m_row, m_col, m_row, kCols - 1);
            break;
        case 1:
            erase(m_row, 0, m_row, m_col);
            break;
        case 2:
            erase(m_row, 0, m_row, kCols - 1);
            break;
        default:
            break;
        }
        break;
    case 'g':
        std::fill(m_tabs.begin(), m_tabs.end() - 1, 0);
        break;
    case 'm': {
        // The text holds the final letter too: "m" alone is one code, 0.
        QString codes = whole;
        while (!codes.isEmpty())
            applyCode(takeParameter(codes));
        break;
    }
    case 'r':
        m_scrollTop = std::clamp(first - 1, 0, kRows - 1);
        break;
    case 's':
        m_savedRow = m_row;
        m_savedCol = m_col;
        break;
    case 'u':
        m_row = m_savedRow;
        m_col = m_savedCol;
        break;
    default: // "h", "i", "l" and any other letter: nothing
        break;
    }
    clamp();
    ++m_revision;
}

void Vt100Screen::applyCode(int code)
{
    switch (code) {
    case 0:
        m_current = m_default;
        break;
    case 1:
        m_current.bold = true;
        break;
    case 4:
        m_current.underline = true;
        break;
    case 5:
        m_current.italic = true;
        break;
    case 7:
        m_current.fg = m_default.bg;
        m_current.bg = m_default.fg;
        break;
    case 8:
        m_current.fg = m_default.bg;
        m_current.bg = m_default.bg;
        break;
    default:
        if (code >= 30 && code <= 37)
            m_current.fg = palette(code - 30);
        else if (code >= 40 && code <= 47)
            m_current.bg = palette(code - 40);
        else
            return; // not a code of this terminal: nothing changes
        break;
    }
    m_currentAttr = QChar(char16_t(code));
}

void Vt100Screen::erase(int fromRow, int fromCol, int toRow, int toCol)
{
    for (int r = fromRow; r <= toRow; ++r) {
        const int a = r == fromRow ? fromCol : 0;
        const int b = r == toRow ? toCol : kCols - 1;
        for (int c = a; c <= b; ++c) {
            m_text[size_t(r)][c] = QLatin1Char(' ');
            m_attr[size_t(r)][c] = QLatin1Char('0');
            m_style[size_t(r)][size_t(c)] = m_default;
        }
    }
}

bool Vt100Screen::contains(const QString &text) const
{
    for (int r = kRows - 1; r >= 0; --r) {
        if (m_text[size_t(r)].contains(text))
            return true;
    }
    return false;
}

QStringList Vt100Screen::lines() const
{
    return QStringList(m_text.begin(), m_text.end());
}
