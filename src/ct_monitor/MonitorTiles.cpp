#include "ct_monitor/MonitorTiles.h"

#include "core/ObservableValue.h"
#include "core/TextFormats.h"
#include "ct_monitor/TileColours.h"

MonitorTiles::MonitorTiles(ExtensionTable &table, TextValue &searchText, QObject *parent)
    : QObject(parent), m_table(table), m_searchText(searchText)
{
    connect(&m_table, &ExtensionTable::extensionChanged, this, &MonitorTiles::update);
    setCount(kDefaultCount);
}

void MonitorTiles::setCount(int count)
{
    const int n = std::clamp(count <= 0 ? kDefaultCount : count, 1, ExtensionTable::kRows);
    if (n == this->count())
        return;
    const int before = this->count();
    m_tiles.resize(n);
    for (int i = before; i < n; ++i) {
        m_tiles[i].position = gridPosition(i);
        m_tiles[i].caption = QString::number(extensionOf(i));
    }
    Q_EMIT countChanged(n);
    for (int i = before; i < n; ++i)
        update(extensionOf(i));
}

void MonitorTiles::setShowCalls(bool on)
{
    if (on == m_showCalls)
        return;
    m_showCalls = on;
    refill();
}

void MonitorTiles::refill()
{
    for (int i = 0; i < count(); ++i)
        update(extensionOf(i));
}

void MonitorTiles::update(int extension)
{
    const int i = indexOf(extension);
    if (i < 0 || i >= count())
        return;
    using T = ExtensionTable;
    const T::Row &row = m_table.row(extension);
    Tile &t = m_tiles[i];
    t.caption = m_showCalls ? QString::number(textformats::leadingInteger(row[T::CallCounter]))
                            : QString::number(extension);
    t.agent = row[T::Agent];
    t.description = row[T::Description];
    t.logState = row[T::LogState];
    t.lineState = row[T::LineState];
    t.toolTip = row[T::Display];
    t.colour = tilecolours::extension(row);
    if (!m_evidenzia.isEmpty())
        t.highlighted = matchesEvidenzia(extension);
    Q_EMIT tileChanged(i);
}

void MonitorTiles::setHighlight(int index, bool on)
{
    if (m_tiles[index].highlighted == on)
        return;
    m_tiles[index].highlighted = on;
    Q_EMIT tileChanged(index);
}

QList<int> MonitorTiles::search(const QString &text)
{
    if (!m_evidenzia.isEmpty())
        m_searchText.setText(QString()); // the caption no longer names a group
    m_evidenzia.clear();
    QList<int> found;
    const QString wanted = text.toLower();
    for (int i = 0; i < count(); ++i) {
        const bool match = !wanted.isEmpty() && m_tiles[i].toolTip.toLower().contains(wanted);
        setHighlight(i, match);
        if (match)
            found.append(extensionOf(i));
    }
    return found;
}

bool MonitorTiles::matchesEvidenzia(int extension) const
{
    return m_table.row(extension)[ExtensionTable::GroupText].contains(m_evidenzia);
}

void MonitorTiles::evidenzia(const QString &text)
{
    m_evidenzia = text.startsWith(QLatin1Char('[')) ? text : QLatin1Char('[') + text + QLatin1Char(']');
    m_searchText.setText(m_evidenzia);
    for (int i = 0; i < count(); ++i)
        setHighlight(i, matchesEvidenzia(extensionOf(i)));
}

QStringList MonitorTiles::extensionList() const
{
    QStringList lines;
    for (int i = 0; i < count(); ++i) {
        const Tile &t = m_tiles[i];
        if (!t.agent.isEmpty() && t.logState != QStringLiteral("LOGGED_OUT"))
            lines.append(QStringLiteral("INT. [ ") + QString::number(extensionOf(i)) + QStringLiteral(" ] Op. ") + t.toolTip);
    }
    return lines;
}

int MonitorTiles::extensionOfListLine(const QString &line)
{
    return int(textformats::leadingInteger(line.mid(7)));
}

void MonitorTiles::move(int index, QPoint twips)
{
    if (index < 0 || index >= count())
        return;
    const QPoint p(std::clamp(twips.x(), 0, kMaxCoordinate), std::clamp(twips.y(), 0, kMaxCoordinate));
    if (m_tiles[index].position == p)
        return;
    m_tiles[index].position = p;
    Q_EMIT tileChanged(index);
}

QList<QPoint> MonitorTiles::positions() const
{
    QList<QPoint> out;
    out.reserve(count());
    for (const Tile &t : m_tiles)
        out.append(t.position);
    return out;
}

void MonitorTiles::setPositions(const QList<QPoint> &positions)
{
    for (int i = 0; i < count() && i < positions.size(); ++i)
        move(i, positions[i]);
}

QPoint MonitorTiles::gridPosition(int index)
{
    return {kOriginX + (index % kPerRow) * kPitchX, kOriginY + (index / kPerRow) * kPitchY};
}

QPoint MonitorTiles::snapped(QPoint twips)
{
    const auto snap = [](int v) { return std::max(0, (v + kSnap / 2) / kSnap * kSnap); };
    return {snap(twips.x()), snap(twips.y())};
}

bool MonitorTiles::align(int first, int last)
{
    const int from = indexOf(std::max(first, ExtensionTable::kFirst));
    const int to = std::min(indexOf(last), count() - 1);
    if (from < 0 || from >= count() || to < from)
        return false;
    const QPoint start = m_tiles[from].position;
    for (int i = from + 1; i <= to; ++i)
        move(i, {start.x() + (i - from) * kPitchX, start.y()});
    return true;
}

int MonitorTiles::tileAt(QPoint twips) const
{
    for (int i = count() - 1; i >= 0; --i) {
        const QPoint p = m_tiles[i].position;
        if (twips.x() >= p.x() && twips.x() < p.x() + kWidth && twips.y() >= p.y() && twips.y() < p.y() + kHeight)
            return i;
    }
    return -1;
}
