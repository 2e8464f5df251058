// What the monitor window's buttons do, without the window: edit mode holds
// and releases the timers and links, the layout file is written and read,
// search and call go through the telephone, the extension list refreshes
// only while it shows, the links' LEDs open and close them.
#include <QtTest>

#include "../support/Program.h"
#include "telephony_sim/TelephonySim.h"

#include <QSqlRecord>
#include <QUdpSocket>

namespace {

// An agent on an extension, as a monitor record would put it.
void agent(Program &p, int extension, const QString &name)
{
    telephony::ExtensionRecord r;
    r.number = extension;
    r.numberText = QString::number(extension);
    r.agent = QString::number(extension * 10);
    r.description = name;
    r.logState = QStringLiteral("LOGGED_IN");
    r.actionState = QStringLiteral("FREE");
    r.lineState = QStringLiteral("IDLE");
    p.monitor().table().applyExtension(r, QDateTime::currentDateTime());
}

// A command line that creates dir/<its last argument>.
QByteArray touchIn(const QString &dir)
{
    const QByteArray cmake = QByteArrayLiteral(QUORIN_CMAKE);
    return "\"" + cmake + "\" -E chdir \"" + QDir::toNativeSeparators(dir).toUtf8() + "\" \"" + cmake + "\" -E touch";
}

} // namespace

class TestMonitorActions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editModeAndTheLedsHoldAndReleaseTheLinks();
    void theLayoutIsSavedAndRestored();
    void installationsLayoutAtOpeningAndExitDuringEditMode();
    void searchAndCallGoThroughTheTelephone();
    void theExtensionListRefreshesOnlyWhileShown();
    void pendingRowsReachTheDatabaseAtExit();
};

void TestMonitorActions::editModeAndTheLedsHoldAndReleaseTheLinks()
{
    auto sim = std::make_unique<TelephonySim>(TelephonySim::Options{});
    QVERIFY(sim->listen());
    QUdpSocket probe; // a free port for WS6, held until the monitor takes it
    QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
    const quint16 ws6 = probe.localPort();
    probe.close();
    Program p("PortaMonitor=" + QByteArray::number(sim->monitorPort()) + "\r\nPortaOprSvr=" + QByteArray::number(sim->operatorPort())
              + "\r\nPortaUDPServer=" + QByteArray::number(ws6) + "\r\n");
    CtMonitor &ct = p.monitor();
    MainController &c = *p.controller;
    const auto up = [&] { return sim->monitorConnected() && ct.operatorLink().isConnected(); };
    ct.toggle();
    QTRY_VERIFY_WITH_TIMEOUT(up(), 20000);
    QVERIFY(ct.session().timer().isActive() && c.timer1().isActive() && c.timer2().isActive());

    p.actions().edit();
    QVERIFY(p.actions().editMode());
    QVERIFY(!ct.session().timer().isActive());
    QVERIFY(!c.timer1().isActive());
    QVERIFY(!c.timer2().isActive());
    QCOMPARE(ct.monitorLink().state(), 0);
    QCOMPARE(ct.operatorLink().state(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!sim->monitorConnected(), 20000);

    // "edit" again: everything runs again and the links come back.
    p.actions().edit();
    QVERIFY(!p.actions().editMode());
    QVERIFY(ct.session().timer().isActive() && c.timer1().isActive() && c.timer2().isActive());
    QTRY_VERIFY_WITH_TIMEOUT(up(), 20000);

    // Closing the window in edit mode ends it too: the main timers run, the monitor stays closed.
    p.actions().edit();
    ct.session().close();
    QVERIFY(!ct.isOpen());
    QVERIFY(!p.actions().editMode());
    QVERIFY(c.timer1().isActive() && c.timer2().isActive());
    QVERIFY(!ct.session().timer().isActive());
    QCOMPARE(ct.monitorLink().state(), 0);
    QCOMPARE(ct.operatorLink().state(), 0);
    ct.toggle();
    QTRY_VERIFY_WITH_TIMEOUT(up(), 20000);

    // An open link's double click closes it, and it stays closed, the timer's round included.
    ct.links().ledDoubleClicked(1);
    QVERIFY(p.logged(QStringLiteral("Chiusa Socket 4 ( OprSrv)")));
    ct.links().ledDoubleClicked(0);
    QVERIFY(p.logged(QStringLiteral("Chiusa Socket 2 ( Monitor)")));
    ct.session().tick();
    QCOMPARE(ct.operatorLink().state(), 0);
    QCOMPARE(ct.monitorLink().state(), 0);
    QVERIFY(!ct.operatorLink().reconnector().retrying() && !ct.monitorLink().reconnector().retrying());
    // A closed link's double click opens it.
    ct.links().ledDoubleClicked(1);
    QVERIFY(p.logged(QStringLiteral("Aperta Socket 4 ( OprSrv)")));
    ct.links().ledDoubleClicked(0);
    QVERIFY(p.logged(QStringLiteral("Aperta Socket 2 ( Monitor)")));
    QTRY_VERIFY_WITH_TIMEOUT(up(), 20000);

    // The server restarts: both links fall in error and wait to try again; a
    // double click opens a link in error at once, long before its next try.
    ct.operatorLink().reconnector().setWaits(600000, 600000);
    ct.monitorLink().reconnector().setWaits(600000, 600000);
    TelephonySim::Options same;
    same.monitorPort = sim->monitorPort();
    same.operatorPort = sim->operatorPort();
    sim.reset();
    QTRY_VERIFY_WITH_TIMEOUT(ct.operatorLink().state() == 9 && ct.monitorLink().state() == 9, 20000);
    sim = std::make_unique<TelephonySim>(same);
    QVERIFY(sim->listen());
    ct.model().list.clear();
    ct.links().ledDoubleClicked(1);
    ct.links().ledDoubleClicked(0);
    QVERIFY(!p.logged(QStringLiteral("Chiusa Socket")));
    QTRY_VERIFY_WITH_TIMEOUT(up(), 20000);

    // What arrives on the UDP port is only counted.
    QCOMPARE(ct.links().udpSockets().listeningPort(), ws6);
    QUdpSocket sender;
    QSignalSpy arrived(&ct.links().udpSockets(), &ServerUdpSockets::arrived);
    sender.writeDatagram(QByteArray(9, 'x'), QHostAddress::LocalHost, ws6);
    QVERIFY(arrived.wait(20000));
    QVERIFY(p.logged(QStringLiteral("DATI IN ARRIVO DA WS6 9")));
}

void TestMonitorActions::theLayoutIsSavedAndRestored()
{
    Program p;
    MonitorActions &a = p.actions();
    MonitorTiles &tiles = p.monitor().tiles();
    const QString file = p.controller->files().layoutFile();

    // No file: the computed layout stays.
    a.leggiPosizioni();
    QCOMPARE(tiles.tile(0).position, MonitorTiles::gridPosition(0));

    QSignalSpy redraw(&a, &MonitorActions::redraw);
    a.edit();
    a.tileMoveStarted(4);
    a.tileMoved(4, {-30, 2500}); // a tile dropped left of the window lands at 0
    QCOMPARE(tiles.tile(4).position, QPoint(0, 2500));
    QCOMPARE(a.coordinates.text(), QStringLiteral("x = 0 y = 2500"));
    QVERIFY(p.logged(QStringLiteral("Spostamento posizone interno 105")));
    QVERIFY(p.logged(QStringLiteral("spostamento concluso")));
    p.prompts.inputs = {QStringLiteral("Sala\nA")};
    a.formRightClicked({300, 400});
    QVERIFY(p.prompts.asked.contains(QStringLiteral("input:Messaggio da visualizzare alle coordinate x =300 y = 400")));
    QCOMPARE(a.texts().size(), 1);
    a.formRightClicked({1, 1}); // an empty answer adds nothing
    QCOMPARE(a.texts().size(), 1);
    QVERIFY(a.salvaPosizioni());
    const QByteArray saved = readFile(file);
    QVERIFY(saved.startsWith(QByteArray::number(MonitorTiles::gridPosition(0).x()) + "\r\n"));
    QVERIFY(saved.endsWith("300\r\n400\r\n\"Sala\xB6" "A\"\r\n"));

    // Moved away, then "zoom" puts it back; a right click in edit mode redraws.
    a.tileMoved(4, {9000, 9000});
    a.leggiPosizioni();
    QCOMPARE(tiles.tile(4).position, QPoint(0, 2500));
    QCOMPARE(a.texts().first().text, QStringLiteral("Sala\nA"));
    const int before = int(redraw.count());
    a.tileRightClicked(4);
    QCOMPARE(redraw.count(), before + 1);
    a.edit();
    // Outside edit mode a right click is a test call, and the form takes no texts.
    a.tileRightClicked(4);
    QCOMPARE(p.parts->notice().text(), QStringLiteral("PROVA di CHIAMATA PER 105"));
    p.prompts.inputs = {QStringLiteral("x")};
    a.formRightClicked({5, 5});
    QCOMPARE(a.texts().size(), 1);

    // A damaged file: what is sound is placed, the rest logged.
    writeFile(QFileInfo(file).absolutePath(), QFileInfo(file).fileName(), "100\r\n200\r\n300\r\nrotto\r\n");
    a.leggiPosizioni();
    QCOMPARE(tiles.tile(0).position, QPoint(100, 200));
    QCOMPARE(tiles.tile(1).position, MonitorTiles::gridPosition(1)); // its line after the x is not a number
    QVERIFY(p.logged(QStringLiteral("Pos_CT.ini letto in parte")));

    // "Allinea da" / "a": the range lined up with its first tile.
    tiles.move(MonitorTiles::indexOf(120), {500, 700});
    p.prompts.inputs = {QStringLiteral("120"), QStringLiteral("122")};
    a.formDoubleClicked();
    QCOMPARE(tiles.tile(MonitorTiles::indexOf(122)).position, QPoint(500 + 2 * MonitorTiles::kPitchX, 700));
}

void TestMonitorActions::installationsLayoutAtOpeningAndExitDuringEditMode()
{
    Program p("UsaDB=1\r\n");
    // As the original wrote it: 96 tiles, then one text.
    QByteArray file;
    for (int i = 0; i < 96; ++i)
        file += " " + QByteArray::number(200 + i * 64) + " \r\n 5000 \r\n";
    file += " 1 \r\n 150 \r\n 90 \r\n\"Turno A\"\r\n";
    const QString path = p.controller->files().layoutFile();
    writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), file);
    p.monitor().toggle();
    QCOMPARE(p.monitor().tiles().tile(0).position, QPoint(200, 5000));
    QCOMPARE(p.monitor().tiles().tile(95).position, QPoint(200 + 95 * 64, 5000));
    QCOMPARE(p.actions().texts().size(), 1);
    QCOMPARE(p.actions().texts().first().text, QStringLiteral("Turno A"));
    // "ACD" in edit mode closes the window, whose links are closed on purpose.
    p.actions().edit();
    p.monitor().toggle();
    QVERIFY(!p.monitor().isOpen());
    QVERIFY(p.controller->timer1().isActive());

    // "Esci" answered No during edit mode: leaving edit mode keeps the main tick as "Esci" left it.
    MainController &c = *p.controller;
    p.monitor().toggle();
    p.actions().edit();
    p.prompts.answers = {false};
    c.esci();
    p.actions().edit();
    QVERIFY(!c.timer1().isActive());
    QVERIFY(c.timer2().isActive());
    QVERIFY(p.monitor().session().timer().isActive());
}

void TestMonitorActions::searchAndCallGoThroughTheTelephone()
{
    QTemporaryDir calls;
    Program p("ComandoChiamata=" + touchIn(calls.path()) + "\r\nComandoRiaggancio=" + touchIn(calls.path()) + " riagganciato\r\n");
    MonitorActions &a = p.actions();
    auto &phone = p.parts->phone();
    agent(p, 105, QStringLiteral("Rossi Mario"));
    agent(p, 106, QStringLiteral("Rossini Anna"));
    agent(p, 107, QStringLiteral("Bianchi Luca"));

    QSignalSpy finished(&phone, &CommandPhone::finished);
    p.prompts.inputs = {QStringLiteral("bianchi")};
    a.cerca(true); // one match: it is called
    QCOMPARE(p.parts->notice().text(), QStringLiteral(" Chiamo  107 INT. "));
    QVERIFY(finished.wait(30000));
    QVERIFY(QFileInfo::exists(calls.filePath(QStringLiteral("107"))));

    // Two matches: nobody called (which tiles light up is the tiles' own test).
    p.prompts.inputs = {QStringLiteral("ROSSI")};
    a.cerca(true);
    QCOMPARE(p.parts->notice().text(), QStringLiteral(" Chiamo  107 INT. "));
    p.prompts.inputs = {QStringLiteral("verdi")};
    a.cerca(false);
    QCOMPARE(p.parts->notice().text(), QStringLiteral("[ verdi ] non trovato"));

    a.interrompi();
    QVERIFY(finished.wait(30000));
    QVERIFY(QFileInfo::exists(calls.filePath(QStringLiteral("riagganciato"))));

    // "chiama oper." only announces a test call; nothing is asked of the telephone.
    p.prompts.inputs = {QStringLiteral("0612345")};
    a.chiama();
    QCOMPARE(p.parts->notice().text(), QStringLiteral("PROVA di CHIAMATA PER 0612345"));

    // Only a telephone number reaches the command line.
    QVERIFY(!phone.callPhone(QStringLiteral("105 & del *")));
    QVERIFY(!phone.callPhone(QStringLiteral("--help")));
    QVERIFY(p.logged(QStringLiteral("Telefono: numero non valido")));
}

void TestMonitorActions::theExtensionListRefreshesOnlyWhileShown()
{
    Program p;
    MonitorActions &a = p.actions();
    agent(p, 105, QStringLiteral("Rossi"));
    QSignalSpy added(&a.list, &LogList::lineAdded);
    for (int i = 0; i < 40; ++i)
        a.tick();
    QCOMPARE(added.count(), 0); // hidden: never refilled
    a.toggleList();
    QVERIFY(a.listShown.value());
    QCOMPARE(a.list.lines(), QStringList{QStringLiteral("INT. [ 105 ] Op. ") + p.monitor().tiles().tile(4).toolTip});
    agent(p, 107, QStringLiteral("Nuovo"));
    for (int i = 0; i < MonitorActions::kListTicks - 1; ++i)
        a.tick();
    QCOMPARE(a.list.count(), 1);
    a.tick();
    QCOMPARE(a.list.count(), 2);

    // A line chosen calls its extension (no telephone configured: logged).
    a.listActivated(1);
    QCOMPARE(p.parts->notice().text(), QStringLiteral(" Chiamo  107 INT. "));
    QVERIFY(p.logged(QStringLiteral("Telefono non configurato")));
    a.toggleList();
    QVERIFY(!a.listShown.value());
}

void TestMonitorActions::pendingRowsReachTheDatabaseAtExit()
{
    Program p;
    const simbytes::Extension paused{.number = 133, .agent = QStringLiteral("4242"), .logState = QStringLiteral("PAUSED")};
    telephony::MonitorPacket packet;
    QVERIFY(telephony::decodeMonitor(simbytes::extensions(telephony::ExtensionChange, {paused}), packet).ok());
    p.monitor().feed().lavoraDatiMonitor(packet);
    QVERIFY(p.monitor().store().pending());
    p.controller->unload(); // at once, before the store's moment has passed
    QList<QSqlRecord> rows;
    QString error;
    QVERIFY2(p.openAside()->rows(QStringLiteral("SELECT statolog FROM CT_Monitor WHERE Interno='133'"), rows, error), qPrintable(error));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(0).toString(), QStringLiteral("PAUSED"));
}

QTEST_MAIN(TestMonitorActions)
#include "tst_monitoractions.moc"
