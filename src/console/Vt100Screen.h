#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <array>

// The console's VT100 subset as a screen model: 80 columns by 25 rows of
// text, each cell with the display-attribute code in force when it was
// written and the style it was drawn in; the cursor, escape collection by
// the console's own rules (everything after ESC up to a letter, control
// bytes included, at most 15 characters), line drawing, tab stops,
// scrolling area. Pure: bytes in, cells out.
class Vt100Screen {
public:
    // 0xAARRGGBB, as the window's colour type takes it.
    using Rgb = quint32;
    static constexpr Rgb rgb(int r, int g, int b) { return 0xFF000000u | Rgb(r) << 16 | Rgb(g) << 8 | Rgb(b); }

    static constexpr int kCols = 80;
    static constexpr int kRows = 25;
    static constexpr int kEscapeLimit = 15;
    static constexpr int kTabSlots = 21;
    static constexpr int kMaxParameter = 9999; // numbers beyond are taken as this

    struct Style {
        Rgb fg = 0;
        Rgb bg = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        friend bool operator==(const Style &, const Style &) = default;
    };

    // `fg`, `bg`: the window's own colours, the defaults of code 0.
    explicit Vt100Screen(Rgb fg = rgb(0, 0, 0), Rgb bg = rgb(255, 255, 255));

    // Everything back to the start: blank buffers, cursor home, no escape,
    // no line drawing, code 0, no scrolling area. Tab stops stay.
    void reset();
    void put(quint8 byte);
    void feed(const QByteArray &bytes);

    const QString &line(int row) const { return m_text[size_t(row)]; }
    const QString &attributes(int row) const { return m_attr[size_t(row)]; }
    Style style(int row, int col) const { return m_style[size_t(row)][size_t(col)]; }
    int row() const { return m_row; }
    int col() const { return m_col; }
    bool escaping() const { return m_escape; }
    const QString &escapeBuffer() const { return m_escBuf; }
    bool lineDrawing() const { return m_lineDrawing; }
    QChar currentAttribute() const { return m_currentAttr; }
    Style currentStyle() const { return m_current; }
    int scrollTop() const { return m_scrollTop; }
    int tabStop(int slot) const { return m_tabs[size_t(slot)]; } // slot 0..20
    int tabCount() const { return m_tabCount; }
    int bells() const { return m_bells; }
    // Grows at every change of what is shown.
    quint64 revision() const { return m_revision; }

    // WaitFor's test: the text on one line of the screen, last line first.
    bool contains(const QString &text) const;
    // The screen as lines, trailing blanks kept.
    QStringList lines() const;

    // The classic palette entry of a colour code 0..7 (black, red, green,
    // yellow, blue, magenta, cyan, white).
    static Rgb palette(int index);

private:
    void print(quint8 byte);
    void lineFeed();
    void tab();
    void escapeByte(quint8 byte);
    void finalLetter(QChar letter, QString parameters);
    void applyCode(int code);
    void clamp();
    void scrollUp();
    void erase(int fromRow, int fromCol, int toRow, int toCol); // inclusive
    void clearAll();
    static int takeParameter(QString &rest);
    static int numericValue(const QString &text);

    std::array<QString, kRows> m_text;
    std::array<QString, kRows> m_attr;
    std::array<std::array<Style, kCols>, kRows> m_style;
    int m_row = 0;
    int m_col = 0;
    int m_savedRow = 0;
    int m_savedCol = 0;
    bool m_escape = false;
    QString m_escBuf;
    bool m_lineDrawing = false;
    QChar m_currentAttr = QLatin1Char('0');
    Style m_default;
    Style m_current;
    std::array<int, kTabSlots> m_tabs{};
    int m_tabCount = 0;
    int m_scrollTop = 0;
    int m_bells = 0;
    quint64 m_revision = 0;
};
