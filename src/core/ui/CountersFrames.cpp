#include "core/MainController.h"
#include "core/ui/Bindings.h"
#include "core/ui/Frames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace frames {
namespace {

QLabel *counter(QLabel *l, const QString &name, int index)
{
    l->setObjectName(name + QLatin1Char('_') + QString::number(index));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel *counter(CountValue &value, const QString &name, int index, QWidget *parent, bind::Shown shown = bind::plain)
{
    return counter(bind::label(value, shown, parent), name, index);
}

QPushButton *button(const QString &name, const QString &text, const QString &toolTip, bool available, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    b->setEnabled(available);
    return b;
}

} // namespace

QGroupBox *traffic(MainController &c, QWidget *parent)
{
    auto &t = c.model().traffic;
    auto *frame = new QGroupBox(QStringLiteral("Stato connessione PD"), parent);
    frame->setObjectName(QStringLiteral("Frame2"));
    auto *grid = new QGridLayout(frame);
    const QString name = QStringLiteral("lblstatus");
    // Column heads, then " Rx" and "Tx" rows as the original lays them out.
    grid->addWidget(bind::caption(QStringLiteral(" Rx"), frame), 0, 0);
    grid->addWidget(counter(*t[0], name, 0, frame), 0, 1);
    grid->addWidget(bind::caption(QStringLiteral("Err."), frame), 0, 2);
    grid->addWidget(counter(*t[1], name, 1, frame), 0, 3);
    grid->addWidget(bind::caption(QStringLiteral("Scon"), frame), 0, 4);
    grid->addWidget(counter(*t[2], name, 2, frame), 0, 5);
    grid->addWidget(bind::caption(QStringLiteral("Tx"), frame), 1, 0);
    grid->addWidget(counter(*t[3], name, 3, frame), 1, 1);

    const char *const heads[] = {"Bytes", "Last Msg", "Idle"};
    const bind::Shown shown[] = {bind::grouped, bind::plain, bind::clock};
    for (int col = 0; col < 3; ++col) {
        grid->addWidget(bind::caption(QString::fromLatin1(heads[col]), frame), 2, 1 + col * 2);
        grid->addWidget(bind::caption(QStringLiteral(" Rx"), frame), 3, col * 2);
        grid->addWidget(counter(*t[4 + col * 2], name, 4 + col * 2, frame, shown[col]), 3, 1 + col * 2);
        grid->addWidget(bind::caption(QStringLiteral("Tx"), frame), 4, col * 2);
        grid->addWidget(counter(*t[5 + col * 2], name, 5 + col * 2, frame, shown[col]), 4, 1 + col * 2);
    }
    grid->addWidget(bind::caption(QStringLiteral("esiti x h"), frame), 5, 1);
    grid->addWidget(bind::caption(QStringLiteral(" t"), frame), 6, 0);
    auto *rate = counter(*t[10], name, 10, frame);
    bind::toolTip(rate, c.model().countedSeconds);
    grid->addWidget(rate, 6, 1);
    grid->addWidget(bind::caption(QStringLiteral("+"), frame), 6, 2);
    grid->addWidget(counter(*t[11], name, 11, frame), 6, 3);
    return frame;
}

QGroupBox *database(MainController &c, QWidget *parent)
{
    MainModel &m = c.model();
    auto &d = m.database;
    auto *frame = new QGroupBox(QStringLiteral("Dati DB"), parent);
    frame->setObjectName(QStringLiteral("Frame3"));
    auto *grid = new QGridLayout(frame);
    const QString name = QStringLiteral("lbl_DatiDB");

    auto *conn = counter(bind::label(m.connectionString, frame), name, 0);
    conn->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A long connection string must not widen the window; the tool tip has it whole.
    conn->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(conn, 0, 0, 1, 6);

    const struct {
        const char *caption;
        int element;
        int row, col;
    } cells[] = {{"Cl.da inviare", 1, 1, 0}, {"Esiti in DB", 3, 2, 0}, {"In Coda Quorin", 5, 3, 0},
                 {"non inviabili", 8, 1, 2}, {"-> Operatore", 6, 2, 2}, {"Scartati", 7, 3, 2}};
    for (const auto &cell : cells) {
        grid->addWidget(bind::caption(QString::fromLatin1(cell.caption), frame), cell.row, cell.col);
        grid->addWidget(counter(*d[cell.element], name, cell.element, frame), cell.row, cell.col + 1);
    }
    grid->addWidget(bind::caption(QStringLiteral("grp/op DB"), frame), 4, 0);
    auto *pair = new QHBoxLayout;
    pair->addWidget(counter(*d[4], name, 4, frame));
    pair->addWidget(counter(*d[2], name, 2, frame));
    grid->addLayout(pair, 4, 1);
    grid->addWidget(bind::caption(QStringLiteral("grp/op. logg/lib"), frame), 4, 2);
    auto *triple = new QHBoxLayout;
    for (int e : {9, 10, 11})
        triple->addWidget(counter(*d[e], name, e, frame));
    grid->addLayout(triple, 4, 3);

    grid->addWidget(bind::caption(QStringLiteral("Lv debug"), frame), 5, 0);
    auto *level = bind::lineEdit(m.debugLevel, frame);
    level->setObjectName(QStringLiteral("TxtLivelloDebug"));
    grid->addWidget(level, 5, 1);
    grid->addWidget(bind::caption(QStringLiteral("Acd"), frame), 5, 2);
    auto *acd = new QHBoxLayout;
    auto *ledAcd = bind::led(m.ledAcd, frame);
    ledAcd->setObjectName(QStringLiteral("lEDacd"));
    auto *acdCode = bind::label(m.acdCode, frame);
    acdCode->setObjectName(QStringLiteral("Lbl_CodeStatus_ACD"));
    acd->addWidget(ledAcd);
    acd->addWidget(acdCode, 1);
    grid->addLayout(acd, 5, 3);

    return frame;
}

QWidget *commands(MainController &c, QWidget *parent)
{
    const bool db = c.plugins().campaign != nullptr;
    auto *frame = new QWidget(parent);
    auto *buttons = new QHBoxLayout(frame);
    buttons->setContentsMargins(0, 0, 0, 0);
    CampaignPort *campaign = c.plugins().campaign;
    const auto onClick = [campaign](QPushButton *b, auto action) {
        if (campaign)
            QObject::connect(b, &QPushButton::clicked, b, [campaign, action] { action(*campaign); });
        return b;
    };
    buttons->addWidget(onClick(button(QStringLiteral("Command2"), QStringLiteral("agg."), QStringLiteral("Aggiorna Contatori"), db, frame),
                               [](CampaignPort &p) { p.refreshCounters(false); }));
    auto *prova = button(QStringLiteral("Command3"), QStringLiteral("prova esito"), QString(), c.plugins().emulator != nullptr, frame);
    if (EmulatorPort *emulator = c.plugins().emulator)
        QObject::connect(prova, &QPushButton::clicked, prova, [emulator] { emulator->provaEsito(); });
    buttons->addWidget(prova);
    buttons->addWidget(onClick(button(QStringLiteral("Command4"), QStringLiteral("Azzera"), QString(), db, frame),
                               [](CampaignPort &p) { p.manualReset(); }));
    auto *clear = button(QStringLiteral("Command5"), QStringLiteral("clear list"), QString(), true, frame);
    QObject::connect(clear, &QPushButton::clicked, &c, &MainController::clearLists);
    buttons->addWidget(clear);
    buttons->addWidget(onClick(button(QStringLiteral("Command6"), QStringLiteral("invia gruppi"), QString(), db && c.plugins().link, frame),
                               [](CampaignPort &p) { p.sendGroups(); }));
    const char *const summaries[][2] = {{"A", "Riepilogo Archivio x Ultimo Esito"},
                                        {"et", "Riepilogo Archivio Esiti"},
                                        {"eg", "Riepilogo Archivio Esiti odierno"}};
    for (int i = 0; i < 3; ++i)
        buttons->addWidget(onClick(button(QStringLiteral("Command10_") + QString::number(i), QString::fromLatin1(summaries[i][0]),
                                          QString::fromLatin1(summaries[i][1]), db, frame),
                                   [i](CampaignPort &p) { i == 0 ? p.dumpArchive() : p.outcomeSummary(i); }));
    auto *monitor = button(QStringLiteral("Command11"), QStringLiteral("Finestra Monitor"), QString(),
                           c.plugins().ctMonitor != nullptr, frame);
    if (CtMonitorPort *ct = c.plugins().ctMonitor)
        QObject::connect(monitor, &QPushButton::clicked, monitor, [ct] { ct->showAndFill(); });
    buttons->addWidget(monitor);
    buttons->addStretch(1);
    return frame;
}

} // namespace frames
