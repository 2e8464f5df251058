#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

// One tile of the extension and line grids: a caption on top, one line of
// detail under it, the state's colour behind, a thick frame when
// highlighted. Both windows draw their tiles with it so they read alike.
namespace tilepainter {

struct Face {
    QString caption;
    QString detail;
    QColor colour; // invalid: no state, drawn grey
    bool highlighted = false;
};

void paint(QPainter &p, const QRect &rect, const Face &face);
// The colour a tile is filled with for a "#RRGGBB" state colour.
QColor fill(const QString &colour);

} // namespace tilepainter
