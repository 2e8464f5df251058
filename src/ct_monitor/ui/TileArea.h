#pragma once

#include <QPoint>
#include <QWidget>

class CtMonitor;

// The monitor window's client area: every extension tile where the layout
// puts it, the free texts, and the mouse on them (moves in edit mode,
// right clicks, double clicks). Coordinates are the layout's twips
// divided by 15.
class TileArea : public QWidget {
    Q_OBJECT
public:
    explicit TileArea(CtMonitor &monitor, QWidget *parent = nullptr);

    // Where tile `index` is drawn, in pixels; its two lines of text.
    QRect tileRect(int index) const;
    QString tileText(int index) const;
    static QPoint toTwips(QPoint pixels);
    static QPoint toPixels(QPoint twips);
    static QFont textFont();
    // The size that holds every tile and text.
    QSize contentSize() const;

Q_SIGNALS:
    void contentChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    int tileAt(QPoint pixels) const;
    void cancelMove();

    CtMonitor &m_monitor;
    int m_moving = -1;   // the tile being moved in edit mode
    QPoint m_grab;       // where in the tile it was taken, twips
    QPoint m_movedTo;    // its place while moving, twips
};
