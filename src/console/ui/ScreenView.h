#pragma once

#include <QFont>
#include <QWidget>
#include <array>

class QPainter;
class TelnetConsole;

// The console's 80 by 25 cells in a fixed-pitch font, each in the style it
// was drawn with, and the blinking block cursor; keys go to the console.
// A write repaints only the rows the screen reports changed and the rows
// the cursor left and reached.
class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(TelnetConsole &console, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize cell() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool) override { return false; } // Tab goes to the host

private:
    QRect rowBox(int row) const;
    void updateChangedRows();
    void paintRow(QPainter &p, int row);

    TelnetConsole &m_console;
    QFont m_font;
    std::array<QFont, 8> m_fonts; // bold, italic, underline combined
    int m_bells = 0;
    quint64 m_seen = 0; // the screen's revision last asked for repainting
    int m_cursorRow = 0;
};
