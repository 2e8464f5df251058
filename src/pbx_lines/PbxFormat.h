#pragma once

// Wire format of the PBX line monitor's link (port 20250), written down for
// people in docs/telephony-protocol.md. The 20-byte header of the other
// links, every field big-endian, no identification record; Totlen from 16
// (a header) to 93100. The body's integers are big-endian, its texts fixed
// width, NUL padded.
//
//   52000: a 24-byte block of six integers, then records of 88 bytes
//   52001: records of 36 bytes
//   52002: four integers, then a text of Len - 16 bytes

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

#include "wire/Framer.h"
#include "wire/PacketHeader.h"
#include "wire/Status.h"

namespace pbx {

inline constexpr quint16 kPort = 20250;
inline constexpr qint32 kMaxPacketLength = 93100;
inline constexpr Framer::Rules kFraming{16, kMaxPacketLength};

enum Code : qint32 { Lines = 52000, LineOrExtension = 52001, CallMessage = 52002 };

// A record of 52000 (88 bytes) or 52001 (36 bytes).
struct LineRecord {
    static constexpr int Number = 0, First = 4, State = 8, Second = 12, Mask = 16;
    static constexpr int LinesSize = 88, LinesName = 56, SingleSize = 36, SingleName = 20, NameWidth = 16;

    qint32 number = 0;
    qint32 first = 0;
    qint32 state = 0;
    qint32 second = 0;
    qint32 mask = 0; // 52001 only
    QString name;
};

struct CallRecord {
    static constexpr int Integers = 16;
    qint32 values[4] = {0, 0, 0, 0}; // values[0]: the extension
    QString text;                    // NUL padding and blanks trimmed, other bytes as received
    qsizetype width = 0;             // the text's bytes on the wire, padding included
};

struct Packet {
    packet::Header header;
    QList<LineRecord> records;
    qsizetype leftOver = 0; // bytes of an incomplete last record, skipped whole
    CallRecord call;
};

// Encoders, for the line monitor's simulator and the tests: 52000 with its
// six-integer block, 52001, 52002 (Len = 16 + the text's width).
QByteArray encodeLines(const QList<LineRecord> &records, const std::array<qint32, 6> &block = {});
QByteArray encodeSingle(const QList<LineRecord> &records);
QByteArray encodeCall(const CallRecord &call);
// A packet of a code the program does not know, its body `bodyLength` zeros.
QByteArray encodeUnknown(qint32 code, int bodyLength);

// A framed packet, length field included. Refuses a packet too short for
// its fixed part; a code other than the three gives only the header.
wire::Status decode(const QByteArray &framed, Packet &out);

// The mask in binary, without leading zeros ("0" for 0); a negative mask
// shows its 32 bits.
QString binary(qint32 mask);

// A call message's text as it is listed: characters below 32 or from 127
// up, and dots, become blanks, blanks trimmed, then each pair of blanks made one.
QString cleanCallText(const QString &text);
// A text from the wire as a list line shows it: control characters blank.
QString printable(const QString &text);

} // namespace pbx
