#include "platform/StdinLines.h"

#include <QMetaObject>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QPointer>
#include <cstdio>
#include <cstring>
#include <functional>
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
    // thread reads it and hands each line to the loop. The thread may
    // outlive this object, so it posts to the application and the object is
    // looked up there, on the loop's thread.
    QPointer<StdinLines> self(this);
    std::thread([self] {
        const auto post = [self](std::function<void(StdinLines &)> f) {
            if (QCoreApplication *app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [self, f] { if (self) f(*self); }, Qt::QueuedConnection);
        };
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, stdin)) {
            const QByteArray chunk(buffer, static_cast<qsizetype>(std::strlen(buffer)));
            post([chunk](StdinLines &lines) { lines.take(chunk); });
        }
        post([](StdinLines &lines) { lines.end(); });
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
