#pragma once

// Wire format of the telephony server's two links, written down for people
// in docs/telephony-protocol.md.
//
// Both links use the 20-byte header of every link (wire/PacketHeader.h)
// with every field big-endian on the monitor link (Link::Monitor) and no
// identification record; Totlen counts the bytes after itself and must lie
// in 1..3100. The monitor link (port 9992) only receives:
//
//   Code 25000: header, TestaMonitor (20 bytes, little-endian), then records
//               of 412 bytes (subcodes 200, 202) or 61 bytes (201, 203).
//   Code 25002: header, RecOra (14 bytes).
//
// The operator-server link (port 20600) sends 55007 (the extension) and
// 55006 (the command) and receives 56001..56007, only logged.
//
// The server's side is here too, encoders of what it sends and a decoder of
// what it receives, so that the simulator and the tests speak the program's
// own format rather than a copy of it.

#include <QByteArray>
#include <QList>
#include <QString>

#include "wire/Framer.h"
#include "wire/PacketHeader.h"
#include "wire/Status.h"

namespace telephony {

inline constexpr quint16 kMonitorPort = 9992;
inline constexpr quint16 kOperatorServerPort = 20600;
inline constexpr qint32 kMaxPacketLength = 3100;
// A length too short for the header is as corrupt as one too long.
inline constexpr Framer::Rules kFraming{16, kMaxPacketLength};

// The monitor link's packets.
enum MonitorCode : qint32 { Monitor = 25000, Time = 25002 };

// The operator server's: the two messages of a command, then its replies.
enum OperatorCode : qint32 {
    OpCommand = 55006,
    OpExtension = 55007,
    ReplyIntegers = 56001,
    ReplyCode = 56002,
    ReplyMessage = 56003,
    ReplyList = 56004,
    ReplyLogin = 56005,
    ReplyInfo = 56007,
};

enum Subcode : qint32 {
    ExtensionConfig = 200,
    GroupConfig = 201,
    ExtensionChange = 202,
    GroupChange = 203,
};

// The Totlen values of the packets the server sends: PacchettoBuono, the
// test a replicated stream is realigned with.
bool pacchettoBuono(qint32 length);

// TestaMonitor, after a header with Code 25000.
struct MonitorHeader {
    static constexpr int Subcode = 0, Words = 4, Count = 16, Size = 20;
    qint32 subcode = 0;
    qint32 words[3] = {0, 0, 0};
    qint32 count = 0; // not used to walk the records
};

// RecInterno, 412 bytes; texts as PulisciStringa leaves them.
struct ExtensionRecord {
    static constexpr int Spare0 = 0, Number = 4, Spare8 = 8, Agent = 12, Description = 25, LogState = 58,
                         ActionState = 81, LineState = 104, AcdState = 127, NumberText = 163, Groups = 185,
                         Spare257 = 257, LoginTime = 402, Spare410 = 410, Size = 412;
    static constexpr int AgentWidth = 13, DescriptionWidth = 33, StateWidth = 23, AcdWidth = 36, NumberTextWidth = 22,
                         GroupSlots = 36, LoginWidth = 8;

    qint32 number = 0;
    QString agent;
    QString description;
    QString logState;
    QString actionState;
    QString lineState;
    QString acdState;
    QString numberText;
    QList<int> groups; // the second byte of each 2-byte slot, in slot order (0 = empty)
    QString loginTime;
};

// RecGruppo, 61 bytes.
struct GroupRecord {
    static constexpr int Number = 0, Third = 12, Name = 32, Logged = 49, Free = 53, Further = 57, Size = 61;
    static constexpr int NameWidth = 16;

    qint32 number = 0;
    qint32 third = 0;
    QString name; // trimmed
    qint32 logged = 0;
    qint32 free = 0;
    qint32 further = 0;
};

// RecOra, 14 bytes: a time text and six bytes, only logged.
struct TimeRecord {
    static constexpr int Time = 0, Bytes = 8, Size = 14;
    static constexpr int TimeWidth = 8, ByteCount = 6;
    QString time;
    quint8 bytes[ByteCount] = {0, 0, 0, 0, 0, 0};
};

// A whole monitor packet.
struct MonitorPacket {
    packet::Header header;
    MonitorHeader sub;                   // Code 25000
    QList<ExtensionRecord> extensions;   // subcodes 200, 202
    QList<GroupRecord> groups;           // subcodes 201, 203
    TimeRecord time;                     // Code 25002
    qsizetype leftOver = 0;              // bytes of an incomplete last record, ignored
};

// A framed monitor packet, length field included. Refuses what is too short
// for its header or sub-header; records are walked in the bytes the packet
// holds, up to Len allows, and an incomplete last record is left over.
wire::Status decodeMonitor(const QByteArray &framed, MonitorPacket &out);

// The server's monitor packets, framed. Every header field big-endian,
// LineaSVC -1, Reply 9992 and Len equal to Totlen, as the server fills them.
// The sub-header goes out as given (its count is not checked against the
// records); texts are NUL padded and cut to their width, groups beyond the
// 36 slots dropped, and every byte no field covers is NUL.
QByteArray encodeExtensions(const MonitorHeader &sub, const QList<ExtensionRecord> &records);
QByteArray encodeGroups(const MonitorHeader &sub, const QList<GroupRecord> &records);
QByteArray encodeTime(const TimeRecord &time);
// A packet of a code the program does not know: the same header and
// `bodyLength` bytes of 'u'.
QByteArray encodeUnknown(qint32 code, int bodyLength);

// The command messages of the operator-server link, whole packets.
struct OpCommandBody {
    static constexpr int Subcode = 0, Extension = 4, Operator = 8, Password = 21, Size = 34;
    static constexpr int TextWidth = 13;
    qint32 subcode = 0;
    qint32 extension = 0;
    QString op;
    QString password;
};
QByteArray encodeOpExtension(qint32 extension, quint16 localPort);
QByteArray encodeOpCommand(const OpCommandBody &c, quint16 localPort);
// The bodies after the header, as the operator server reads them.
wire::Status decodeOpExtension(const QByteArray &body, qint32 &extension);
wire::Status decodeOpCommand(const QByteArray &body, OpCommandBody &out);

// A reply of the operator server: its header, and the body after the header
// count (32 for 56002 and 56003, else 16).
struct OperatorReply {
    static constexpr int HeaderExtension = 16; // 56002 and 56003
    packet::Header header;
    QByteArray body;
};
wire::Status decodeOperatorReply(const QByteArray &framed, OperatorReply &out);

// The replies' bodies, only logged. 56001: two big-endian integers.
struct ReplyPair {
    static constexpr int First = 0, Second = 4, Size = 8;
    qint32 first = 0;
    qint32 second = 0;
};
wire::Status decodeReplyPair(const QByteArray &body, ReplyPair &out);
// 56004: big-endian integers, as many as the body holds whole; a body
// that ends inside an integer is refused.
wire::Status decodeReplyList(const QByteArray &body, QList<qint32> &out);
// 56002, 56003: the text of the body, as PulisciStringa leaves it.
QString replyText(const QByteArray &body);
// 56003 as the operator server sends it: the header of the monitor packets
// above, the header extension all NULs, then the text without a NUL.
QByteArray encodeOperatorMessage(const QString &text);

} // namespace telephony
