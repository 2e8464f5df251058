#pragma once

#include <QByteArray>

#include "dialer_link/PacketFormat.h"

// What the reassembler reports while it reads the stream. The session turns
// these into list lines, counters, drains and dispatches.
class ReassemblySink {
public:
    virtual ~ReassemblySink() = default;
    virtual bool connected() const = 0;
    virtual double level() const = 0;              // diagnostic level
    virtual void log(const QString &text, const QString &tag, qint32 id) = 0;
    virtual void tick() = 0;                       // the main tick, once per loop
    virtual void bytesRead(int count) = 0;
    virtual void codeReceived(qint32 code) = 0;
    virtual void dataError() = 0;                  // "ERRORE NEI DATI"
    // Everything pending was discarded to resynchronise.
    virtual void drained(const QByteArray &bytes, const packet::Header &h, const packet::RecordId &r) = 0;
    virtual void packet(const packet::Header &h, const packet::RecordId &r, const QByteArray &body) = 0;
};

// Cuts dialer packets out of the received byte stream, one at a time, in
// stream order. Bytes it has not consumed stay pending, as they would stay
// in the socket.
class Reassembler {
public:
    explicit Reassembler(ReassemblySink &sink) : m_sink(sink) {}

    // New bytes arrived; runs the receive loop.
    void onData(const QByteArray &bytes);
    // The link was closed or reconnected: a fresh stream starts.
    void reset();

    qsizetype pending() const { return m_pending.size(); }
    bool awaitingRest() const { return m_awaitingRest; }

private:
    bool take(qsizetype count, QByteArray &out);
    bool readOne();
    void drain();

    ReassemblySink &m_sink;
    QByteArray m_pending;
    qsizetype m_head = 0; // consumed prefix of m_pending
    bool m_awaitingRest = false;
    qint32 m_length = 0;
    packet::Header m_header;
    packet::RecordId m_record;
};
