// The two windows as a supervisor sees them, fed by the telephony
// simulator over loopback: each extension tile and each line tile drawn in
// its state's colour with its caption, the call counters on the tiles, the
// windows following the monitors' opening and closing.
#include <QtTest>

#include "../../core/TestSupport.h"
#include "app/Composition.h"
#include "campaign/DemoDatabase.h"
#include "core/MainController.h"
#include "ct_monitor/TileColours.h"
#include "ct_monitor/ui/CtMonitorWindow.h"
#include "ct_monitor/ui/TileArea.h"
#include "pbx_lines/ui/PbxWindow.h"
#include "telephony_sim/PbxSim.h"
#include "telephony_sim/TelephonySim.h"

#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>

namespace {

struct Program {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<MainController> controller;
    std::unique_ptr<Composition> parts;

    explicit Program(const QByteArray &settings)
    {
        QString error;
        if (!demodatabase::create(dir.filePath(QStringLiteral("campaign.sqlite")), {10, 2}, error))
            qFatal("demo database: %s", qPrintable(error));
        writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\n" + settings);
        writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
        controller = std::make_unique<MainController>(MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts);
        parts = std::make_unique<Composition>(*controller, prompts, true);
        if (!controller->start())
            qFatal("start failed");
    }
};

// The colour a tile is painted with, taken inside its frame.
QColor painted(const QImage &image, const QRect &tile)
{
    return image.pixelColor(tile.topLeft() + QPoint(5, 5));
}

QColor expectedFill(const QString &colour)
{
    return colour.isEmpty() ? QColor(0xD4, 0xD0, 0xC8) : QColor::fromString(colour);
}

bool tableFollows(CtMonitor &ct, const TelephonySim &sim)
{
    for (const simbytes::Extension &e : sim.extensions()) {
        const ExtensionTable::Row &r = ct.table().row(e.number);
        if (r[ExtensionTable::LogState] != e.logState || r[ExtensionTable::ActionState] != e.actionState
            || r[ExtensionTable::Agent] != e.agent)
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

    // Every extension tile in its state's colour, captioned with its number.
    TileArea &area = monitorWindow.tiles();
    QImage image = area.grab().toImage();
    int withAgent = 0;
    for (const simbytes::Extension &e : sim.extensions()) {
        const int index = MonitorTiles::indexOf(e.number);
        const QString colour = tilecolours::extension(ct.table().row(e.number));
        withAgent += !colour.isEmpty();
        QCOMPARE(painted(image, area.tileRect(index)), expectedFill(colour));
        QCOMPARE(area.tileText(index).section(QLatin1Char('\n'), 0, 0), QString::number(e.number));
    }
    QVERIFY(withAgent > 0);
    // The legend counts what the tiles show.
    QCOMPARE(monitorWindow.findChild<QLabel *>(QStringLiteral("Label2_0"))->text(),
             QString::number(ct.table().counters()[0]));
    QVERIFY(monitorWindow.findChild<QTableWidget *>(QStringLiteral("grid"))->rowCount() > 0);

    // "Visualizza COnteggi Telefonate": the captions are the calls the PBX counted.
    monitorWindow.findChild<QCheckBox *>(QStringLiteral("ChkTel"))->setChecked(true);
    for (auto it = pbxSim.callsCounted().cbegin(); it != pbxSim.callsCounted().cend(); ++it)
        QCOMPARE(area.tileText(MonitorTiles::indexOf(it.key())).section(QLatin1Char('\n'), 0, 0), QString::number(it.value()));

    // A search highlights with a red frame.
    p.prompts.inputs = {sim.extensions().first().description.isEmpty() ? QStringLiteral("zzz") : sim.extensions().first().description};
    ct.actions().cerca(false);
    image = area.grab().toImage();
    for (int i = 0; i < ct.tiles().count(); ++i) {
        if (ct.tiles().tile(i).highlighted)
            QCOMPARE(image.pixelColor(area.tileRect(i).topLeft() + QPoint(1, 1)), QColor(Qt::red));
    }

    // Every line tile in the status page's colour of its state.
    image = pbxWindow.grid().grab().toImage();
    for (auto it = pbxSim.lineStates().cbegin(); it != pbxSim.lineStates().cend(); ++it) {
        QCOMPARE(painted(image, pbxWindow.tileRect(it.key())), QColor::fromString(LineTable::stateColour(it.value())));
        QVERIFY(pbxWindow.tileText(it.key()).startsWith(QStringLiteral("[ ") + QString::number(it.key()) + QStringLiteral(" ]")));
    }
    QVERIFY(pbxWindow.tileRect(521).isNull()); // 120 lines drawn

    // Closing a window closes what it shows.
    monitorWindow.close();
    QVERIFY(!ct.isOpen());
    pbxWindow.close();
    QVERIFY(!pbx.isOpen());
    QCOMPARE(pbx.socket().state(), 0);
}

QTEST_MAIN(TestMonitorWindows)
#include "tst_monitorwindows.moc"
