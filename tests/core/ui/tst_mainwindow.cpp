// The main window binds to the model: captions, controls and edits.
#include <QtTest>

#include "../TestSupport.h"
#include "core/MainController.h"
#include "app/Composition.h"
#include "campaign/DemoDatabase.h"
#include "core/LogList.h"
#include "core/ui/DialogPrompts.h"
#include "core/ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyControlIsThereWithItsCaption();
    void controlsAndModelStayInStep();
    void servicesNotInThisProgramAreDisabled();
    void databaseButtonsAndGridWorkOnTheDemoDatabase();
    void aNoticeOnScreenIsNotOpenedTwice();
};

namespace {
struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    MainController controller{MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts};
    MainWindow window{controller};
};

template <typename T>
T *child(QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("missing control %s", name);
    return found;
}
} // namespace

void TestMainWindow::everyControlIsThereWithItsCaption()
{
    Fixture f;
    QWidget &w = f.window;
    // Group boxes show a title, buttons and boxes a text.
    const char *const group = "QGroupBox", *const button = "QPushButton", *const box = "QCheckBox";
    const std::tuple<const char *, const char *, const char *> captions[] = {
        {"Frame1", group, "Server Quorin"}, {"Frame2", group, "Stato connessione PD"}, {"Frame3", group, "Dati DB"},
        {"Frame5", group, "Gruppi/Operatori"}, {"cmd_Connetti", button, "Connetti"}, {"Command1", button, "Chiudi"},
        {"Command2", button, "agg."}, {"Command3", button, "prova esito"}, {"Command4", button, "Azzera"},
        {"Command5", button, "clear list"}, {"Command6", button, "invia gruppi"}, {"Command10_0", button, "A"},
        {"Command10_1", button, "et"}, {"Command10_2", button, "eg"}, {"Command11", button, "Finestra Monitor"},
        {"Command8", button, "Filtra"}, {"Command9", button, "azzera"}, {"Command7", button, "Chiudi"},
        {"Emula", box, "Simulazione"}, {"chkAutoConnect", box, "AutoConnect"}, {"chkPingOnIdle", box, "ping on idle"},
        {"chk_noDB", box, "NODB"}};
    for (const auto &[name, kind, caption] : captions) {
        QWidget *c = child<QWidget>(w, name);
        QVERIFY2(c && c->inherits(kind), name);
        QCOMPARE(c->property(kind == group ? "title" : "text").toString(), QString::fromLatin1(caption));
    }
    QCOMPARE(child<QPushButton>(w, "Command2")->toolTip(), QStringLiteral("Aggiorna Contatori"));
    QCOMPARE(child<QPushButton>(w, "Command10_2")->toolTip(), QStringLiteral("Riepilogo Archivio Esiti odierno"));
    QCOMPARE(child<QLineEdit>(w, "Txt_Ip_Server_Quorin")->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(child<QLineEdit>(w, "Txt_Porta_server_Quorin")->text(), QStringLiteral("12000"));
    QCOMPARE(child<QLabel>(w, "Label2_1")->toolTip(), QStringLiteral("Clicca x Ping singolo"));
    QCOMPARE(child<QLabel>(w, "Label1_3")->text(), QStringLiteral("wd"));
    QCOMPARE(child<QLabel>(w, "Label1_15")->text(), QStringLiteral("-> pbx"));
    for (int i = 0; i < 12; ++i) {
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("lblstatus_%1").arg(i)));
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("lbl_DatiDB_%1").arg(i)));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("lblPercEsiti_%1").arg(i))->text(), QStringLiteral("0%"));
    }
    for (const char *list : {"List1", "List2", "List3_0", "List3_1"})
        QVERIFY(child<QListView>(w, list));

    QStringList editsql;
    for (int i = 0; i < 10; ++i)
        editsql << w.findChild<QAction *>(QStringLiteral("editsql_%1").arg(i))->text();
    QCOMPARE(editsql.first(), QStringLiteral("Conn_quorin.ini"));
    QCOMPARE(editsql.last(), QStringLiteral("SQL_RIEP_EXT.TXT"));
    for (const char *name : {"grop", "param", "Esci", "log", "DBDOWN", "DBOK", "CTMonitor", "PBX", "TELNET", "wd",
                             "TestQueryGruppo", "TestQueryOperatore", "DiagnosiGruppo", "DiagnosiOperatore"})
        QVERIFY2(child<QAction>(w, name), name);
}

void TestMainWindow::controlsAndModelStayInStep()
{
    Fixture f;
    MainModel &m = f.controller.model();
    auto *ip = child<QLineEdit>(f.window, "Txt_Ip_Server_Quorin");
    QTest::keyClicks(ip, QStringLiteral("9"));
    QCOMPARE(m.serverIp.text(), QStringLiteral("127.0.0.19"));
    m.serverIp.setText(QStringLiteral("10.0.0.1"));
    QCOMPARE(ip->text(), QStringLiteral("10.0.0.1"));
    child<QCheckBox>(f.window, "chk_noDB")->click();
    QVERIFY(m.noDb.value());
    m.traffic[MainModel::PacketsSent]->set(17);
    QCOMPARE(child<QLabel>(f.window, "lblstatus_3")->text(), QStringLiteral("17"));
    f.controller.log().scriviLog(QStringLiteral("hello"), 0);
    QCOMPARE(child<QListView>(f.window, "List1")->currentIndex().row(), 0);
    auto *frame4 = child<QGroupBox>(f.window, "Frame4");
    QVERIFY(frame4->isHidden());
    f.controller.toggleLogPanel();
    QVERIFY(!frame4->isHidden());
    m.caption.setText(QStringLiteral("caption"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("caption"));
}

void TestMainWindow::servicesNotInThisProgramAreDisabled()
{
    Fixture f;
    QVERIFY(!child<QPushButton>(f.window, "cmd_Connetti")->isEnabled());
    QVERIFY(!child<QPushButton>(f.window, "Command2")->isEnabled());
    QVERIFY(!child<QAction>(f.window, "DBOK")->isEnabled());
    QVERIFY(child<QPushButton>(f.window, "Command5")->isEnabled());
    QVERIFY(child<QAction>(f.window, "param")->isEnabled());

    FakeLink link;
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    MainController withLink(MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts, Plugins{&link});
    MainWindow window(withLink);
    auto *connect = child<QPushButton>(window, "cmd_Connetti");
    QVERIFY(connect->isEnabled());
    withLink.invertiTasti();
    QVERIFY(!connect->isEnabled());
    QVERIFY(child<QPushButton>(window, "Command1")->isEnabled());
}

void TestMainWindow::databaseButtonsAndGridWorkOnTheDemoDatabase()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(demodatabase::create(dir.filePath(QStringLiteral("campaign.sqlite")), {200, 5}, error), qPrintable(error));
    writeFile(dir.path(), QStringLiteral("tm40.ini"), "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n");
    ScriptedPrompts prompts;
    MainController controller(MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts);
    Composition parts(controller, prompts, true);
    MainWindow window(controller);
    QVERIFY(controller.start());

    auto *agg = child<QPushButton>(window, "Command2");
    QVERIFY(agg->isEnabled());
    agg->click();
    QCOMPARE(controller.model().database[MainModel::Groups]->value(), 6);
    QVERIFY(controller.model().database[MainModel::ToSend]->value() > 0);

    child<QPushButton>(window, "Command10_0")->click(); // archive state
    QVERIFY(controller.log().list2().line(0).endsWith(QStringLiteral(") STATO ARCHIVIO")));

    child<QAction>(window, "grop")->trigger();
    QVERIFY(!child<QGroupBox>(window, "Frame5")->isHidden());
    auto *grid = child<QTableView>(window, "DataGrid1");
    QVERIFY(grid->model());
    const int all = grid->model()->rowCount();
    QVERIFY(all > 6);
    child<QLineEdit>(window, "txtFiltro_0")->setText(QStringLiteral("1"));
    controller.model().groupFilter.setText(QStringLiteral("1"));
    child<QPushButton>(window, "Command8")->click();
    QVERIFY(grid->model()->rowCount() < all);
    child<QPushButton>(window, "Command9")->click();
    QCOMPARE(grid->model()->rowCount(), all);
    QCOMPARE(controller.model().groupFilter.text(), QString());

    // "wd" opens the watchdog's window; a click on lblPing pings, the label takes the result's colour.
    parts.watchdogWindow().setPort(0);
    QAction *wd = child<QAction>(window, "wd");
    QVERIFY(wd->isEnabled());
    wd->trigger();
    QVERIFY(parts.watchdogWindow().isOpen());
    controller.model().serverIp.setText(QStringLiteral("not-an-address"));
    QSignalSpy pinged(&parts.ping(), &PingService::done);
    auto *lblPing = child<QLabel>(window, "lblPing");
    QTest::mouseClick(lblPing, Qt::LeftButton);
    QVERIFY(lblPing->styleSheet().contains(PingService::kRunning));
    QVERIFY(pinged.wait(20000));
    QVERIFY(lblPing->styleSheet().contains(PingService::kFailed));
    QVERIFY(lblPing->text().startsWith(QStringLiteral("not-an-address -1   [ inet_addr")));
}

void TestMainWindow::aNoticeOnScreenIsNotOpenedTwice()
{
    const QString text = QStringLiteral("ErrWs1 #10061 Connection refused");
    DialogPrompts prompts;
    const auto boxes = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += qobject_cast<QMessageBox *>(w) && w->isVisible();
        return n;
    };
    const auto acceptAll = [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->accept();
    };
    int seen = -1;
    bool repeatReturned = false;
    // While the first box is open, events run: the link's error comes again,
    // and so does a question already asked.
    QTimer::singleShot(0, [&] {
        prompts.message(text); // returns at once
        repeatReturned = true;
        seen = boxes();
        acceptAll();
    });
    prompts.message(text);
    QVERIFY(repeatReturned);
    QCOMPARE(seen, 1);
    QVERIFY(!prompts.isOpen(text));
    // Once closed, the notice can be shown again.
    QTimer::singleShot(0, [&] {
        seen = boxes();
        acceptAll();
    });
    prompts.message(text);
    QCOMPARE(seen, 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
