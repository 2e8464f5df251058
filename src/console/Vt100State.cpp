#include "console/Vt100State.h"

#include "wire/AnsiCodec.h"

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

// The line-drawing set as far as this terminal draws it: corners and
// crossings as "+", the vertical as "|", the horizontal as "-".
QChar lineDrawn(QChar c)
{
    switch (c.unicode()) {
    case 'j': case 'k': case 'l': case 'm': case 'v': case 'w':
        return QLatin1Char('+');
    case 'x':
        return QLatin1Char('|');
    case 'q':
        return QLatin1Char('-');
    default:
        return c;
    }
}
} // namespace

Vt100State::Vt100State(Rgb fg, Rgb bg)
    : m_cells(Style{fg, bg})
{
    m_default = Style{fg, bg};
    m_current = m_default;
}

Vt100State::Rgb Vt100State::palette(int index)
{
    static const Rgb colours[] = {Vt100Cells::rgb(0, 0, 0),     Vt100Cells::rgb(128, 0, 0),   Vt100Cells::rgb(0, 128, 0),
                                  Vt100Cells::rgb(255, 255, 0), Vt100Cells::rgb(0, 0, 128),   Vt100Cells::rgb(128, 0, 128),
                                  Vt100Cells::rgb(0, 128, 128), Vt100Cells::rgb(255, 255, 255)};
    return colours[std::clamp(index, 0, 7)];
}

void Vt100State::reset()
{
    m_current = m_default;
    m_currentAttr = QLatin1Char('0');
    m_lineDrawing = false;
    m_scrollTop = 0;
    clearHome();
}

void Vt100State::print(quint8 b)
{
    const QChar c = m_lineDrawing ? lineDrawn(ansiChar(b)) : ansiChar(b);
    m_cells.write(m_row, m_col, c, m_currentAttr, m_current);
    // Column 79 takes every character after it until the cursor moves.
    if (m_col < kCols - 1)
        ++m_col;
}

void Vt100State::control(quint8 b)
{
    switch (b) {
    case 7:
        ++m_bells;
        break;
    case 8:
        if (m_col > 0)
            --m_col;
        break;
    case 9:
        tab();
        break;
    case 10: case 11: case 12:
        lineFeed();
        break;
    case 13:
        m_col = 0;
        break;
    case 14:
        m_lineDrawing = true;
        break;
    case 15:
        m_lineDrawing = false;
        break;
    default: // NUL and the other control bytes: nothing
        break;
    }
}

void Vt100State::escape(quint8 b)
{
    switch (b) {
    case 8:
        m_col = std::max(0, m_col - 1);
        break;
    case '7':
        saveCursor();
        break;
    case '8':
        restoreCursor();
        break;
    case 'D':
        m_row = std::min(kRows - 1, m_row + 1); // no scrolling here
        break;
    case 'E':
        m_col = 0;
        m_row = std::min(kRows - 1, m_row + 1);
        break;
    case 'H':
        setTabStop();
        break;
    case 'M':
        m_row = std::max(0, m_row - 1);
        break;
    default: // "I", "Z" and anything else: nothing, nothing answered
        break;
    }
}

void Vt100State::sequence(const Vt100Parser::Sequence &s)
{
    // The introducer plays no part: ESC ( B moves down like ESC [ B.
    const int first = s.parameters[0];
    const int n = first == 0 ? 1 : first;
    switch (s.letter) {
    case 'A': m_row -= n; break;
    case 'B': m_row += n; break;
    case 'C': m_col += n; break;
    case 'D': m_col -= n; break;
    case 'H': case 'f':
        m_row = first - 1;
        m_col = s.parameters[1] - 1;
        break;
    case 'J': eraseDisplay(first); break;
    case 'K': eraseLine(first); break;
    case 'g': std::fill(m_tabs.begin(), m_tabs.end() - 1, 0); break;
    case 'm':
        for (int i = 0; i < s.count; ++i)
            applyCode(s.parameters[size_t(i)]);
        break;
    case 'r': m_scrollTop = std::clamp(first - 1, 0, kRows - 1); break;
    case 's': saveCursor(); break;
    case 'u': restoreCursor(); break;
    default: break; // "h", "i", "l" and any other letter: nothing
    }
    clamp();
}

void Vt100State::tab()
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
}

void Vt100State::setTabStop()
{
    if (m_tabCount < kTabSlots) // only 21 stops fit
        m_tabs[size_t(m_tabCount++)] = m_col;
}

void Vt100State::lineFeed()
{
    if (m_row >= kRows - 1)
        m_cells.scrollUp(m_scrollTop);
    else
        ++m_row;
}

void Vt100State::saveCursor()
{
    m_savedRow = m_row;
    m_savedCol = m_col;
}

void Vt100State::restoreCursor()
{
    m_row = m_savedRow;
    m_col = m_savedCol;
    clamp();
}

void Vt100State::clearHome()
{
    m_cells.clear();
    m_row = m_col = 0;
}

void Vt100State::eraseDisplay(int how)
{
    if (how == 2 || (how == 0 && m_row == 0 && m_col == 0))
        clearHome();
    else if (how == 0)
        m_cells.erase(m_row, m_col, kRows - 1, kCols - 1);
    else if (how == 1) // up to the cursor, its cell included
        m_cells.erase(0, 0, m_row, m_col);
}

void Vt100State::eraseLine(int how)
{
    if (how == 0)
        m_cells.erase(m_row, m_col, m_row, kCols - 1);
    else if (how == 1)
        m_cells.erase(m_row, 0, m_row, m_col);
    else if (how == 2)
        m_cells.erase(m_row, 0, m_row, kCols - 1);
}

void Vt100State::applyCode(int code)
{
    switch (code) {
    case 0: m_current = m_default; break;
    case 1: m_current.bold = true; break;
    case 4: m_current.underline = true; break;
    case 5: m_current.italic = true; break;
    case 7: // reverse
        m_current.fg = m_default.bg;
        m_current.bg = m_default.fg;
        break;
    case 8: // hidden
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

void Vt100State::clamp()
{
    m_row = std::clamp(m_row, 0, kRows - 1);
    m_col = std::clamp(m_col, 0, kCols - 1);
}
