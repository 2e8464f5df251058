#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <bitset>

// The console's 80 by 25 cells: each one's character, the display-attribute
// code in force when it was written ("0" for normal) and the style it was
// drawn in. Every change stamps the rows it touched, so that a view asks
// which rows changed since it last looked and redraws only those.
class Vt100Cells {
public:
    // 0xAARRGGBB, as the window's colour type takes it.
    using Rgb = quint32;
    static constexpr Rgb rgb(int r, int g, int b) { return 0xFF000000u | Rgb(r) << 16 | Rgb(g) << 8 | Rgb(b); }

    static constexpr int kCols = 80;
    static constexpr int kRows = 25;
    using Rows = std::bitset<kRows>;

    struct Style {
        Rgb fg = 0;
        Rgb bg = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        friend bool operator==(const Style &, const Style &) = default;
    };

    // `blank`: the style of an erased cell.
    explicit Vt100Cells(Style blank);

    void write(int row, int col, QChar c, QChar attribute, const Style &style);
    void erase(int fromRow, int fromCol, int toRow, int toCol); // inclusive
    void clear();
    // The rows from `top` to the last move up one; the last comes in blank.
    void scrollUp(int top);

    const QString &line(int row) const { return m_text[size_t(row)]; }
    const QString &attributes(int row) const { return m_attr[size_t(row)]; }
    Style style(int row, int col) const { return m_style[size_t(row)][size_t(col)]; }
    // The screen as lines, trailing blanks kept.
    QStringList lines() const { return QStringList(m_text.begin(), m_text.end()); }
    // WaitFor's test: the text on one line of the screen, last line first.
    bool contains(const QString &text) const;

    // Grows at every change; the rows changed after a revision was read.
    quint64 revision() const { return m_revision; }
    Rows changedSince(quint64 revision) const;

private:
    void blankRow(int row);
    void touch(int fromRow, int toRow);

    Style m_blank;
    std::array<QString, kRows> m_text;
    std::array<QString, kRows> m_attr;
    std::array<std::array<Style, kCols>, kRows> m_style;
    std::array<quint64, kRows> m_stamp{};
    quint64 m_revision = 0;
};
