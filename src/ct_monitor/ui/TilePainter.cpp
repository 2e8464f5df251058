#include "ct_monitor/ui/TilePainter.h"

#include <QPainter>

namespace tilepainter {

QColor fill(const QString &colour)
{
    const QColor c = QColor::fromString(colour);
    return c.isValid() ? c : QColor(0xD4, 0xD0, 0xC8); // a window's face: nobody there
}

void paint(QPainter &p, const QRect &rect, const Face &face)
{
    const QColor background = face.colour.isValid() ? face.colour : fill(QString());
    p.fillRect(rect, background);
    p.setPen(QPen(face.highlighted ? QColor(Qt::red) : QColor(Qt::black), face.highlighted ? 3 : 1));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
    // Dark text on light states, light text on dark ones.
    p.setPen(background.lightness() < 110 ? Qt::white : Qt::black);
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    const QRect top(rect.left() + 3, rect.top() + 2, rect.width() - 6, rect.height() / 2 - 2);
    p.drawText(top, Qt::AlignCenter, face.caption);
    p.restore();
    const QRect bottom(rect.left() + 3, rect.top() + rect.height() / 2, rect.width() - 6, rect.height() / 2 - 2);
    p.drawText(bottom, Qt::AlignCenter, p.fontMetrics().elidedText(face.detail, Qt::ElideRight, bottom.width()));
}

} // namespace tilepainter
