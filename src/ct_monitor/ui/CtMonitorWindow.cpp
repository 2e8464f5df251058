#include "ct_monitor/ui/CtMonitorWindow.h"

#include "core/ui/Bindings.h"
#include "ct_monitor/CtMonitor.h"
#include "ct_monitor/TileColours.h"
#include "ct_monitor/ui/TileArea.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPanelWidth = MonitorTiles::kOriginX / MonitorTiles::kTwipsPerPixel - 12;

template <typename W>
W *named(W *widget, const QString &name, int index = -1)
{
    widget->setObjectName(index < 0 ? name : name + QLatin1Char('_') + QString::number(index));
    return widget;
}

// A label that reports single clicks.
class ClickLabel : public QLabel {
public:
    ClickLabel(const QString &text, std::function<void()> onClick, QWidget *parent)
        : QLabel(text, parent), m_onClick(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent *) override { m_onClick(); }

private:
    std::function<void()> m_onClick;
};

} // namespace

CtMonitorWindow::CtMonitorWindow(CtMonitor &monitor, QWidget *parent)
    : QWidget(parent), m_monitor(monitor)
{
    setObjectName(QStringLiteral("Frm_CTMonitor"));
    setWindowTitle(QStringLiteral("Operatori/Interni"));
    MonitorModel &model = monitor.model();
    connect(&model.caption, &TextValue::textChanged, this, &QWidget::setWindowTitle);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(false);
    m_area = new TileArea(monitor);
    scroll->setWidget(m_area);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    m_panel = buildPanel();
    m_panel->setParent(m_area);
    m_panel->move(4, 4);
    m_panel->show(); // a widget given a parent starts hidden

    buildExtensionList();

    connect(m_area, &TileArea::contentChanged, this, &CtMonitorWindow::fitContent);
    fitContent();
    connect(&model, &MonitorModel::gridChanged, this, &CtMonitorWindow::fillGrid);
    fillGrid();
    followMonitor();
}

// "ListaInterni", over the tiles while "lista" shows it.
void CtMonitorWindow::buildExtensionList()
{
    MonitorActions &actions = m_monitor.actions();
    m_extensions = named(bind::listBox(actions.list, QStringLiteral("ListaInterni"), m_area), QStringLiteral("ListaInterni"));
    bind::visible(m_extensions, actions.listShown);
    connect(m_extensions, &QListView::activated, this,
            [this](const QModelIndex &index) { m_monitor.actions().listActivated(index.row()); });
    connect(m_extensions, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { m_monitor.actions().listActivated(index.row()); });
    connect(&actions.listShown, &FlagValue::changed, this, [this] { placeList(); });
}

// Shown while the monitor is open; "Finestra Monitor" brings it forward.
void CtMonitorWindow::followMonitor()
{
    CtMonitor &monitor = m_monitor;
    MonitorModel &model = monitor.model();
    // Closing the window unloads the monitor: timer and links stop.
    bind::onClose(this, [&monitor] {
        if (monitor.isOpen())
            monitor.session().close();
    });
    connect(&model.loaded, &FlagValue::changed, this, [this](bool open) {
        if (open) {
            show();
            raise();
        } else {
            hide();
        }
    });
    connect(&monitor, &CtMonitor::minimiseRequested, this, &QWidget::showMinimized);
    connect(&monitor.session(), &MonitorSession::refillRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

QWidget *CtMonitorWindow::buildPanel()
{
    MonitorModel &model = m_monitor.model();
    MonitorActions &actions = m_monitor.actions();
    auto *panel = new QWidget;
    panel->setFixedWidth(kPanelWidth);
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);

    auto *leds = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        QFrame *led = named(bind::led(*model.leds[i], panel), QStringLiteral("LED_stato_server"), i);
        led->setToolTip(model.ledTips[i]->text());
        connect(model.ledTips[i], &TextValue::textChanged, led, &QWidget::setToolTip);
        bind::onDoubleClick(led, [this, i] { m_monitor.links().ledDoubleClicked(i); });
        leds->addWidget(led);
    }
    leds->addStretch();
    v->addLayout(leds);

    auto *buttons = new QGridLayout;
    const auto button = [&](const QString &name, int index, const QString &caption, std::function<void()> run) {
        auto *b = named(new QPushButton(caption, panel), name, index);
        connect(b, &QPushButton::clicked, this, std::move(run));
        return b;
    };
    buttons->addWidget(button(QStringLiteral("Command1"), 0, QStringLiteral("cerca oper."), [&actions] { actions.cerca(false); }), 0, 0);
    buttons->addWidget(button(QStringLiteral("Command1"), 1, QStringLiteral("cerca+chiama op."), [&actions] { actions.cerca(true); }), 0, 1);
    const std::pair<const char *, std::function<void()>> commands[] = {
        {"chiama oper.", [&actions] { actions.chiama(); }}, {"chiama est.", [&actions] { actions.chiama(); }},
        {"interrompi", [&actions] { actions.interrompi(); }}, {"lista", [&actions] { actions.toggleList(); }},
        {"edit", [&actions] { actions.edit(); }},             {"save", [&actions] { actions.salvaPosizioni(); }},
        {"zoom", [&actions] { actions.leggiPosizioni(); }}};
    for (int i = 0; i < int(std::size(commands)); ++i)
        buttons->addWidget(button(QStringLiteral("Command2"), i, QString::fromLatin1(commands[i].first), commands[i].second),
                           1 + i / 2, i % 2);
    v->addLayout(buttons);
    v->addWidget(buildGroups(panel));

    // "lbl": the last position given; a double click opens the layout file.
    auto *lbl = named(new QLabel(QStringLiteral("Pos_CT.ini"), panel), QStringLiteral("lbl"));
    lbl->setToolTip(m_monitor.actions().coordinates.text());
    connect(&actions.coordinates, &TextValue::textChanged, lbl, &QLabel::setText);
    bind::onDoubleClick(lbl, [&actions] { actions.openLayoutFile(); });
    v->addWidget(lbl);

    QListView *list = bind::listBox(model.list, QStringLiteral("List1"), panel);
    list->setMinimumHeight(160);
    bind::onDoubleClick(list->viewport(), [&model] { model.list.clear(); });
    v->addWidget(list, 1);
    return panel;
}

QWidget *CtMonitorWindow::buildGroups(QWidget *parent)
{
    MonitorModel &model = m_monitor.model();
    auto *frame = named(new QGroupBox(QStringLiteral("Dati Gruppi"), parent), QStringLiteral("Frame1"));
    auto *v = new QVBoxLayout(frame);
    m_grid = named(new QTableWidget(0, 4, frame), QStringLiteral("grid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Gruppo"), QStringLiteral("Logg."), QStringLiteral("Liberi"), QStringLiteral("Tel.")});
    const int widths[] = {1400, 600, 600, 600};
    for (int c = 0; c < 4; ++c)
        m_grid->setColumnWidth(c, widths[c] / MonitorTiles::kTwipsPerPixel);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setMinimumHeight(140);
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (QTableWidgetItem *item = m_grid->item(row, 0))
            m_monitor.actions().gridClicked(item->text());
    });
    v->addWidget(m_grid);

    auto *legend = new QGridLayout;
    for (int i = 0; i < MonitorModel::kLegend; ++i) {
        auto *caption = named(new ClickLabel(QString::fromLatin1(MonitorModel::kLegendCaptions[i]),
                                             [this] { m_monitor.commands().logoutDatabase(); }, frame),
                              QStringLiteral("Label1"), i);
        QLabel *counter = named(bind::label(*model.legend[i], frame), QStringLiteral("Label2"), i);
        counter->setAlignment(Qt::AlignCenter);
        counter->setFrameShape(QFrame::Panel);
        if (const QString colour = tilecolours::legend(i); !colour.isEmpty())
            counter->setStyleSheet(QStringLiteral("background-color: ") + colour + QLatin1Char(';'));
        if (i == 0) // the logged counter: everybody out, or a test login when nobody is in
            bind::onDoubleClick(counter, [this] { m_monitor.commands().logoutGenerale(); });
        // Two bands of five: each caption over its counter.
        legend->addWidget(caption, (i / 5) * 2, i % 5, Qt::AlignCenter);
        legend->addWidget(counter, (i / 5) * 2 + 1, i % 5);
    }
    v->addLayout(legend);

    auto *chk = named(new QCheckBox(QStringLiteral("Visualizza COnteggi Telefonate"), frame), QStringLiteral("ChkTel"));
    chk->setChecked(m_monitor.tiles().showCalls());
    connect(chk, &QCheckBox::toggled, this, [this](bool on) { m_monitor.tiles().setShowCalls(on); });
    v->addWidget(chk);
    return frame;
}

void CtMonitorWindow::fillGrid()
{
    const QList<MonitorModel::GridRow> &rows = m_monitor.model().grid();
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const MonitorModel::GridRow &row = rows[r];
        const QString cells[] = {row.group, QString::number(row.logged), QString::number(row.free), QString::number(row.third)};
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem *item = m_grid->item(r, c);
            if (!item)
                m_grid->setItem(r, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
    }
}

void CtMonitorWindow::fitContent()
{
    // The window holds every tile, as the original sized itself to its rows.
    const QSize content = m_area->contentSize().expandedTo(QSize(kPanelWidth + 8, m_panel->sizeHint().height() + 8));
    m_area->resize(content);
    m_panel->resize(kPanelWidth, std::max(m_panel->sizeHint().height(), content.height() - 8));
    placeList();
    m_area->update();
    // The window is sized to its tiles when their number changes, as far as
    // the screen allows; a size the user chose stays otherwise.
    if (m_sizedFor == m_monitor.tiles().count())
        return;
    m_sizedFor = m_monitor.tiles().count();
    const QSize room = screen() ? screen()->availableGeometry().size() - QSize(16, 48) : content;
    resize(content.boundedTo(room) + QSize(4, 4));
}

void CtMonitorWindow::placeList()
{
    // Over the tiles, its top 1.2 times a button's height.
    const int top = int(1.2 * QPushButton().sizeHint().height());
    const int left = MonitorTiles::kOriginX / MonitorTiles::kTwipsPerPixel;
    m_extensions->setGeometry(left, top, std::max(300, m_area->width() - left - 8), std::max(200, m_area->height() - top - 8));
    m_extensions->raise();
}

