#include "auxiliary/ui/WatchdogWindow.h"

#include "auxiliary/WatchdogMonitor.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QListView>
#include <QVBoxLayout>

WatchdogWindow::WatchdogWindow(WatchdogMonitor &monitor, QWidget *parent)
    : QWidget(parent, Qt::Window), m_monitor(monitor), m_list(new QListView(this))
{
    setObjectName(QStringLiteral("frm_WDog"));
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(&monitor.list);
    m_list->setUniformItemSizes(true);
    // The report's columns line up only in a fixed-pitch font.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(QLatin1Char('i')) != metrics.horizontalAdvance(QLatin1Char('W')))
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_list->setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    resize(640, 360);
    setWindowTitle(monitor.caption.text());
    connect(&monitor.caption, &TextValue::textChanged, this, &QWidget::setWindowTitle);
    connect(&monitor, &WatchdogMonitor::raiseRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });
    connect(&monitor.loaded, &FlagValue::changed, this, [this](bool open) {
        if (!open)
            hide();
    });
}

void WatchdogWindow::closeEvent(QCloseEvent *event)
{
    m_monitor.unload();
    QWidget::closeEvent(event);
}
