#include "ct_monitor/ui/TileArea.h"

#include "ct_monitor/CtMonitor.h"
#include "ct_monitor/ui/TilePainter.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int kTwips = MonitorTiles::kTwipsPerPixel;
} // namespace

TileArea::TileArea(CtMonitor &monitor, QWidget *parent) : QWidget(parent), m_monitor(monitor)
{
    setObjectName(QStringLiteral("user_Monitor"));
    setMouseTracking(false);
    setAutoFillBackground(true);
    MonitorTiles &tiles = m_monitor.tiles();
    // A tile may have left its place (align, layout): the whole area is
    // drawn again, once per turn of the event loop however many changed.
    connect(&tiles, &MonitorTiles::tileChanged, this, qOverload<>(&QWidget::update));
    connect(&tiles, &MonitorTiles::countChanged, this, [this] {
        cancelMove();
        Q_EMIT contentChanged();
    });
    MonitorActions &actions = m_monitor.actions();
    connect(&actions, &MonitorActions::redraw, this, [this] {
        cancelMove();
        Q_EMIT contentChanged();
    });
    connect(&actions, &MonitorActions::textsChanged, this, [this] {
        update();
        Q_EMIT contentChanged();
    });
    connect(&actions, &MonitorActions::editModeChanged, this, [this](bool on) {
        cancelMove();
        setCursor(on ? Qt::OpenHandCursor : Qt::ArrowCursor);
    });
}

QPoint TileArea::toTwips(QPoint pixels)
{
    return pixels * kTwips;
}

QPoint TileArea::toPixels(QPoint twips)
{
    return {twips.x() / kTwips, twips.y() / kTwips};
}

QFont TileArea::textFont()
{
    // settafont: the free texts in a bold face of their own.
    QFont font(QStringLiteral("Arial"), 10);
    font.setBold(true);
    return font;
}

QRect TileArea::tileRect(int index) const
{
    const MonitorTiles &tiles = m_monitor.tiles();
    if (index < 0 || index >= tiles.count())
        return {};
    const QPoint at = index == m_moving ? m_movedTo : tiles.tile(index).position;
    return {toPixels(at), QSize(MonitorTiles::kWidth / kTwips, MonitorTiles::kHeight / kTwips)};
}

QString TileArea::tileText(int index) const
{
    const MonitorTiles::Tile &t = m_monitor.tiles().tile(index);
    // The agent when someone is on it, else the line's state.
    const QString detail = t.agent.isEmpty() ? t.lineState : t.agent + QLatin1Char(' ') + t.lineState;
    return t.caption + QLatin1Char('\n') + detail.trimmed();
}

QSize TileArea::contentSize() const
{
    QRect all(0, 0, 1, 1);
    for (int i = 0; i < m_monitor.tiles().count(); ++i)
        all |= tileRect(i);
    const QFontMetrics text(textFont());
    for (const layoutfile::FreeText &t : m_monitor.actions().texts())
        all |= text.boundingRect(QRect(toPixels(t.at), QSize(2000, 400)), Qt::AlignLeft | Qt::AlignTop, t.text);
    return all.size() + QSize(12, 12);
}

void TileArea::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const MonitorTiles &tiles = m_monitor.tiles();
    for (int i = 0; i < tiles.count(); ++i) {
        const QRect r = tileRect(i);
        if (!r.intersects(event->rect()))
            continue;
        const MonitorTiles::Tile &t = tiles.tile(i);
        const QStringList lines = tileText(i).split(QLatin1Char('\n'));
        tilepainter::paint(p, r, {lines.value(0), lines.value(1),
                                  t.colour.isEmpty() ? QColor() : tilepainter::fill(t.colour), t.highlighted});
    }
    p.setFont(textFont());
    p.setPen(Qt::darkBlue);
    for (const layoutfile::FreeText &t : m_monitor.actions().texts()) {
        const QPoint at = toPixels(t.at);
        p.drawText(QRect(at, QSize(2000, 400)), Qt::AlignLeft | Qt::AlignTop, t.text);
    }
}

int TileArea::tileAt(QPoint pixels) const
{
    for (int i = m_monitor.tiles().count() - 1; i >= 0; --i) {
        if (tileRect(i).contains(pixels))
            return i;
    }
    return -1;
}

void TileArea::cancelMove()
{
    if (m_moving < 0)
        return;
    m_moving = -1;
    update();
}

void TileArea::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int index = tileAt(pos);
    MonitorActions &actions = m_monitor.actions();
    if (event->button() == Qt::RightButton) {
        if (index >= 0)
            actions.tileRightClicked(index);
        else
            actions.formRightClicked(toTwips(pos));
        return;
    }
    if (event->button() != Qt::LeftButton || !actions.editMode() || index < 0)
        return;
    m_moving = index;
    m_movedTo = m_monitor.tiles().tile(index).position;
    m_grab = toTwips(pos) - m_movedTo;
    actions.tileMoveStarted(index);
    setCursor(Qt::ClosedHandCursor);
}

void TileArea::mouseMoveEvent(QMouseEvent *event)
{
    if (m_moving < 0)
        return;
    const QRect before = tileRect(m_moving);
    m_movedTo = MonitorTiles::snapped(toTwips(event->position().toPoint()) - m_grab);
    update(before.united(tileRect(m_moving)).adjusted(-3, -3, 3, 3));
}

void TileArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_moving < 0 || event->button() != Qt::LeftButton)
        return;
    const int index = m_moving;
    const QPoint to = m_movedTo;
    m_moving = -1;
    setCursor(Qt::OpenHandCursor);
    m_monitor.actions().tileMoved(index, to); // the tile's event 1111
    update();
    Q_EMIT contentChanged();
}

void TileArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = tileAt(event->position().toPoint());
    if (index >= 0 && !m_monitor.actions().editMode())
        m_monitor.commands().changeState(MonitorTiles::extensionOf(index)); // the tile's state-change request
    else if (index < 0)
        m_monitor.actions().formDoubleClicked();
}

bool TileArea::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = tileAt(help->pos());
        if (index >= 0 && !m_monitor.tiles().tile(index).toolTip.isEmpty())
            QToolTip::showText(help->globalPos(), m_monitor.tiles().tile(index).toolTip, this, tileRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
