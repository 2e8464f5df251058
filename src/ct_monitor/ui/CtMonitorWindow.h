#pragma once

#include <QWidget>

class CtMonitor;
class QListView;
class QTableWidget;
class TileArea;

// Frm_CTMonitor, "Operatori/Interni": the tiles over the whole window, and
// on their left the LEDs, the buttons, "Dati Gruppi" (group grid, legend,
// ChkTel), the layout label and the message list. A view over the CT
// monitor: shown while the monitor is open, closing it closes the monitor.
class CtMonitorWindow : public QWidget {
    Q_OBJECT
public:
    explicit CtMonitorWindow(CtMonitor &monitor, QWidget *parent = nullptr);

    TileArea &tiles() { return *m_area; }

private:
    QWidget *buildPanel();
    QWidget *buildGroups(QWidget *parent);
    void buildExtensionList();
    void followMonitor();
    void fillGrid();
    void fitContent();
    void placeList();

    CtMonitor &m_monitor;
    TileArea *m_area;
    QWidget *m_panel;
    QTableWidget *m_grid = nullptr;
    QListView *m_extensions = nullptr;
    int m_sizedFor = -1; // the tile count the window was last sized for
};
