#pragma once

#include "console/Vt100Cells.h"
#include "console/Vt100Parser.h"
#include "console/Vt100State.h"

#include <QByteArray>

// The console's VT100 screen, in the layers terminal emulators use: the
// parser turns bytes into actions, the state plays them on the cursor and
// its modes, and the cells hold what is shown and which rows changed. Pure:
// bytes in, cells out.
class Vt100Screen {
public:
    using Rgb = Vt100Cells::Rgb;
    using Style = Vt100Cells::Style;
    static constexpr Rgb rgb(int r, int g, int b) { return Vt100Cells::rgb(r, g, b); }
    static constexpr int kCols = Vt100Cells::kCols;
    static constexpr int kRows = Vt100Cells::kRows;

    // `fg`, `bg`: the window's own colours, the defaults of code 0.
    explicit Vt100Screen(Rgb fg = rgb(0, 0, 0), Rgb bg = rgb(255, 255, 255)) : m_state(fg, bg) {}

    // Everything back to the start, a sequence under way dropped (Vt100State::reset).
    void reset()
    {
        m_parser.reset();
        m_state.reset();
    }
    void feed(const QByteArray &bytes) { m_parser.feed(bytes, m_state); }

    const QString &line(int row) const { return cells().line(row); }
    const QString &attributes(int row) const { return cells().attributes(row); }
    Style style(int row, int col) const { return cells().style(row, col); }
    QStringList lines() const { return cells().lines(); }
    bool contains(const QString &text) const { return cells().contains(text); }
    int row() const { return m_state.row(); }
    int col() const { return m_state.col(); }
    int bells() const { return m_state.bells(); }
    static Rgb palette(int index) { return Vt100State::palette(index); }

    const Vt100Parser &parser() const { return m_parser; }
    const Vt100State &state() const { return m_state; }
    const Vt100Cells &cells() const { return m_state.cells(); }

private:
    Vt100Parser m_parser;
    Vt100State m_state;
};
