#pragma once

#include <QObject>
#include <QStringList>
#include <array>

#include "core/LogList.h"
#include "core/ObservableValue.h"

// What the CT monitor window ("Operatori/Interni") shows besides the tiles:
// its caption, the two link LEDs, the legend counters, the group grid and
// its message list. Lives as long as the program: the window is a view
// that comes and goes.
class MonitorModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kLegend = 9;
    // Legend captions (Label1), in counter order.
    static const std::array<const char *, kLegend> kLegendCaptions;

    explicit MonitorModel(QObject *parent = nullptr);

    FlagValue loaded;  // IsLoaded: the window is open
    TextValue caption;
    TextValue search; // the text of the last search, re-applied by Evidenzia
    TextValue tiles{QStringLiteral("96")}; // QuantiInterni
    std::array<ColourValue *, 2> leds{};   // 0 monitor link, 1 operator server
    std::array<TextValue *, 2> ledTips{};
    std::array<TextValue *, kLegend> legend{}; // Label2
    LogList list{QStringLiteral("ListaMonitor")};

    // The group grid: "number name", logged, free, third counter.
    struct GridRow {
        QString group;
        int logged;
        int free;
        int third;
        friend bool operator==(const GridRow &, const GridRow &) = default;
    };
    const QList<GridRow> &grid() const { return m_grid; }
    void setGrid(const QList<GridRow> &rows);

    int tileCount() const;

Q_SIGNALS:
    void gridChanged();

private:
    QList<GridRow> m_grid;
};
