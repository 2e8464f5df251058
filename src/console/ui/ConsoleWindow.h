#pragma once

#include <QMainWindow>

class ScreenView;
class TelnetConsole;

// frmTelnet, "Obel Telnet Client": menus (File, Connection, the procedures,
// Log), the screen, the four-panel status bar. A view over the console.
class ConsoleWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ConsoleWindow(TelnetConsole &console, QWidget *parent = nullptr);

    ScreenView &screen() { return *m_screen; }
    // mSettings: frmTCPIP, modal.
    void settings();

private:
    TelnetConsole &m_console;
    ScreenView *m_screen;
};
