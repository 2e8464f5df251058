#include "core/ui/MainMenus.h"

#include "core/ConfigFiles.h"
#include "core/MainController.h"
#include "core/ui/Frames.h"
#include "core/ui/ParametersDialog.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace mainmenus {
namespace {

QAction *entry(QMenu *menu, const QString &name, const QString &text, bool available)
{
    QAction *a = menu->addAction(text);
    a->setObjectName(name);
    a->setEnabled(available);
    return a;
}

void fileMenu(QMainWindow &w, MainController &c)
{
    QMenu *file = w.menuBar()->addMenu(QStringLiteral("&File"));
    QMenu *config = file->addMenu(QStringLiteral("Configurazione Origini SQL/Parametri"));
    const QStringList captions = configfiles::captions();
    for (int i = 0; i < captions.size(); ++i) {
        QAction *a = entry(config, QStringLiteral("editsql_") + QString::number(i), captions[i], true);
        QObject::connect(a, &QAction::triggered, &c, [&c, i] { c.editConfiguration(i); });
    }
    QAction *grop = entry(file, QStringLiteral("grop"), QStringLiteral("Gruppi/Operatori"), c.plugins().campaign);
    QObject::connect(grop, &QAction::triggered, &c, [&c, &w] {
        c.model().groupBrowserVisible.set(true);
        frames::filterGroups(c, &w);
    });
    QAction *param = entry(file, QStringLiteral("param"), QStringLiteral("Parametri Operativi"), true);
    QObject::connect(param, &QAction::triggered, &w, [&w, &c] {
        ParametersDialog dialog(c.files(), c.settings(), &w);
        dialog.exec();
    });
    QAction *exit = entry(file, QStringLiteral("Esci"), QStringLiteral("Esci"), true);
    QObject::connect(exit, &QAction::triggered, &c, &MainController::esci);
}

void clockMenu(QMainWindow &w, MainController &c)
{
    QMenu *clock = w.menuBar()->addMenu(c.model().menuClock.text());
    clock->setObjectName(QStringLiteral("mnu_ora"));
    QObject::connect(&c.model().menuClock, &TextValue::textChanged, clock, &QMenu::setTitle);
    const Plugins &p = c.plugins();
    QAction *dbDown = entry(clock, QStringLiteral("DBDOWN"), QStringLiteral("DBDOWN"), p.link);
    QAction *dbOk = entry(clock, QStringLiteral("DBOK"), QStringLiteral("DBOK"), p.link);
    if (p.link) {
        QObject::connect(dbDown, &QAction::triggered, &c, [l = p.link] { l->sendDbDown(); });
        QObject::connect(dbOk, &QAction::triggered, &c, [l = p.link] { l->sendDbOk(); });
    }
    QAction *acd = entry(clock, QStringLiteral("CTMonitor"), QStringLiteral("ACD"), p.ctMonitor);
    if (p.ctMonitor)
        QObject::connect(acd, &QAction::triggered, &c, [m = p.ctMonitor] { m->toggle(); });
    QAction *pbx = entry(clock, QStringLiteral("PBX"), QStringLiteral("PBX"), p.pbx);
    if (p.pbx)
        QObject::connect(pbx, &QAction::triggered, &c, [x = p.pbx] { x->show(); });
    QAction *telnet = entry(clock, QStringLiteral("TELNET"), QStringLiteral("&TELNET"), p.console);
    if (p.console)
        QObject::connect(telnet, &QAction::triggered, &c, [x = p.console] { x->show(); });
    QAction *wd = entry(clock, QStringLiteral("wd"), QStringLiteral("wd"), p.watchdogWindow);
    if (p.watchdogWindow)
        QObject::connect(wd, &QAction::triggered, &c, [x = p.watchdogWindow] { x->show(); });
}

} // namespace

void build(QMainWindow &w, MainController &c)
{
    fileMenu(w, c);
    QAction *log = w.menuBar()->addAction(QStringLiteral("Log"));
    log->setObjectName(QStringLiteral("log"));
    QObject::connect(log, &QAction::triggered, &c, &MainController::toggleLogPanel);
    clockMenu(w, c);
    QMenu *test = w.menuBar()->addMenu(QStringLiteral("&TestQuery"));
    const bool db = c.plugins().campaign;
    QAction *group = entry(test, QStringLiteral("TestQueryGruppo"), QStringLiteral("Test Query Gruppo"), db);
    QAction *op = entry(test, QStringLiteral("TestQueryOperatore"), QStringLiteral("Test Query Operatore"), db);
    QObject::connect(group, &QAction::triggered, &c, [&c] { c.testQuery(false); });
    QObject::connect(op, &QAction::triggered, &c, [&c] { c.testQuery(true); });
    test->addSeparator();
    QAction *whyGroup = entry(test, QStringLiteral("DiagnosiGruppo"), QStringLiteral("Diagnosi Gruppo"), db);
    QAction *whyOp = entry(test, QStringLiteral("DiagnosiOperatore"), QStringLiteral("Diagnosi Operatore"), db);
    QObject::connect(whyGroup, &QAction::triggered, &c, [&c] { c.diagnose(false); });
    QObject::connect(whyOp, &QAction::triggered, &c, [&c] { c.diagnose(true); });
}

} // namespace mainmenus
