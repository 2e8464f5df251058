#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "wire/ByteSource.h"
#include "wire/Framer.h"
#include "wire/LinkSocket.h"

namespace wire {

// What a link does with a length field it refuses, and with a packet begun
// and not completed in time.
enum class BadLength {
    Drain,   // everything held and pending is thrown away: the stream has no markers
    Realign, // one byte at a time is dropped until the length field reads as one the peer sends
};

// A link's reading rules. The byte order of the fields after the length
// is the format's business (its decoders); the length field is big-endian
// on every link.
struct ReadPolicy {
    Framer::Rules lengths;                  // the length fields that frame a packet
    BadLength badLength = BadLength::Drain;
    std::function<bool(qint32)> known = {}; // Realign: the lengths the peer sends, the only ones taken
    std::function<int()> timeoutMs = {};    // how long a begun packet may take; unset: no limit
};

// The one reader of every binary link. It takes the bytes from its socket
// (or from whoever feeds it), cuts them into packets with a Framer and
// hands each whole packet on, in stream order. A length the policy refuses
// and a packet that does not come whole in time are dealt with as the
// policy says; what is thrown away is handed on too, for the log and
// DEBUG.TXT, which are the owner's.
//
// It reads only while its gate is open, and only what the packet in hand
// needs: what it leaves in the socket makes TCP push back on the peer.
class FramedReader : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kReadChunk = 16 * 1024;

    FramedReader(ReadPolicy policy, const QString &socketName, QObject *parent = nullptr);

    LinkSocket &socket() { return m_socket; }
    const LinkSocket &socket() const { return m_socket; }
    const ReadPolicy &policy() const { return m_policy; }
    void setPolicy(ReadPolicy policy);
    // Where the bytes come from instead of the socket (a test's script).
    void setSource(ByteSource *source) { m_source = source ? source : &m_socket; }
    ByteSource &source() const { return *m_source; }
    // While it returns false nothing is read or handed on, and a packet's
    // time-out waits (the owner is busy, not the peer).
    void setGate(std::function<bool()> open) { m_gate = std::move(open); }

    // Bytes given rather than read (datagrams, tests): taken, then served.
    void feed(const QByteArray &bytes);
    // Serves what is there, until it must wait for bytes or for the gate.
    void pump();
    // A fresh stream: nothing held, no time-out running.
    void reset();
    // Throws away everything held and pending (drained()).
    void drain() { drainAll(false); }

    qsizetype held() const { return m_framer.size(); }
    // Held, and still waiting in the source.
    qint64 pending() const { return m_framer.size() + m_source->bytesAvailable(); }
    // The most ever held at once: one chunk and the packet in hand.
    qsizetype peakHeld() const { return m_peakHeld; }
    const Framer &framer() const { return m_framer; }
    const QTimer &incompleteTimer() const { return m_incomplete; }
    int realignSteps() const { return m_steps; }

Q_SIGNALS:
    // The socket has bytes for us, before any is read.
    void arrived();
    // Every byte taken, in stream order, before it is framed.
    void bytesRead(const QByteArray &bytes);
    // One whole packet, its length field included; then, once it has been
    // dealt with, the bytes held or waiting behind it.
    void packetReady(const QByteArray &framed);
    void handled(qint64 pending);
    // A packet begun waits for `missing` more bytes; `first` the first time.
    void waiting(qint64 missing, bool first);
    // A length field refused (`timedOut` false) or a packet not completed in
    // time, before the policy deals with it. Not repeated while realigning.
    void badLength(qint32 length, qint64 pending, bool timedOut);
    // What a drain threw away.
    void drained(const QByteArray &bytes, bool timedOut);
    // Realigning, each said once an episode: a length found after
    // `skipped` bytes dropped; no length found in what is held; the length
    // found, its packet `whole` or not yet.
    void realignStep(qint64 skipped, qint64 pending);
    void realignExhausted();
    void realigned(qint32 length, bool whole);

private:
    bool gateOpen() const { return !m_gate || m_gate(); }
    Framer::Frame next();
    bool readMore();
    void take(const QByteArray &bytes);
    void waitForRest();
    void startRealigning();
    bool realign();
    void drainAll(bool timedOut);
    void onIncompleteTimeout();

    ReadPolicy m_policy;
    LinkSocket m_socket;
    ByteSource *m_source;
    std::function<bool()> m_gate;
    Framer m_framer;
    QTimer m_incomplete;
    bool m_pumping = false;
    bool m_waitAnnounced = false;
    bool m_realigning = false;
    int m_steps = 0;
    qint64 m_skipped = 0;       // bytes dropped by this realignment
    bool m_dryReported = false; // this realignment ran out of bytes once
    qsizetype m_peakHeld = 0;
};

} // namespace wire
