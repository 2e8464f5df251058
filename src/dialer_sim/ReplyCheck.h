#pragma once

#include <QByteArray>
#include <QString>

#include "dialer_link/PacketFormat.h"

// What a dialer sees of a reply, and whether it keeps the protocol.
namespace replycheck {

struct Packet {
    packet::Header header;
    packet::RecordId record;
    QByteArray body;
};

// Cuts the first whole packet off `stream`; false when more bytes are needed.
bool take(QByteArray &stream, Packet &out);

// Empty when `p` is a well-formed reply with `code` echoing `id` and `tag`;
// otherwise what is wrong.
QString check(const Packet &p, qint32 code, qint32 id, const QString &tag);

// The extra rules of customer packets: count, body length, record positions
// and, for group replies, the group of every record.
QString checkCustomers(const Packet &p, bool byOperator, qint32 group, const QString &op);

} // namespace replycheck
