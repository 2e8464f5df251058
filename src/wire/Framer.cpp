#include "wire/Framer.h"

#include <QtEndian>

namespace {
constexpr int kLengthField = 4;
// Consumed bytes are removed from the front once they outweigh the rest.
constexpr qsizetype kCompactAt = 64 * 1024;
} // namespace

void Framer::append(const QByteArray &bytes)
{
    m_buffer += bytes;
}

qint32 Framer::expectedLength() const
{
    if (size() < kLengthField)
        return 0;
    return qFromBigEndian<qint32>(m_buffer.constData() + m_head);
}

Framer::Frame Framer::next()
{
    Frame f;
    if (size() < kLengthField)
        return f; // a length field split across reads waits for its other bytes
    f.length = expectedLength();
    if (f.length < m_rules.minLength || f.length > m_rules.maxLength) {
        f.status = Frame::Corrupt;
        f.reason = QStringLiteral("PacketLen=") + QString::number(f.length);
        return f;
    }
    const qsizetype total = kLengthField + qsizetype(f.length);
    if (size() < total)
        return f;
    f.status = Frame::Packet;
    f.bytes = m_buffer.mid(m_head, total);
    m_head += total;
    compact();
    return f;
}

void Framer::compact()
{
    if (m_head == m_buffer.size()) {
        m_buffer.clear();
        m_head = 0;
    } else if (m_head >= kCompactAt && m_head > size()) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
}

QByteArray Framer::takeAll()
{
    QByteArray rest = m_buffer.mid(m_head);
    reset();
    return rest;
}

void Framer::dropFirst()
{
    if (size() > 0) {
        ++m_head;
        compact();
    }
}

void Framer::reset()
{
    m_buffer.clear();
    m_head = 0;
}
