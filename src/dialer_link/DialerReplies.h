#pragma once

#include <QByteArray>
#include <QString>

#include "dialer_link/PacketFormat.h"

// How a service answers the dialer.
class DialerReplies {
public:
    virtual ~DialerReplies() = default;
    // Logs the code (unless `logCode` is false) and `logText` with tag "TX",
    // then writes the packet with the request's identification record and `body`.
    virtual void sendReply(qint32 code, const QString &logText, const packet::RecordId &echo, const QByteArray &body,
                           bool logCode = true) = 0;
};

// Whether replies are still on their way to the dialer: the next request is
// read only when they are not.
class ReplyQueue {
public:
    virtual ~ReplyQueue() = default;
    virtual bool busy() const = 0;
};
