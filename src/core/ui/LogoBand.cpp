#include "core/ui/LogoBand.h"

#include <QPainter>

LogoBand::LogoBand(QString caption, QWidget *parent) : QWidget(parent), m_caption(std::move(caption))
{
    setFixedWidth(28);
    QFont f = font();
    f.setBold(true);
    setFont(f);
}

void LogoBand::setColours(gradientbands::Rgb start, gradientbands::Rgb end)
{
    m_start = start;
    m_end = end;
    update();
}

void LogoBand::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (const auto &band : gradientbands::compute(height(), m_start, m_end))
        p.fillRect(0, band.top, width(), band.height, QColor(band.colour.red, band.colour.green, band.colour.blue));
    // The caption runs upward from 16 pixels above the bottom edge.
    p.setPen(Qt::white);
    p.translate(0, height() - 16);
    p.rotate(-90);
    p.drawText(0, fontMetrics().ascent(), m_caption);
}
