#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QStringList>

#include "ct_monitor/ExtensionTable.h"

class TextValue;

// What each extension tile shows and where it stands: tile k shows
// extension k + 101. Captions, colours and tool tips come from the
// extension table; the highlight from the last search or group click; the
// positions (in twips, as the layout file holds them, from the window's
// top left corner) from the layout. Lives with the tables; the window draws it.
class MonitorTiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultCount = 96;
    static constexpr int kPerRow = 10;
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kWidth = 1200; // twips
    static constexpr int kHeight = 560;
    static constexpr int kPitchX = 1260; // twips between two tiles of a row
    static constexpr int kPitchY = 620;
    static constexpr int kOriginX = 4320; // right of "Dati Gruppi"
    static constexpr int kOriginY = 120;
    static constexpr int kSnap = 64;           // a moved tile lands on this grid
    static constexpr int kMaxCoordinate = 200000; // far beyond any screen, still a sane window

    struct Tile {
        QString caption;
        QString agent;
        QString description;
        QString logState;
        QString lineState;
        QString toolTip; // the display text
        QString colour;  // "#RRGGBB", empty without an agent
        bool highlighted = false;
        QPoint position; // twips
    };

    // `searchText` keeps the text of the last Evidenzia for the caption.
    MonitorTiles(ExtensionTable &table, TextValue &searchText, QObject *parent = nullptr);

    int count() const { return int(m_tiles.size()); }
    // DisegnaControlli: `count` tiles (0 means 96) in rows of ten, on the
    // computed grid; existing tiles keep their place.
    void setCount(int count);
    const Tile &tile(int index) const { return m_tiles.at(index); }
    static int extensionOf(int index) { return index + ExtensionTable::kFirst; }
    static int indexOf(int extension) { return extension - ExtensionTable::kFirst; }

    // ChkTel, "Visualizza COnteggi Telefonate": captions show the call counters.
    bool showCalls() const { return m_showCalls; }
    void setShowCalls(bool on);
    // Riempie: every tile again from the table.
    void refill();

    // Cerca: highlight the tiles whose tool tip holds `text` in any case,
    // clear the others; the extensions found. Ends an Evidenzia in force.
    QList<int> search(const QString &text);
    // Evidenzia: highlight the tiles whose group text holds "[text]", kept
    // and re-applied as records change the table.
    void evidenzia(const QString &text);
    // DumpListaInterni: "INT. [ n ] Op. tooltip" for each logged agent.
    QStringList extensionList() const;
    // The extension a line of that list names (0 when none).
    static int extensionOfListLine(const QString &line);

    // Layout positions, in twips; negative coordinates become 0.
    void move(int index, QPoint twips);
    QList<QPoint> positions() const;
    // Tiles beyond the list keep their place.
    void setPositions(const QList<QPoint> &positions);
    static QPoint gridPosition(int index);
    static QPoint snapped(QPoint twips);
    // Lines up extensions `first` to `last` with the first one: same top,
    // one pitch apart to its right. False when the range names no tile.
    bool align(int first, int last);
    // The tile at a point (twips), -1 when none; the last drawn wins.
    int tileAt(QPoint twips) const;

Q_SIGNALS:
    void countChanged(int count);
    void tileChanged(int index);

private:
    void update(int extension);
    bool matchesEvidenzia(int extension) const;
    void setHighlight(int index, bool on);

    ExtensionTable &m_table;
    TextValue &m_searchText;
    QList<Tile> m_tiles;
    bool m_showCalls = false;
    QString m_evidenzia; // "[n]", empty when none is in force
};
