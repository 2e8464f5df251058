#pragma once

#include <QTimer>
#include <QWidget>

class PbxMonitor;
class QGroupBox;
class QHBoxLayout;
class QTableWidget;

// Frm_LineeEsterne, "PBX Linee Esterne": the LED, "Dati Linee" with a tile
// per external line in rows of ten and, when "Visualizza Messaggi" is
// ticked, the call messages beside them; the totals by state and the
// window's list. Shown while the PBX lines are open; closing it closes them.
class PbxWindow : public QWidget {
    Q_OBJECT
public:
    explicit PbxWindow(PbxMonitor &pbx, QWidget *parent = nullptr);

    // Where line `line`'s tile is drawn, in the tile grid's coordinates; its texts.
    QRect tileRect(int line) const;
    QString tileText(int line) const;
    QWidget &grid() { return *m_tiles; }
    // The totals by state as shown: "code name" and the count, a row each.
    QList<std::pair<QString, QString>> totals() const;

private:
    QHBoxLayout *topRow();
    QGroupBox *linesFrame();
    void fillTotals();

    PbxMonitor &m_pbx;
    QWidget *m_tiles;
    QTableWidget *m_totals;
    QTimer m_recount;
};
