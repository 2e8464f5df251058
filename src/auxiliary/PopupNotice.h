#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The self-closing notice: it shows a text and closes on Esc, when its
// 10-second timer fires, or when its control reports the close event.
class PopupNotice : public QObject {
    Q_OBJECT
public:
    static constexpr int kLifetimeMs = 10000;
    static constexpr int kCloseEvent = 5;

    explicit PopupNotice(int lifetimeMs = kLifetimeMs, QObject *parent = nullptr);

    bool isOpen() const { return m_open; }
    const QString &text() const { return m_text; }

    void show(const QString &text);
    void escapePressed();
    void controlEvent(int code);
    void close();

Q_SIGNALS:
    void opened(const QString &text);
    void closed();

private:
    QTimer m_timer;
    QString m_text;
    bool m_open = false;
};
