#pragma once

// The 20-byte header that starts the packets of every binary link (dialer,
// emulator, monitor, operator server, PBX), and the 32-bit integers of
// their bodies. The links differ in the byte order of the fields after
// Totlen; Totlen itself is big-endian everywhere.
//
//   offset 0  Totlen   int32  bytes after this field: 16 + Len
//   offset 4  LineaSVC int32
//   offset 8  Reply    int32  sender's local port
//   offset 12 Code     int32  message code
//   offset 16 Len      int32

#include <QByteArray>
#include <QtGlobal>

#include "wire/Status.h"

namespace packet {

namespace offset {
inline constexpr int Totlen = 0;
inline constexpr int LineaSvc = 4;
inline constexpr int Reply = 8;
inline constexpr int Code = 12;
inline constexpr int Len = 16;
} // namespace offset

inline constexpr int kHeaderSize = 20;
inline constexpr int kLengthFieldSize = 4;

// ToH: the header, Totlen in host order.
struct Header {
    qint32 totlen = 0;
    qint32 lineaSvc = 0;
    qint32 reply = 0;
    qint32 code = 0;
    qint32 len = 0;
    friend bool operator==(const Header &, const Header &) = default;
};

// Which header fields are big-endian.
enum class Link {
    Dialer,         // Totlen only (dialer and emulator links)
    OperatorServer, // all but LineaSVC (what the program sends the operator server)
    Monitor,        // all five (monitor and PBX links, the operator server's replies)
};

QByteArray encodeHeader(const Header &h, Link link = Link::Dialer);
wire::Status decodeHeader(const QByteArray &bytes, Header &out, Link link = Link::Dialer);

// REQUIRES: offset + 4 <= bytes.size(); decoders check sizes before reading.
qint32 readInt32Le(const QByteArray &bytes, qsizetype offset);
qint32 readInt32Be(const QByteArray &bytes, qsizetype offset);
void appendInt32Le(QByteArray &out, qint32 value);
void appendInt32Be(QByteArray &out, qint32 value);

} // namespace packet
