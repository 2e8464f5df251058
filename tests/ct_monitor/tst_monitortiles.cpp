// The extension tiles as the table drives them: colours the status page
// uses, captions with or without the call counters, search and group
// highlights that stay right as records arrive, the extension list and the
// tile positions.
#include <QtTest>

#include "core/ObservableValue.h"
#include "ct_monitor/MonitorTiles.h"
#include "ct_monitor/TileColours.h"

namespace {

telephony::ExtensionRecord record(int number, const QString &agent, const QString &log, const QString &action = QStringLiteral("FREE"),
                                  QList<int> groups = {})
{
    telephony::ExtensionRecord r;
    r.number = number;
    r.numberText = QString::number(number);
    r.agent = agent;
    r.description = agent.isEmpty() ? QString() : QStringLiteral("Operatore ") + agent;
    r.logState = log;
    r.actionState = action;
    r.lineState = QStringLiteral("IDLE");
    r.groups = std::move(groups);
    return r;
}

struct Fixture {
    ExtensionTable table;
    TextValue search;
    MonitorTiles tiles{table, search};

    Fixture()
    {
        for (int g : {3, 13})
            table.applyGroup({g, 0, QStringLiteral("G") + QString::number(g), 1, 1, 0});
    }
    void apply(const telephony::ExtensionRecord &r) { table.applyExtension(r, QDateTime::currentDateTime()); }
    const MonitorTiles::Tile &tile(int extension) const { return tiles.tile(MonitorTiles::indexOf(extension)); }
    QList<int> highlighted() const
    {
        QList<int> out;
        for (int i = 0; i < tiles.count(); ++i) {
            if (tiles.tile(i).highlighted)
                out << MonitorTiles::extensionOf(i);
        }
        return out;
    }
};

} // namespace

class TestMonitorTiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coloursAreThoseOfTheStatusPage();
    void captionsAndTheExtensionListOfLoggedAgents();
    void searchAndGroupHighlights();
    void tilesAreLaidOutMovedAndAligned();
};

void TestMonitorTiles::coloursAreThoseOfTheStatusPage()
{
    Fixture f;
    f.apply(record(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN"), QStringLiteral("BUSY")));
    f.apply(record(102, QStringLiteral("1002"), QStringLiteral("PAUSED"), QStringLiteral("HANDSHAKE")));
    f.apply(record(103, QStringLiteral("1003"), QStringLiteral("PAUSED")));
    f.apply(record(104, QStringLiteral("1004"), QStringLiteral("WORKING")));
    f.apply(record(105, QStringLiteral("1005"), QStringLiteral("WORKAFTERC")));
    f.apply(record(106, QStringLiteral("1006"), QStringLiteral("LOGGED_IN")));
    f.apply(record(107, QString(), QStringLiteral("LOGGED_OUT")));
    QCOMPARE(f.tile(101).colour, QStringLiteral("#00FFFF")); // busy wins over the log state
    QCOMPARE(f.tile(102).colour, QStringLiteral("#800080"));
    QCOMPARE(f.tile(103).colour, QStringLiteral("#FF0000"));
    QCOMPARE(f.tile(104).colour, QStringLiteral("#FFFF00")); // the page's "#FFFF" as a browser shows it
    QCOMPARE(f.tile(105).colour, QStringLiteral("#008080"));
    QCOMPARE(f.tile(106).colour, QStringLiteral("#00FF00"));
    QVERIFY(f.tile(107).colour.isEmpty());
    QVERIFY(f.tile(150).colour.isEmpty());
    // &HBBGGRR: blue and red swap.
    QCOMPARE(tilecolours::fromBgr(0xFF), QStringLiteral("#FF0000"));
    QCOMPARE(tilecolours::fromBgr(0xFF0000), QStringLiteral("#0000FF"));
    QCOMPARE(tilecolours::fromBgr(0xFF8080), QStringLiteral("#8080FF"));
    QCOMPARE(tilecolours::legend(3), QStringLiteral("#FF0000"));
    QCOMPARE(tilecolours::legend(7), QStringLiteral("#00FFFF"));
    QVERIFY(tilecolours::legend(0).isEmpty());
}

void TestMonitorTiles::captionsAndTheExtensionListOfLoggedAgents()
{
    Fixture f;
    QCOMPARE(f.tiles.count(), MonitorTiles::kDefaultCount);
    f.apply(record(105, QStringLiteral("1005"), QStringLiteral("LOGGED_IN")));
    QCOMPARE(f.tile(105).caption, QStringLiteral("105"));
    QCOMPARE(f.tile(105).agent, QStringLiteral("1005"));
    QCOMPARE(f.tile(105).toolTip, f.table.row(105)[ExtensionTable::Display]);
    f.table.setCells(105, {{ExtensionTable::CallCounter, QStringLiteral("7")}});
    f.tiles.setShowCalls(true);
    QCOMPARE(f.tile(105).caption, QStringLiteral("7"));
    QCOMPARE(f.tile(106).caption, QStringLiteral("0")); // no calls yet
    f.table.setCells(105, {{ExtensionTable::CallCounter, QStringLiteral("8")}});
    QCOMPARE(f.tile(105).caption, QStringLiteral("8"));
    f.tiles.setShowCalls(false);
    QCOMPARE(f.tile(105).caption, QStringLiteral("105"));
    // The extension list names the agents logged in; a line gives its extension back.
    f.apply(record(106, QStringLiteral("1006"), QStringLiteral("LOGGED_OUT")));
    f.apply(record(107, QString(), QStringLiteral("LOGGED_IN")));
    const QStringList list = f.tiles.extensionList();
    QCOMPARE(list, QStringList{QStringLiteral("INT. [ 105 ] Op. ") + f.tile(105).toolTip});
    QCOMPARE(MonitorTiles::extensionOfListLine(list[0]), 105);
    QCOMPARE(MonitorTiles::extensionOfListLine(QStringLiteral("INT. [")), 0);
    QCOMPARE(MonitorTiles::extensionOfListLine(QString()), 0);
    // Tiles beyond the count are not touched; a larger count draws them.
    f.apply(record(250, QStringLiteral("2500"), QStringLiteral("LOGGED_IN")));
    f.tiles.setCount(150);
    QCOMPARE(f.tile(250).agent, QStringLiteral("2500"));
    f.tiles.setCount(100000);
    QCOMPARE(f.tiles.count(), ExtensionTable::kRows);
}

void TestMonitorTiles::searchAndGroupHighlights()
{
    Fixture f;
    f.apply(record(101, QStringLiteral("ROSSI"), QStringLiteral("LOGGED_IN")));
    f.apply(record(102, QStringLiteral("Rossini"), QStringLiteral("LOGGED_IN")));
    f.apply(record(103, QStringLiteral("Bianchi"), QStringLiteral("LOGGED_IN")));
    QCOMPARE(f.tiles.search(QStringLiteral("rossi")), (QList<int>{101, 102}));
    QCOMPARE(f.highlighted(), (QList<int>{101, 102}));
    QCOMPARE(f.tiles.search(QStringLiteral("BIANCHI")), QList<int>{103});
    QCOMPARE(f.highlighted(), QList<int>{103}); // the others cleared
    QVERIFY(f.tiles.search(QStringLiteral("verdi")).isEmpty());
    QVERIFY(f.highlighted().isEmpty());

    // A group's highlight follows the records.
    f.apply(record(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), {3}));
    f.apply(record(102, QStringLiteral("1002"), QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), {13}));
    f.tiles.evidenzia(QStringLiteral("3"));
    QCOMPARE(f.search.text(), QStringLiteral("[3]"));
    QCOMPARE(f.highlighted(), QList<int>{101}); // group 13 does not hold "[3]"
    // A record moving 102 into group 3, and 101 out of it.
    f.apply(record(102, QStringLiteral("1002"), QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), {13, 3}));
    f.apply(record(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), {13}));
    QCOMPARE(f.highlighted(), QList<int>{102});
    f.tiles.evidenzia(QStringLiteral("[13]"));
    QCOMPARE(f.highlighted(), (QList<int>{101, 102}));
    // A search by name ends the group highlight: records no longer redo it.
    f.tiles.search(QStringLiteral("operatore 1001"));
    f.apply(record(102, QStringLiteral("1002"), QStringLiteral("PAUSED"), QStringLiteral("FREE"), {13}));
    QCOMPARE(f.highlighted(), QList<int>{101});
}

void TestMonitorTiles::tilesAreLaidOutMovedAndAligned()
{
    Fixture f;
    f.tiles.setCount(0); // 0 draws 96, in ten rows of ten
    QCOMPARE(f.tiles.count(), 96);
    QCOMPARE(f.tiles.tile(0).position, MonitorTiles::gridPosition(0));
    QCOMPARE(f.tiles.tile(95).position.y(), MonitorTiles::gridPosition(90).y());
    QCOMPARE(MonitorTiles::gridPosition(95).y() - MonitorTiles::gridPosition(0).y(), 9 * MonitorTiles::kPitchY);
    f.tiles.move(3, {-40, -1});
    QCOMPARE(f.tiles.tile(3).position, QPoint(0, 0));
    QCOMPARE(f.tiles.tileAt({1, 1}), 3); // moved to the corner
    f.tiles.move(3, {std::numeric_limits<int>::max(), 10});
    QCOMPARE(f.tiles.tile(3).position, QPoint(MonitorTiles::kMaxCoordinate, 10));
    QCOMPARE(MonitorTiles::snapped({95, 31}), QPoint(64, 0));
    QCOMPARE(f.tiles.tileAt(MonitorTiles::gridPosition(5) + QPoint(10, 10)), 5);

    // Align 111..115 on 111: same top, one pitch apart.
    f.tiles.move(MonitorTiles::indexOf(111), {7000, 9000});
    QVERIFY(f.tiles.align(111, 115));
    for (int e = 112; e <= 115; ++e)
        QCOMPARE(f.tiles.tile(MonitorTiles::indexOf(e)).position, QPoint(7000 + (e - 111) * MonitorTiles::kPitchX, 9000));
    QCOMPARE(f.tiles.tile(MonitorTiles::indexOf(116)).position, MonitorTiles::gridPosition(MonitorTiles::indexOf(116)));
    QVERIFY(!f.tiles.align(300, 400)); // beyond the tiles drawn
    QVERIFY(!f.tiles.align(150, 120));
    // Positions set from a layout longer than the tiles stop at the last tile.
    f.tiles.setPositions(QList<QPoint>(200, QPoint(1, 2)));
    QCOMPARE(f.tiles.tile(95).position, QPoint(1, 2));
}

QTEST_GUILESS_MAIN(TestMonitorTiles)
#include "tst_monitortiles.moc"
