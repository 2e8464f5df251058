#pragma once

#include <QWidget>

class QListView;
class WatchdogMonitor;

// frm_WDog: the last watchdog report received, a line a row, in a fixed
// font filling the window; the caption tells the listening socket's state.
// Closing the window stops listening.
class WatchdogWindow : public QWidget {
    Q_OBJECT
public:
    explicit WatchdogWindow(WatchdogMonitor &monitor, QWidget *parent = nullptr);

    QListView &list() { return *m_list; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WatchdogMonitor &m_monitor;
    QListView *m_list;
};
