#include "dialer_link/BodyBuffer.h"

#include "core/AnsiCodec.h"

void BodyBuffer::svuota()
{
    m_bytes.fill('\0');
    m_position = 0;
}

bool BodyBuffer::appendiBytes(const QByteArray &bytes)
{
    if (m_position + bytes.size() > m_bytes.size())
        return false;
    m_bytes.replace(m_position, bytes.size(), bytes);
    m_position += static_cast<int>(bytes.size());
    return true;
}

bool BodyBuffer::appendiLong(qint32 value)
{
    QByteArray le;
    packet::appendInt32Le(le, value);
    return appendiBytes(le);
}

bool BodyBuffer::appendiStringa(const QString &text)
{
    return appendiBytes(ansi::encode(text));
}
