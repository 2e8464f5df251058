#include "pbx_lines/ui/PbxWindow.h"

#include "core/ui/Bindings.h"
#include "ct_monitor/ui/TilePainter.h"
#include "pbx_lines/PbxMonitor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QListView>
#include <QPaintEvent>
#include <QPainter>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

constexpr int kPerRow = 10;
constexpr QSize kTile{80, 37};
constexpr int kGap = 4;

// The line tiles, rows of ten, tile n - 401 for line n.
class LineTiles : public QWidget {
public:
    LineTiles(PbxMonitor &pbx, QWidget *parent) : QWidget(parent), m_pbx(pbx)
    {
        setObjectName(QStringLiteral("user_Monitor"));
        connect(&pbx.table(), &LineTable::lineChanged, this, [this](int line) { update(lineRect(line).adjusted(-2, -2, 2, 2)); });
    }

    QRect lineRect(int line) const
    {
        const int i = line - LineTable::kFirst;
        if (i < 0 || !m_pbx.table().shown(line))
            return {};
        return {QPoint(kGap + (i % kPerRow) * (kTile.width() + kGap), kGap + (i / kPerRow) * (kTile.height() + kGap)), kTile};
    }

    QString text(int line) const
    {
        const LineTable &t = m_pbx.table();
        const QString state = t.row(line).state;
        return QStringLiteral("[ ") + QString::number(line) + QStringLiteral(" ]\n")
            + (state.isEmpty() ? QString() : state + QLatin1Char(' ') + LineTable::stateName(t.stateOf(line)));
    }

    QSize sizeHint() const override
    {
        const int rows = (m_pbx.table().lines() + kPerRow - 1) / kPerRow;
        return {kGap + kPerRow * (kTile.width() + kGap), kGap + rows * (kTile.height() + kGap)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        const LineTable &t = m_pbx.table();
        for (int line = LineTable::kFirst; t.shown(line); ++line) {
            const QRect r = lineRect(line);
            if (!r.intersects(event->rect()))
                continue;
            const QStringList lines = text(line).split(QLatin1Char('\n'));
            // The status page's colour of the state, an unreported line read as 0 as the page does.
            tilepainter::paint(p, r, {lines.value(0), lines.value(1), tilepainter::fill(LineTable::stateColour(t.stateOf(line))), false});
        }
    }

    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto *help = static_cast<QHelpEvent *>(event);
            for (int line = LineTable::kFirst; m_pbx.table().shown(line); ++line) {
                if (lineRect(line).contains(help->pos()) && !m_pbx.table().row(line).tooltip.isEmpty()) {
                    QToolTip::showText(help->globalPos(), m_pbx.table().row(line).tooltip, this, lineRect(line));
                    return true;
                }
            }
            QToolTip::hideText();
            return true;
        }
        return QWidget::event(event);
    }

private:
    PbxMonitor &m_pbx;
};

} // namespace

PbxWindow::PbxWindow(PbxMonitor &pbx, QWidget *parent) : QWidget(parent), m_pbx(pbx)
{
    setObjectName(QStringLiteral("Frm_LineeEsterne"));
    setWindowTitle(QStringLiteral("PBX Linee Esterne"));
    connect(&pbx.caption, &TextValue::textChanged, this, &QWidget::setWindowTitle);
    bind::onClose(this, [&pbx] {
        if (pbx.isOpen())
            pbx.close();
    });
    auto *v = new QVBoxLayout(this);
    v->addLayout(topRow());
    v->addWidget(linesFrame(), 1);

    QListView *list = bind::listBox(pbx.list, QStringLiteral("List1"), this);
    list->setMinimumHeight(120);
    bind::onDoubleClick(list->viewport(), [&pbx] { pbx.list.clear(); });
    v->addWidget(list);

    // Recounted once per burst: a packet may change a thousand lines.
    m_recount.setSingleShot(true);
    m_recount.setInterval(100);
    connect(&m_recount, &QTimer::timeout, this, &PbxWindow::fillTotals);
    connect(&pbx.table(), &LineTable::lineChanged, this, [this] {
        if (!m_recount.isActive())
            m_recount.start();
    });
    fillTotals();
    connect(&pbx.loaded, &FlagValue::changed, this, [this](bool open) { setVisible(open); });
    connect(&pbx, &PbxMonitor::minimiseRequested, this, &QWidget::showMinimized);
    connect(&pbx, &PbxMonitor::raiseRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

// The link's LED and the box that shows the messages.
QHBoxLayout *PbxWindow::topRow()
{
    PbxMonitor &pbx = m_pbx;
    auto *top = new QHBoxLayout;
    QFrame *led = bind::led(pbx.led, this);
    led->setObjectName(QStringLiteral("LED_stato_server"));
    connect(&pbx.ledTip, &TextValue::textChanged, led, &QWidget::setToolTip);
    bind::onDoubleClick(led, [&pbx] { pbx.toggleLink(); });
    top->addWidget(led);
    QCheckBox *messages = bind::checkBox(QStringLiteral("Visualizza Messaggi"), pbx.messagesShown, this);
    messages->setObjectName(QStringLiteral("chkInLinea"));
    top->addWidget(messages);
    top->addStretch();
    return top;
}

// "Dati Linee": the tiles and, when ticked, the messages share its width.
QGroupBox *PbxWindow::linesFrame()
{
    auto *frame = new QGroupBox(QStringLiteral("Dati Linee"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *h = new QHBoxLayout(frame);
    m_tiles = new LineTiles(m_pbx, frame);
    h->addWidget(m_tiles);
    QListView *inLinea = bind::listBox(m_pbx.messages, QStringLiteral("InLinea"), frame);
    bind::visible(inLinea, m_pbx.messagesShown);
    h->addWidget(inLinea, 1);
    m_totals = new QTableWidget(0, 2, frame);
    m_totals->setObjectName(QStringLiteral("Totali"));
    m_totals->setHorizontalHeaderLabels({QStringLiteral("Stato"), QStringLiteral("Linee")});
    m_totals->verticalHeader()->hide();
    m_totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_totals->setColumnWidth(0, 200);
    m_totals->setColumnWidth(1, 50);
    m_totals->setFixedWidth(270);
    h->addWidget(m_totals);
    return frame;
}

QRect PbxWindow::tileRect(int line) const
{
    return static_cast<LineTiles *>(m_tiles)->lineRect(line);
}

QString PbxWindow::tileText(int line) const
{
    return static_cast<LineTiles *>(m_tiles)->text(line);
}

void PbxWindow::fillTotals()
{
    const std::map<int, int> totals = m_pbx.table().totals();
    m_totals->setRowCount(int(totals.size()));
    int r = 0;
    for (const auto &[code, count] : totals) {
        const QString name = LineTable::stateName(code);
        auto *state = new QTableWidgetItem(QString::number(code) + (name.isEmpty() ? QString() : QLatin1Char(' ') + name));
        const QColor fill = tilepainter::fill(LineTable::stateColour(code));
        state->setBackground(fill);
        state->setForeground(fill.lightness() < 110 ? Qt::white : Qt::black);
        m_totals->setItem(r, 0, state);
        m_totals->setItem(r, 1, new QTableWidgetItem(QString::number(count)));
        ++r;
    }
}

QList<std::pair<QString, QString>> PbxWindow::totals() const
{
    QList<std::pair<QString, QString>> out;
    for (int r = 0; r < m_totals->rowCount(); ++r)
        out.append({m_totals->item(r, 0)->text(), m_totals->item(r, 1)->text()});
    return out;
}

