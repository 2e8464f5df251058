#include "core/MainController.h"
#include "core/ui/Bindings.h"
#include "core/ui/Frames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace frames {
namespace {

QPushButton *button(const QString &name, const QString &text, QWidget *parent, const QString &toolTip = QString())
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    return b;
}

// Clicking the label runs a single ping.
class ClickableLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *) override
    {
        if (onClick)
            onClick();
    }
};

// The dialer server's address, and the buttons that connect to it and close the link.
void addServer(QGridLayout *grid, MainController &c, QWidget *frame)
{
    MainModel &m = c.model();
    auto *ip = bind::lineEdit(m.serverIp, frame);
    ip->setObjectName(QStringLiteral("Txt_Ip_Server_Quorin"));
    auto *port = bind::lineEdit(m.serverPort, frame);
    port->setObjectName(QStringLiteral("Txt_Porta_server_Quorin"));
    grid->addWidget(bind::caption(QStringLiteral("Ip"), frame), 0, 0);
    grid->addWidget(ip, 0, 1);
    grid->addWidget(bind::caption(QStringLiteral("Porta"), frame), 1, 0);
    grid->addWidget(port, 1, 1);

    auto *connect = button(QStringLiteral("cmd_Connetti"), QStringLiteral("Connetti"), frame);
    auto *close = button(QStringLiteral("Command1"), QStringLiteral("Chiudi"), frame);
    if (c.plugins().link) {
        bind::enabled(connect, m.connectEnabled);
        bind::enabled(close, m.closeEnabled);
    } else {
        connect->setEnabled(false);
        close->setEnabled(false);
    }
    QObject::connect(connect, &QPushButton::clicked, &c, &MainController::connetti);
    QObject::connect(close, &QPushButton::clicked, &c, &MainController::chiudi);
    grid->addWidget(connect, 0, 2);
    grid->addWidget(close, 1, 2);
}

void addChecks(QGridLayout *grid, MainModel &m, QWidget *frame)
{
    const struct {
        const char *name;
        const char *caption;
        FlagValue &flag;
    } checks[] = {{"Emula", "Simulazione", m.emula},
                  {"chkAutoConnect", "AutoConnect", m.autoConnect},
                  {"chkPingOnIdle", "ping on idle", m.pingOnIdle},
                  {"chk_noDB", "NODB", m.noDb}};
    int i = 0;
    for (const auto &check : checks) {
        auto *box = bind::checkBox(QString::fromLatin1(check.caption), check.flag, frame);
        box->setObjectName(QString::fromLatin1(check.name));
        grid->addWidget(box, 2 + i / 2, i % 2);
        ++i;
    }
}

// The link's LED, state code and text.
QHBoxLayout *linkState(MainModel &m, QWidget *frame)
{
    auto *state = new QHBoxLayout;
    auto *led = bind::led(m.led, frame);
    led->setObjectName(QStringLiteral("LED"));
    auto *code = bind::label(m.codeStatus, frame);
    code->setObjectName(QStringLiteral("lbl_CodeStatus"));
    auto *text = bind::label(m.status, frame);
    text->setObjectName(QStringLiteral("lbl_Status"));
    state->addWidget(led);
    state->addWidget(code);
    state->addWidget(text, 1);
    return state;
}

// The watchdog's LED and the ping's labels (a click pings once).
QHBoxLayout *indicators(MainController &c, QWidget *frame)
{
    MainModel &m = c.model();
    auto *row = new QHBoxLayout;
    auto *wd = bind::label(m.watchdog, frame);
    wd->setObjectName(QStringLiteral("Label1_3"));
    auto *ledWd = bind::led(m.ledWatchdog, frame);
    ledWd->setObjectName(QStringLiteral("LedWD"));
    auto *ping = new ClickableLabel(frame);
    bind::label(ping, m.pingCaption);
    ping->setObjectName(QStringLiteral("Label2_1"));
    auto *pingResult = new ClickableLabel(frame);
    bind::label(pingResult, m.pingResult);
    pingResult->setObjectName(QStringLiteral("lblPing"));
    pingResult->setToolTip(m.pingCaption.toolTip());
    QObject::connect(&m.pingBackground, &TextValue::textChanged, pingResult, [pingResult](const QString &colour) {
        pingResult->setStyleSheet(colour.isEmpty() ? QString() : QStringLiteral("background-color: ") + colour + QLatin1Char(';'));
    });
    if (PingPort *p = c.plugins().ping) {
        ping->onClick = [p] { p->startPing(); };
        pingResult->onClick = ping->onClick;
    }
    row->addWidget(wd);
    row->addWidget(ledWd);
    row->addSpacing(12);
    row->addWidget(ping);
    row->addWidget(pingResult, 1);
    return row;
}

} // namespace

QGroupBox *connection(MainController &c, QWidget *parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Server Quorin"), parent);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    addServer(grid, c, frame);
    addChecks(grid, c.model(), frame);
    grid->addLayout(linkState(c.model(), frame), 4, 0, 1, 3);
    grid->addLayout(indicators(c, frame), 5, 0, 1, 3);
    return frame;
}

} // namespace frames
