#include "platform/StandardOutput.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <cstdio>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

void OutputQueue::append(const QByteArray &chunk)
{
    if (chunk.isEmpty())
        return;
    if (m_dropping || m_pending.size() + chunk.size() > m_limit) {
        m_dropping = true;
        const qint64 lines = chunk.count('\n');
        m_droppedLines += lines > 0 ? lines : 1;
        m_totalDropped += lines > 0 ? lines : 1;
        return;
    }
    m_pending += chunk;
}

void OutputQueue::consume(qint64 n)
{
    m_pending.remove(0, qsizetype(std::min<qint64>(n, m_pending.size())));
    if (!m_pending.isEmpty() || !m_dropping)
        return;
    // The reader caught up: it is told what it missed, and lines flow again.
    m_dropping = false;
    m_pending = notice(m_droppedLines);
    m_droppedLines = 0;
}

QByteArray OutputQueue::notice(qint64 lines)
{
    return "Output | " + QByteArray::number(lines) + " righe non scritte: lettore troppo lento\n";
}

StandardOutput::StandardOutput(QObject *parent) : QIODevice(parent)
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
#ifndef Q_OS_WIN
    // A reader that has gone is told by an error, not by a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    m_savedFlags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (m_savedFlags != -1)
        ::fcntl(STDOUT_FILENO, F_SETFL, m_savedFlags | O_NONBLOCK);
    m_notifier = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Write, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { flushNow(); });
#endif
}

StandardOutput::~StandardOutput()
{
#ifndef Q_OS_WIN
    // What is left goes out before the end, as far as the reader takes it
    // within two seconds (the event loop has ended: a wait holds nothing up);
    // the terminal gets its blocking mode back for the shell.
    QDeadlineTimer deadline(2000);
    while (!flushNow() && !deadline.hasExpired()) {
        pollfd p{STDOUT_FILENO, POLLOUT, 0};
        ::poll(&p, 1, int(deadline.remainingTime()));
    }
    if (m_savedFlags != -1)
        ::fcntl(STDOUT_FILENO, F_SETFL, m_savedFlags);
#endif
}

qint64 StandardOutput::writeData(const char *data, qint64 size)
{
    m_queue.append(QByteArray(data, qsizetype(size)));
    flushNow();
    return size; // taken, written or counted as dropped
}

bool StandardOutput::flushNow()
{
    while (!m_queue.isEmpty()) {
        if (m_broken) {
            m_queue.consume(m_queue.size());
            continue;
        }
#ifdef Q_OS_WIN
        const size_t n = std::fwrite(m_queue.pending().constData(), 1, size_t(m_queue.size()), stdout);
        std::fflush(stdout);
        if (n == 0)
            m_broken = true;
        m_queue.consume(qint64(n));
#else
        const ssize_t n = ::write(STDOUT_FILENO, m_queue.pending().constData(), size_t(m_queue.size()));
        if (n > 0) {
            m_queue.consume(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_notifier->setEnabled(true); // the reader is slow: go on when it has room
            return false;
        }
        m_broken = true; // nobody reads any more: nothing more is kept
#endif
    }
    if (m_notifier)
        m_notifier->setEnabled(false);
    return true;
}

} // namespace platform
