#pragma once

#include <QByteArray>
#include <QString>

#include "dialer_link/PacketFormat.h"

// A transmit body buffer of 4000 bytes with its write position.
class BodyBuffer {
public:
    BodyBuffer() : m_bytes(packet::kBodyBufferSize, '\0') {}

    int position() const { return m_position; }
    // The bytes written so far.
    QByteArray body() const { return m_bytes.left(m_position); }

    // SvuotaBuffer.
    void svuota();
    // AppendiLong: little-endian. False, and nothing written, when full.
    bool appendiLong(qint32 value);
    // AppendiStringa: the text's ANSI bytes, no prefix, no terminator.
    bool appendiStringa(const QString &text);
    bool appendiBytes(const QByteArray &bytes);

private:
    QByteArray m_bytes;
    int m_position = 0;
};
