#include "core/ui/MainWindow.h"

#include "core/MainController.h"
#include "core/ui/Bindings.h"
#include "core/ui/Frames.h"
#include "core/ui/LogoBand.h"
#include "core/ui/MainMenus.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

MainWindow::MainWindow(MainController &controller, QWidget *parent)
    : QMainWindow(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("FrmMain"));
    MainModel &m = controller.model();
    setWindowTitle(m.caption.text());
    connect(&m.caption, &TextValue::textChanged, this, &QWidget::setWindowTitle);
    mainmenus::build(*this, controller);
    bind::onKey(this, Qt::Key_Escape, [&controller] { controller.toggleLogPanel(); });

    auto *central = new QWidget(this);
    auto *outer = new QHBoxLayout(central);
    auto *logo = new LogoBand(QStringLiteral("Vastel Quorin DB Server - call centre dialer data service"), central);
    logo->setObjectName(QStringLiteral("picLogo"));
    outer->addWidget(logo);

    auto *column = new QVBoxLayout;
    auto *top = new QHBoxLayout;
    top->addWidget(frames::connection(controller, central));
    top->addWidget(frames::traffic(controller, central));
    top->addWidget(frames::database(controller, central));
    column->addLayout(top);
    column->addWidget(frames::commands(controller, central));
    column->addWidget(frames::outcomes(controller, central));
    column->addWidget(frames::requestLists(controller, central), 1);
    column->addWidget(frames::groupBrowser(controller, central), 1);
    column->addWidget(frames::logLists(controller, central), 3);
    outer->addLayout(column, 1);
    setCentralWidget(central);
    resize(1200, 800);

    // Any Label1 caption, double clicked, opens the status page in the browser.
    const QRegularExpression label1(QStringLiteral("^Label1_\\d+$"));
    for (QLabel *label : findChildren<QLabel *>(label1))
        bind::onDoubleClick(label, [&controller] { controller.openStatusPage(); });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_controller.requestClose())
        event->accept();
    else
        event->ignore();
}

