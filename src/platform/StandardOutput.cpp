#include "platform/StandardOutput.h"

#include "platform/Journal.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <cstdio>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
    m_pending = m_noticePrefix + notice(m_droppedLines);
    m_droppedLines = 0;
}

QByteArray OutputQueue::notice(qint64 lines)
{
    return "Output | " + QByteArray::number(lines) + " righe non scritte: lettore troppo lento\n";
}

StandardOutput::StandardOutput(QObject *parent) : QIODevice(parent)
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (isJournal(StdStream::Output))
        m_queue.setNoticePrefix("<4>");
#ifndef Q_OS_WIN
    // A reader that has gone is told by an error, not by a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    m_fd = STDOUT_FILENO;
    struct stat st {};
    if (::fstat(STDOUT_FILENO, &st) != 0)
        return;
    if (S_ISSOCK(st.st_mode)) {
        // The journal, a supervisor: each send says "don't wait" itself, the
        // socket's shared mode is left alone.
        m_socket = true;
    } else if (S_ISFIFO(st.st_mode)) {
        // A pipe: non-blocking through a description of our own where the
        // system gives one, so the writer at the other end of a shared
        // description (a shell, stderr) is not made non-blocking too.
        const int own = ::open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (own >= 0) {
            m_fd = own;
            m_ownFd = true;
        } else {
            m_savedFlags = ::fcntl(STDOUT_FILENO, F_GETFL);
            if (m_savedFlags == -1)
                return;
            ::fcntl(STDOUT_FILENO, F_SETFL, m_savedFlags | O_NONBLOCK);
        }
    } else {
        return; // a terminal or a file: written as it comes, as anyone would
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { flushNow(); });
#endif
}

StandardOutput::~StandardOutput()
{
#ifndef Q_OS_WIN
    // What is left goes out before the end, as far as the reader takes it
    // within two seconds (the event loop has ended: a wait holds nothing up).
    QDeadlineTimer deadline(2000);
    while (!flushNow() && !deadline.hasExpired()) {
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, int(deadline.remainingTime()));
    }
    if (m_ownFd)
        ::close(m_fd);
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
        const char *bytes = m_queue.pending().constData();
        const size_t size = size_t(m_queue.size());
#ifdef MSG_NOSIGNAL
        const int flags = MSG_DONTWAIT | MSG_NOSIGNAL;
#else
        const int flags = MSG_DONTWAIT;
#endif
        const ssize_t n = m_socket ? ::send(m_fd, bytes, size, flags) : ::write(m_fd, bytes, size);
        if (n > 0) {
            m_queue.consume(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && m_notifier) {
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
