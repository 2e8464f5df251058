#pragma once

// Wire format of the dialer link (and of the emulator and operator-server
// links, which differ only in byte order and framing).
//
// A packet is a 20-byte header, then on the dialer and emulator links a
// 24-byte identification record, then the body:
//
//   offset 0  Totlen   int32  bytes after this field: 16 + Len   (big-endian)
//   offset 4  LineaSVC int32  -1 from the server                  (little-endian)
//   offset 8  Reply    int32  sender's local port                 (little-endian)
//   offset 12 Code     int32  message code                        (little-endian)
//   offset 16 Len      int32  24 + body length, 0 for header only (little-endian)
//   offset 20 ID       int32  request number, echoed by replies    (little-endian)
//   offset 24 Contact  20 ANSI characters, requester's tag, echoed by replies
//   offset 44 body     Len - 24 bytes; integers little-endian, texts fixed width
//
// On the operator-server link Totlen, Reply, Code and Len are big-endian and
// no identification record follows.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace packet {

inline constexpr int kHeaderSize = 20;
inline constexpr int kRecordIdSize = 24;
inline constexpr int kContactSize = 20;
inline constexpr int kPrefixSize = kHeaderSize + kRecordIdSize; // 44
inline constexpr int kBodyBufferSize = 4000;
inline constexpr int kMinRequestBytes = 40; // Totlen of a request without body
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

// ToH: the header, Totlen already in host order.
struct Header {
    qint32 totlen = 0;
    qint32 lineaSvc = 0;
    qint32 reply = 0;
    qint32 code = 0;
    qint32 len = 0;
    friend bool operator==(const Header &, const Header &) = default;
};

// RecordId: request number and requester's tag.
struct RecordId {
    qint32 id = 0;
    QString contact; // 20 characters on the wire, blank padded
    friend bool operator==(const RecordId &, const RecordId &) = default;
};

enum class Link { Dialer, OperatorServer };

QByteArray encodeHeader(const Header &h, Link link = Link::Dialer);
// REQUIRES: bytes.size() >= 20 (missing bytes read as zero).
Header decodeHeader(const QByteArray &bytes, Link link = Link::Dialer);

QByteArray encodeRecordId(const RecordId &r);
RecordId decodeRecordId(const QByteArray &bytes);

qint32 readInt32Le(const QByteArray &bytes, qsizetype offset);
qint32 readInt32Be(const QByteArray &bytes, qsizetype offset);
void appendInt32Le(QByteArray &out, qint32 value);
void appendInt32Be(QByteArray &out, qint32 value);

// The header of a reply with `bodyLength` bytes of body, or header only
// (DBOK, DBDOWN) when `headerOnly`.
Header replyHeader(qint32 code, int bodyLength, quint16 localPort, bool headerOnly = false);

} // namespace packet
