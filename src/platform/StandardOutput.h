#pragma once

#include <QByteArray>
#include <QIODevice>

class QSocketNotifier;

namespace platform {

// What waits to go to a slow reader, bounded: past kLimit whole chunks (the
// lines a text stream flushes) are dropped and counted, and once the reader
// has taken everything a line says how many were lost. Pure bookkeeping,
// no file descriptors.
class OutputQueue {
public:
    explicit OutputQueue(qint64 limit) : m_limit(limit) {}
    // Put before the notice of lost lines: the journal's warning priority.
    void setNoticePrefix(const QByteArray &prefix) { m_noticePrefix = prefix; }

    // Takes `chunk`, or drops it when the queue is over its limit or still
    // dropping (so a reader that comes back sees no half of a burst).
    void append(const QByteArray &chunk);
    const QByteArray &pending() const { return m_pending; }
    bool isEmpty() const { return m_pending.isEmpty(); }
    // `n` bytes of pending() have been written.
    void consume(qint64 n);
    qint64 droppedLines() const { return m_droppedLines; }
    qint64 totalDropped() const { return m_totalDropped; }
    qint64 size() const { return m_pending.size(); }

    static QByteArray notice(qint64 lines);

private:
    qint64 m_limit;
    QByteArray m_noticePrefix;
    QByteArray m_pending;
    bool m_dropping = false;
    qint64 m_droppedLines = 0;  // since the last notice
    qint64 m_totalDropped = 0;
};

// Standard output for a text stream that must never hold the event loop:
// a pipe or a socket (the journal) is written without blocking as the reader
// takes it, through an OutputQueue of kLimit bytes; a terminal or a file is
// written as it comes. A reader that goes away ends the writing quietly.
// (On Windows the writes stay blocking.)
class StandardOutput : public QIODevice {
    Q_OBJECT
public:
    static constexpr qint64 kLimit = 1024 * 1024;

    explicit StandardOutput(QObject *parent = nullptr);
    ~StandardOutput() override;

    bool isSequential() const override { return true; }
    qint64 bytesToWrite() const override { return m_queue.size(); }
    const OutputQueue &queue() const { return m_queue; }
    // Writes what it can now; true when nothing waits.
    bool flushNow();

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    OutputQueue m_queue{kLimit};
    QSocketNotifier *m_notifier = nullptr;
    int m_fd = 1;
    bool m_ownFd = false;     // a description of our own, closed at the end
    bool m_socket = false;    // written with send(), "don't wait" per call
    int m_savedFlags = -1;    // the shared mode to give back, when it had to be changed
    bool m_broken = false;
};

} // namespace platform
