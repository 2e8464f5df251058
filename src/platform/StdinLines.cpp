#include "platform/StdinLines.h"

#include <QMetaObject>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <cstdio>
#include <thread>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace platform {

StdinLines::StdinLines(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_WIN
    // A console handle cannot be watched by the event loop: a detached
    // thread reads it and hands each chunk to the loop.
    std::thread([this] {
        char buffer[1024];
        for (;;) {
            const size_t n = std::fread(buffer, 1, 1, stdin);
            if (n == 0) {
                QMetaObject::invokeMethod(this, [this] { end(); }, Qt::QueuedConnection);
                return;
            }
            const QByteArray chunk(buffer, static_cast<qsizetype>(n));
            QMetaObject::invokeMethod(this, [this, chunk] { take(chunk); }, Qt::QueuedConnection);
        }
    }).detach();
#else
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinLines::onReadable);
#endif
}

StdinLines::~StdinLines() = default;

void StdinLines::onReadable()
{
#ifndef Q_OS_WIN
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
        take(QByteArray(buffer, static_cast<qsizetype>(n)));
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    end();
#endif
}

void StdinLines::take(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c == '\n') {
            QByteArray text = m_partial;
            m_partial.clear();
            if (text.endsWith('\r'))
                text.chop(1);
            Q_EMIT line(QString::fromLocal8Bit(text));
        } else if (m_partial.size() < kMaxLine) {
            m_partial.append(c);
        }
    }
}

void StdinLines::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (!m_partial.isEmpty()) {
        const QByteArray text = m_partial;
        m_partial.clear();
        Q_EMIT line(QString::fromLocal8Bit(text));
    }
    Q_EMIT finished();
}

} // namespace platform
