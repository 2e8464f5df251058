#pragma once

// Wire format of the dialer link and of the emulator link; the header is
// the one of every link (wire/PacketHeader.h), here with only Totlen
// big-endian. docs/dialer-protocol.md describes it for people.
//
// A packet is a 20-byte header, then on the dialer and emulator links a
// 24-byte identification record (absent when Len is 0), then the body:
//
//   offset 0  Totlen   int32  bytes after this field: 16 + Len   (big-endian)
//   offset 4  LineaSVC int32  -1 from the server, 0 from a dialer (little-endian)
//   offset 8  Reply    int32  sender's local port                 (little-endian)
//   offset 12 Code     int32  message code                        (little-endian)
//   offset 16 Len      int32  24 + body length, 0 for header only (little-endian)
//   offset 20 ID       int32  request number, echoed by replies    (little-endian)
//   offset 24 Contact  20 ANSI characters, requester's tag, echoed by replies
//   offset 44 body     Len - 24 bytes; integers little-endian, texts fixed width

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "wire/PacketHeader.h"
#include "wire/Status.h"

namespace packet {

namespace offset {
inline constexpr int Id = 20;
inline constexpr int Contact = 24;
inline constexpr int Body = 44;
} // namespace offset

inline constexpr int kRecordIdSize = 24;
inline constexpr int kContactSize = 20;
inline constexpr int kPrefixSize = kHeaderSize + kRecordIdSize; // 44
inline constexpr int kBodyBufferSize = 4000;
inline constexpr qint32 kHeaderOnlyTotlen = 16;
inline constexpr qint32 kMinRequestTotlen = 40; // a request without body
inline constexpr qint32 kFirstRequestCode = 70000;
// No request comes near this; a longer length field is taken as corrupt.
inline constexpr qint32 kMaxPacketLength = 65536;

enum Code : qint32 {
    RichiestaGruppi = 70000,
    RichiestaClientiGruppi = 70001,
    Esito = 70002,
    FreeQueue = 70003,
    DiscardQuery = 70004,
    QueryOp = 71001,
    EsitoOp = 71002,
    FreeQueueOp = 71003,
    DiscardQueryOp = 71004,
    PacchettoGruppi = 70100,
    QueryEnd = 70101,
    ClientiGruppo = 70102,
    AckEsito = 70103,
    FreeQueueReply = 70104,
    DbDown = 70109,
    DbOk = 70110,
    QueryEndOp = 71101,
    ClientiOperatore = 71102,
    FreeQueueOpReply = 71104,
};

// RecordId: request number and requester's tag.
struct RecordId {
    qint32 id = 0;
    QString contact; // 20 characters on the wire, blank padded
    friend bool operator==(const RecordId &, const RecordId &) = default;
};

QByteArray encodeRecordId(const RecordId &r);
wire::Status decodeRecordId(const QByteArray &bytes, RecordId &out, qsizetype at = 0);

// The header of a reply with `bodyLength` bytes of body, or header only
// (DBOK, DBDOWN) when `headerOnly`.
Header replyHeader(qint32 code, int bodyLength, quint16 localPort, bool headerOnly = false);
// The header of a request as a dialer sends it.
Header requestHeader(qint32 code, int bodyLength, qint32 reply, qint32 lineaSvc = 0);

// One whole packet of the dialer or emulator link.
struct Packet {
    Header header;
    RecordId record;
    QByteArray body;
};

// Header, identification record (unless header only) and body, as sent.
QByteArray encodePacket(const Header &h, const RecordId &r, const QByteArray &body);
// A framed packet, length field included. A header-only packet has an
// empty record; otherwise the record must be there, and the body is what
// Totlen frames after it, cut to Len - 24 when Len says less.
wire::Status decodePacket(const QByteArray &framed, Packet &out);

} // namespace packet
