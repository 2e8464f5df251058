#pragma once

#include <QFont>
#include <QWidget>
#include <array>

class TelnetConsole;

// The console's 80 by 25 cells in a fixed-pitch font, each in the style it
// was drawn with, and the blinking block cursor; keys go to the console.
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
    TelnetConsole &m_console;
    QFont m_font;
    std::array<QFont, 8> m_fonts; // bold, italic, underline combined
    int m_bells = 0;
};
