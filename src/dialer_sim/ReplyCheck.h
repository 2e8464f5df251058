#pragma once

#include <QString>

#include "dialer_link/PacketFormat.h"

// Whether a reply, as a dialer sees it, keeps the protocol.
namespace replycheck {

// Empty when `p` is a well-formed reply with `code` echoing `id` and `tag`;
// otherwise what is wrong.
QString check(const packet::Packet &p, qint32 code, qint32 id, const QString &tag);

// The extra rules of customer packets: count, body length, record positions
// and, for group replies, the group of every record.
QString checkCustomers(const packet::Packet &p, bool byOperator, qint32 group, const QString &op);

} // namespace replycheck
