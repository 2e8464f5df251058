#pragma once

#include <QByteArray>
#include <optional>

// Cuts a browser's requests out of its byte stream, without the socket: a
// request is what comes up to its empty line ("\r\n\r\n" or "\n\n",
// whichever comes first). One longer than `kMaxRequest` is handed on as its
// first kMaxRequest + 1 bytes and the rest of it, up to its empty line,
// skipped. Pure: bytes in, requests out.
class HttpRequestReader {
public:
    static constexpr qsizetype kMaxRequest = 8 * 1024;

    // How many bytes to take from the peer now; the rest waits at the
    // source, so the reader never holds more than kMaxRequest + 1 bytes.
    qsizetype room() const { return m_buffer.size() <= kMaxRequest ? kMaxRequest + 1 - m_buffer.size() : 0; }
    // REQUIRES: bytes.size() <= room().
    void append(const QByteArray &bytes);
    // The next request, or nothing until more bytes come.
    std::optional<QByteArray> next();

    qsizetype held() const { return m_buffer.size(); }
    bool skipping() const { return m_skipping; }

    // Where the first request in `bytes` ends; -1 while it is not whole.
    static qsizetype requestEnd(const QByteArray &bytes);

private:
    QByteArray m_buffer;
    bool m_skipping = false; // the rest of a request longer than the bound
};
