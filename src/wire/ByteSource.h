#pragma once

#include <QByteArray>

// Where a link's reader takes its bytes: the socket, or a test's buffer.
// Bytes not read stay at the source, and a socket's source pushes back on
// its peer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool isConnected() const = 0;
    virtual qint64 bytesAvailable() const = 0;
    // At most `max` of the bytes available.
    virtual QByteArray read(qint64 max) = 0;
};
