// The two windows as a supervisor sees them, fed by the telephony
// simulator over loopback: each extension tile and each line tile drawn in
// its state's colour with its caption, the call counters on the tiles, the
// windows following the monitors' opening and closing.
#include <QtTest>

#include "../../support/Program.h"
#include "../../support/StatusColours.h"
#include "ct_monitor/ui/CtMonitorWindow.h"
#include "ct_monitor/ui/TileArea.h"
#include "pbx_lines/ui/PbxWindow.h"
#include "telephony_sim/PbxSim.h"
#include "telephony_sim/TelephonySim.h"

#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>

namespace {

// The colour a tile is painted with, taken inside its frame.
QColor painted(const QImage &image, const QRect &tile)
{
    return image.pixelColor(tile.topLeft() + QPoint(5, 5));
}

bool tableFollows(CtMonitor &ct, const TelephonySim &sim)
{
    using T = ExtensionTable;
    for (const simbytes::Extension &e : sim.extensions()) {
        const T::Row &r = ct.table().row(e.number);
        if (QStringList{r[T::LogState], r[T::ActionState], r[T::LineState], r[T::Agent], r[T::Description]}
            != QStringList{e.logState, e.actionState, e.lineState, e.agent, e.description})
            return false;
    }
    return true;
}

bool linesFollow(PbxMonitor &pbx, const PbxSim &sim)
{
    for (auto it = sim.lineStates().cbegin(); it != sim.lineStates().cend(); ++it) {
        if (pbx.table().row(it.key()).state != QString::number(it.value()))
            return false;
    }
    return true;
}

bool callsFollow(CtMonitor &ct, const PbxSim &sim)
{
    for (auto it = sim.callsCounted().cbegin(); it != sim.callsCounted().cend(); ++it) {
        if (ct.table().row(it.key())[ExtensionTable::CallCounter] != QString::number(it.value()))
            return false;
    }
    return !sim.callsCounted().isEmpty();
}

} // namespace

class TestMonitorWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tilesShowTheSimulatedCallCentre();
};

void TestMonitorWindows::tilesShowTheSimulatedCallCentre()
{
    TelephonySim::Options o;
    o.extensions = 30;
    o.groups = 4;
    o.extensionRate = 40;
    o.groupRate = 5;
    o.seed = 11;
    TelephonySim sim(o);
    PbxSim::Options po;
    po.lines = 120;
    po.extensions = 30;
    po.rate = 40;
    po.callEvery = 2;
    po.seed = 11;
    PbxSim pbxSim(po);
    QVERIFY(sim.listen() && pbxSim.listen());
    Program p("PortaMonitor=" + QByteArray::number(sim.monitorPort()) + "\r\nPortaOprSvr=" + QByteArray::number(sim.operatorPort())
              + "\r\nPortaPBX=" + QByteArray::number(pbxSim.port()) + "\r\nPortaUDPServer=1\r\n");
    CtMonitor &ct = p.parts->ctMonitor();
    PbxMonitor &pbx = p.parts->pbx();
    CtMonitorWindow monitorWindow(ct);
    PbxWindow pbxWindow(pbx);
    QVERIFY(!monitorWindow.isVisible() && !pbxWindow.isVisible());

    ct.toggle();
    pbx.show();
    QVERIFY(monitorWindow.isVisible());
    QVERIFY(pbxWindow.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(sim.monitorConnected() && pbxSim.connected(), 20000);
    // Let the walks run a moment, then hold them and take the last word.
    QTRY_VERIFY_WITH_TIMEOUT(sim.stats().extensionRecords > 60 && !pbxSim.callsCounted().isEmpty(), 20000);
    sim.stop();
    pbxSim.stop();
    sim.resend();
    pbxSim.resend();
    QTRY_VERIFY_WITH_TIMEOUT(tableFollows(ct, sim), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(linesFollow(pbx, pbxSim), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(callsFollow(ct, pbxSim), 20000);
    // A tile for every extension the configuration named; the agents logged
    // counted, on the main window too.
    QCOMPARE(ct.model().tileCount(), 30);
    int logged = 0;
    for (const simbytes::Extension &e : sim.extensions())
        logged += e.logState != QStringLiteral("LOGGED_OUT");
    QTRY_COMPARE_WITH_TIMEOUT(ct.table().counters()[0], logged, 20000);
    QCOMPARE(p.controller->model().database[MainModel::AgentsLogged]->value(), logged);

    // Every extension tile in its state's colour, captioned with its number.
    TileArea &area = monitorWindow.tiles();
    QImage image = area.grab().toImage();
    QSet<QRgb> colours;
    for (const simbytes::Extension &e : sim.extensions()) {
        const int index = MonitorTiles::indexOf(e.number);
        QCOMPARE(painted(image, area.tileRect(index)), drawn(pageColour(e)));
        colours.insert(drawn(pageColour(e)).rgb());
        QCOMPARE(area.tileText(index).section(QLatin1Char('\n'), 0, 0), QString::number(e.number));
    }
    QVERIFY(colours.size() >= 3); // the walk left several states to tell apart
    // The legend counts what the tiles show.
    QCOMPARE(monitorWindow.findChild<QLabel *>(QStringLiteral("Label2_0"))->text(),
             QString::number(ct.table().counters()[0]));
    QVERIFY(monitorWindow.findChild<QTableWidget *>(QStringLiteral("grid"))->rowCount() > 0);

    // "Visualizza COnteggi Telefonate": the captions are the calls the PBX counted.
    monitorWindow.findChild<QCheckBox *>(QStringLiteral("ChkTel"))->setChecked(true);
    for (auto it = pbxSim.callsCounted().cbegin(); it != pbxSim.callsCounted().cend(); ++it)
        QCOMPARE(area.tileText(MonitorTiles::indexOf(it.key())).section(QLatin1Char('\n'), 0, 0), QString::number(it.value()));

    // A search by an agent's number highlights its tile, and only it, with a red frame.
    const auto agentOn = std::find_if(sim.extensions().cbegin(), sim.extensions().cend(),
                                      [](const simbytes::Extension &e) { return !e.agent.isEmpty(); });
    QVERIFY(agentOn != sim.extensions().cend());
    p.prompts.inputs = {QLatin1Char('(') + agentOn->agent + QLatin1Char(')')};
    ct.actions().cerca(false);
    image = area.grab().toImage();
    for (const simbytes::Extension &e : sim.extensions()) {
        const QColor frame = image.pixelColor(area.tileRect(MonitorTiles::indexOf(e.number)).topLeft());
        QCOMPARE(frame == QColor(Qt::red), e.number == agentOn->number);
    }

    // Every line tile in the status page's colour of its state.
    image = pbxWindow.grid().grab().toImage();
    for (auto it = pbxSim.lineStates().cbegin(); it != pbxSim.lineStates().cend(); ++it) {
        QCOMPARE(painted(image, pbxWindow.tileRect(it.key())), drawn(lineColour(it.value())));
        QVERIFY(pbxWindow.tileText(it.key()).startsWith(QStringLiteral("[ ") + QString::number(it.key()) + QStringLiteral(" ]")));
    }
    QVERIFY(pbxWindow.tileRect(521).isNull()); // 120 lines drawn
    // The totals by state count the simulator's lines.
    QMap<int, int> byState;
    for (int state : pbxSim.lineStates())
        ++byState[state];
    const auto totalsMatch = [&] {
        QMap<int, int> shown;
        for (const auto &[state, count] : pbxWindow.totals())
            shown[state.section(QLatin1Char(' '), 0, 0).toInt()] = count.toInt();
        return shown == byState;
    };
    QTRY_VERIFY_WITH_TIMEOUT(totalsMatch(), 5000); // recounted a moment after a burst

    // Closing a window closes what it shows.
    monitorWindow.close();
    QVERIFY(!ct.isOpen());
    pbxWindow.close();
    QVERIFY(!pbx.isOpen());
    QCOMPARE(pbx.socket().state(), 0);
}

QTEST_MAIN(TestMonitorWindows)
#include "tst_monitorwindows.moc"
