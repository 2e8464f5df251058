#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Turns SIGINT and SIGTERM (console close events on Windows) into a Qt signal
// delivered on the event loop, so shutdown runs as ordinary event handling.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void onNotified();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
