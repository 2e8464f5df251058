#pragma once

#include <QObject>

#include "core/Ports.h"
#include "platform/Pinger.h"

class MainModel;

// PingRete: one echo to the dialer server's address, its result in the
// main window's "lblPing" on light cyan while it runs, then light green for
// success and light red otherwise. The event loop never waits for it.
class PingService : public QObject, public PingPort {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 1200;
    static inline const QByteArray kData = QByteArrayLiteral("Tm40 Ping Test");
    static inline const QString kRunning = QStringLiteral("#00FFFF"); // classic palette 11
    static inline const QString kFailed = QStringLiteral("#FF0000");  // 12
    static inline const QString kAnswered = QStringLiteral("#00FF00"); // 10

    explicit PingService(MainModel &model, QObject *parent = nullptr);

    // PingPort: a click on "ping" or "lblPing", and the idle tick.
    void startPing() override;

    // The code, "   [ ", its text, " ]", cut or padded to 30 characters.
    static QString statusText(int status);
    platform::Pinger &pinger() { return m_pinger; }
    MainModel &model() { return m_model; }

Q_SIGNALS:
    void done(int status);

private:
    MainModel &m_model;
    platform::Pinger m_pinger;
    QString m_address;
};
