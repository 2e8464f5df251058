#pragma once

#include <QByteArray>
#include <QString>

// Cuts length-prefixed packets out of a byte stream. Every link of the
// program starts its packets with a 4-byte big-endian length that counts the
// bytes after it; the links differ only in the lengths they accept.
//
// The framer never reads ahead of the packet in hand: `next()` gives one
// whole packet, says it needs more bytes, or says the stream is corrupt
// (the length field is out of range) and leaves the bytes for the caller to
// drain or resynchronise.
class Framer {
public:
    struct Rules {
        qint32 minLength; // least length field that frames a packet
        qint32 maxLength; // greatest
    };

    struct Frame {
        enum Status { Packet, NeedMore, Corrupt };
        Status status = NeedMore;
        QByteArray bytes; // Packet: the whole packet, length field included
        qint32 length = 0; // the length field, when its 4 bytes are there
        QString reason;    // Corrupt: why
    };

    explicit Framer(Rules rules) : m_rules(rules) {}

    const Rules &rules() const { return m_rules; }

    void append(const QByteArray &bytes);
    Frame next();

    // Everything held, which the framer then forgets (a drain).
    QByteArray takeAll();
    // Drops the first byte (resynchronisation by sliding the length field).
    void dropFirst();
    void reset();

    qsizetype size() const { return m_buffer.size() - m_head; }
    // Bytes of a packet are held but it is not complete.
    bool partial() const { return size() > 0; }
    // The length field of the packet in hand, 0 when not yet read.
    qint32 expectedLength() const;

private:
    void compact();

    Rules m_rules;
    QByteArray m_buffer;
    qsizetype m_head = 0; // consumed prefix of m_buffer
};
