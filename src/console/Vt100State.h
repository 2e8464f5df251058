#pragma once

#include "console/Vt100Cells.h"
#include "console/Vt100Parser.h"

// What the console's VT100 subset does with each action of the parser: the
// cursor and its saved copy, line drawing, the display-attribute code and
// the style it gives, tab stops, the scrolling area and the bell, written
// into its cells. No auto-wrap, no insert or delete, nothing answered.
class Vt100State : public Vt100Parser::Actions {
public:
    using Rgb = Vt100Cells::Rgb;
    using Style = Vt100Cells::Style;
    static constexpr int kRows = Vt100Cells::kRows;
    static constexpr int kCols = Vt100Cells::kCols;
    static constexpr int kTabSlots = 21;

    // `fg`, `bg`: the window's own colours, the defaults of code 0.
    Vt100State(Rgb fg, Rgb bg);

    // Everything back to the start: blank cells, cursor home, no line
    // drawing, code 0, no scrolling area. Tab stops and the saved cursor stay.
    void reset();

    void print(quint8 byte) override;
    void control(quint8 byte) override;
    void escape(quint8 byte) override;
    void sequence(const Vt100Parser::Sequence &sequence) override;

    const Vt100Cells &cells() const { return m_cells; }
    int row() const { return m_row; }
    int col() const { return m_col; }
    bool lineDrawing() const { return m_lineDrawing; }
    QChar currentAttribute() const { return m_currentAttr; }
    Style currentStyle() const { return m_current; }
    int scrollTop() const { return m_scrollTop; }
    int tabStop(int slot) const { return m_tabs[size_t(slot)]; } // slot 0..20
    int tabCount() const { return m_tabCount; }
    int bells() const { return m_bells; }

    // The classic palette entry of a colour code 0..7 (black, red, green,
    // yellow, blue, magenta, cyan, white).
    static Rgb palette(int index);

private:
    void lineFeed();
    void tab();
    void setTabStop();
    void saveCursor();
    void restoreCursor();
    void clearHome();
    void eraseDisplay(int how);
    void eraseLine(int how);
    void applyCode(int code);
    void clamp();

    Vt100Cells m_cells;
    Style m_default;
    Style m_current;
    QChar m_currentAttr = QLatin1Char('0');
    int m_row = 0;
    int m_col = 0;
    int m_savedRow = 0;
    int m_savedCol = 0;
    bool m_lineDrawing = false;
    std::array<int, kTabSlots> m_tabs{};
    int m_tabCount = 0;
    int m_scrollTop = 0;
    int m_bells = 0;
};
