#include "auxiliary/PopupNotice.h"

PopupNotice::PopupNotice(int lifetimeMs, QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(lifetimeMs);
    connect(&m_timer, &QTimer::timeout, this, &PopupNotice::close);
}

void PopupNotice::show(const QString &text)
{
    m_text = text;
    m_open = true;
    m_timer.start();
    Q_EMIT opened(text);
}

void PopupNotice::escapePressed()
{
    close();
}

void PopupNotice::controlEvent(int code)
{
    if (code == kCloseEvent)
        close();
}

void PopupNotice::close()
{
    m_timer.stop();
    if (!m_open)
        return;
    m_open = false;
    Q_EMIT closed();
}
