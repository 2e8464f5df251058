#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <map>

// TabLinee and StatiLinea: the state of the exchange's external lines 401 to
// 599, as the PBX line monitor last reported it. Lives as long as the
// program; the PBX window and the status page read it.
class LineTable : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirst = 401;
    static constexpr int kRows = 199;
    static constexpr int kStates = 257;
    static constexpr int kDefaultLines = 120;

    struct Row {
        QString tooltip;
        QString state; // the state code in decimal, empty until reported
    };

    explicit LineTable(QObject *parent = nullptr);

    // StatiLinea: the name of a state code, empty when it has none.
    static QString stateName(int code);
    // The tile and status-page colour of a state, as "#RRGGBB".
    static QString stateColour(int code);

    // Lines drawn: 120 when unset, raised to a multiple of ten, never beyond the table.
    int lines() const { return m_lines; }
    void setLines(int lines);

    bool shown(int line) const { return line >= kFirst && line <= kFirst + m_lines - 1 && line < kFirst + kRows; }
    const Row &row(int line) const;
    // A line's state: the tooltip "[ n ] STATO = s name" and the code. False
    // (nothing changes) for a line not shown or a code outside 0..256.
    bool setState(int line, int code);
    // A line's state code as the status page reads it: an unreported line is 0.
    int stateOf(int line) const;
    // Lines shown, by state code.
    std::map<int, int> totals() const;

Q_SIGNALS:
    void lineChanged(int line);

private:
    std::array<Row, kRows> m_rows;
    int m_lines = kDefaultLines;
};
