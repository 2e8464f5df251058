#include "console/ui/ConsoleWindow.h"

#include "console/TelnetConsole.h"
#include "console/ui/ScreenView.h"
#include "console/ui/TcpIpDialog.h"
#include "core/ui/Bindings.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

ConsoleWindow::ConsoleWindow(TelnetConsole &console, QWidget *parent) : QMainWindow(parent), m_console(console)
{
    setObjectName(QStringLiteral("frmTelnet"));
    setWindowTitle(QStringLiteral("Obel Telnet Client"));
    bind::onClose(this, [&console] { console.unload(); });
    m_screen = new ScreenView(console, this);
    setCentralWidget(m_screen);

    const auto item = [this](QMenu *menu, const QString &name, const QString &text, std::function<void()> run) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, std::move(run));
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mFile"));
    item(file, QStringLiteral("mExit"), QStringLiteral("E&xit"), [this] { close(); });
    QMenu *connection = menuBar()->addMenu(QStringLiteral("&Connection"));
    connection->setObjectName(QStringLiteral("mConnection"));
    item(connection, QStringLiteral("mSettings"), QStringLiteral("&Settings"), [this] { settings(); });
    item(connection, QStringLiteral("mOpen"), QStringLiteral("&Open"), [&console] { console.open(); });
    item(connection, QStringLiteral("mClose"), QStringLiteral("&Close"), [&console] { console.close(); });
    ConsoleProcedures &p = console.procedures();
    const auto procedure = [this](const QString &name, const QString &text, std::function<void()> run) {
        QAction *a = menuBar()->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, std::move(run));
    };
    procedure(QStringLiteral("pd"), QStringLiteral("pd"), [&p] { p.workPd(); });
    procedure(QStringLiteral("prcmon"), QStringLiteral("prcmon"), [&p] { p.workPrcmon(); });
    procedure(QStringLiteral("quotrace"), QStringLiteral("&quotrace"), [&console] { console.quoTrace(); });
    procedure(QStringLiteral("TraceCalling"), QStringLiteral("Trace Calling"), [&console] { console.traceCalling(); });
    QMenu *log = menuBar()->addMenu(QStringLiteral("Log"));
    log->setObjectName(QStringLiteral("mnulog"));
    const QStringList &keywords = TelnetConsole::logKeywords();
    for (int i = 0; i < keywords.size(); ++i) {
        const QString keyword = keywords[i];
        item(log, QStringLiteral("log_") + QString::number(i), keyword, [&console, keyword] { console.log(keyword); });
    }

    statusBar()->setObjectName(QStringLiteral("stbStatusBar"));
    for (int i = 0; i < 4; ++i) {
        auto *panel = bind::label(*console.panels[size_t(i)], statusBar());
        panel->setObjectName(QStringLiteral("Panel") + QString::number(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(panel, i == 3 ? 1 : 0);
    }
    connect(&console.loaded, &FlagValue::changed, this, [this](bool open) { setVisible(open); });
    connect(&console, &TelnetConsole::raiseRequested, this, [this] {
        show();
        raise();
        activateWindow();
        m_screen->setFocus();
    });
}

void ConsoleWindow::settings()
{
    TcpIpDialog dialog(m_console.host(), QString::number(m_console.port()),
                       [this](const QString &host, const QString &port) { return m_console.applySettings(host, port); }, this);
    dialog.exec();
}

