#include "wire/FramedReader.h"

namespace wire {

FramedReader::FramedReader(ReadPolicy policy, const QString &socketName, QObject *parent)
    : QObject(parent), m_policy(std::move(policy)), m_socket(socketName), m_source(&m_socket),
      m_framer(m_policy.lengths)
{
    m_incomplete.setSingleShot(true);
    connect(&m_incomplete, &QTimer::timeout, this, &FramedReader::onIncompleteTimeout);
    connect(&m_socket, &LinkSocket::readyRead, this, [this] {
        Q_EMIT arrived();
        pump();
    });
    // Every connection is a fresh stream; a lost one leaves nothing behind.
    connect(&m_socket, &LinkSocket::connected, this, &FramedReader::reset);
    connect(&m_socket, &LinkSocket::errorOccurred, this, &FramedReader::reset);
}

void FramedReader::setPolicy(ReadPolicy policy)
{
    m_policy = std::move(policy);
    m_framer = Framer(m_policy.lengths);
    reset();
}

void FramedReader::reset()
{
    m_framer.reset();
    m_incomplete.stop();
    m_waitAnnounced = false;
    m_realigning = false;
}

void FramedReader::take(const QByteArray &bytes)
{
    Q_EMIT bytesRead(bytes);
    m_framer.append(bytes);
    m_peakHeld = std::max(m_peakHeld, m_framer.size());
}

void FramedReader::feed(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    take(bytes);
    pump();
}

bool FramedReader::readMore()
{
    if (m_source->bytesAvailable() <= 0)
        return false;
    const QByteArray chunk = m_source->read(kReadChunk);
    if (chunk.isEmpty())
        return false;
    take(chunk);
    return true;
}

Framer::Frame FramedReader::next()
{
    // A stream being realigned takes only the lengths the peer sends.
    if (m_policy.known && m_framer.size() >= 4 && !m_policy.known(m_framer.expectedLength()))
        return {Framer::Frame::Corrupt, {}, m_framer.expectedLength(), {}};
    return m_framer.next();
}

void FramedReader::pump()
{
    if (m_pumping)
        return; // the loop below picks up whatever woke us
    m_pumping = true;
    while (gateOpen()) {
        const Framer::Frame f = next();
        if (f.status == Framer::Frame::NeedMore) {
            if (readMore())
                continue;
            waitForRest();
            break;
        }
        m_incomplete.stop();
        m_waitAnnounced = false;
        if (f.status == Framer::Frame::Corrupt) {
            if (!m_realigning)
                Q_EMIT badLength(f.length, pending(), false);
            if (m_policy.badLength == BadLength::Drain)
                drainAll(false);
            else if (!realign())
                break;
            continue;
        }
        m_realigning = false;
        Q_EMIT packetReady(f.bytes);
        Q_EMIT handled(pending());
    }
    m_pumping = false;
}

void FramedReader::waitForRest()
{
    if (!m_framer.partial())
        return;
    if (m_framer.expectedLength() > 0) {
        Q_EMIT waiting(4 + qint64(m_framer.expectedLength()) - m_framer.size(), !m_waitAnnounced);
        m_waitAnnounced = true;
    }
    if (!m_incomplete.isActive() && m_policy.timeoutMs)
        m_incomplete.start(m_policy.timeoutMs());
}

void FramedReader::startRealigning()
{
    if (m_realigning)
        return;
    m_realigning = true;
    m_skipped = 0;
    m_dryReported = false;
}

// True when a packet may follow at once; false when more bytes must come.
// Said once for the whole search, however many bytes and arrivals it takes:
// junk on a port must not become a flood of lines.
bool FramedReader::realign()
{
    startRealigning();
    while (m_framer.size() < 4 || !m_policy.known || !m_policy.known(m_framer.expectedLength())) {
        if (m_framer.size() < 4) {
            if (!m_dryReported)
                Q_EMIT realignExhausted();
            m_dryReported = true;
            return false;
        }
        ++m_steps;
        ++m_skipped;
        m_framer.dropFirst();
    }
    Q_EMIT realignStep(m_skipped, pending());
    const qint32 length = m_framer.expectedLength();
    const bool whole = pending() >= 4 + qint64(length);
    Q_EMIT realigned(length, whole);
    return whole;
}

void FramedReader::drainAll(bool timedOut)
{
    QByteArray bytes = m_framer.takeAll();
    while (m_source->bytesAvailable() > 0) {
        const QByteArray chunk = m_source->read(m_source->bytesAvailable());
        if (chunk.isEmpty())
            break;
        Q_EMIT bytesRead(chunk);
        bytes += chunk;
    }
    m_incomplete.stop();
    m_waitAnnounced = false;
    Q_EMIT drained(bytes, timedOut);
}

void FramedReader::onIncompleteTimeout()
{
    if (!m_framer.partial())
        return;
    // Time the owner spent not reading (a reply being written) is not the peer's.
    if (!gateOpen()) {
        m_incomplete.start(m_policy.timeoutMs());
        return;
    }
    while (readMore()) {
    }
    const qint32 length = m_framer.expectedLength();
    if (length > 0 && m_framer.size() >= 4 + qsizetype(length)) {
        pump(); // it came whole after all
        return;
    }
    // A length whose bytes never come must not swallow the packets behind it.
    Q_EMIT badLength(std::max(0, length), pending(), true);
    if (m_policy.badLength == BadLength::Realign) {
        startRealigning();
        ++m_steps;
        ++m_skipped;
        m_framer.dropFirst();
    } else {
        drainAll(true);
    }
    pump();
}

} // namespace wire
