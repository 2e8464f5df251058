#include "web_status/HttpRequestReader.h"

void HttpRequestReader::append(const QByteArray &bytes)
{
    Q_ASSERT(bytes.size() <= room());
    m_buffer += bytes;
}

qsizetype HttpRequestReader::requestEnd(const QByteArray &bytes)
{
    const qsizetype crlf = bytes.indexOf("\r\n\r\n");
    const qsizetype lf = bytes.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        return crlf + 4;
    return lf >= 0 ? lf + 2 : -1;
}

std::optional<QByteArray> HttpRequestReader::next()
{
    if (m_skipping) {
        const qsizetype end = requestEnd(m_buffer);
        if (end < 0) {
            m_buffer = m_buffer.right(3); // an empty line may straddle two reads
            return std::nullopt;
        }
        m_buffer.remove(0, end);
        m_skipping = false;
    }
    qsizetype end = requestEnd(m_buffer);
    if (end < 0) {
        if (m_buffer.size() <= kMaxRequest)
            return std::nullopt;
        end = m_buffer.size();
        m_skipping = true;
    }
    QByteArray request = m_buffer.left(end);
    m_buffer.remove(0, end);
    return request;
}
