#include "ct_monitor/MonitorModel.h"

#include "core/TextFormats.h"

const std::array<const char *, MonitorModel::kLegend> MonitorModel::kLegendCaptions = {
    "op.log", "free", "busy", "pausa", "idle", "use", "talk", "hand", "work"};

MonitorModel::MonitorModel(QObject *parent) : QObject(parent)
{
    list.setParent(this);
    for (auto &led : leds)
        led = new ColourValue(Colour::Red, this);
    for (auto &tip : ledTips)
        tip = new TextValue(QString(), QString(), this);
    for (auto &label : legend)
        label = new TextValue(QStringLiteral("0"), QString(), this);
}

void MonitorModel::setGrid(const QList<GridRow> &rows)
{
    if (rows == m_grid)
        return;
    m_grid = rows;
    Q_EMIT gridChanged();
}

int MonitorModel::tileCount() const
{
    return static_cast<int>(textformats::leadingInteger(tiles.text()));
}
