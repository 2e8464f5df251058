// The telephony server's wire format: monitor packets through the owner's
// encoders and as written here byte by byte, and the operator commands and
// replies.
#include <QtTest>

#include "../support/Bytes.h"

#include <limits>

#include "ct_monitor/TelephonyFormat.h"
#include "telephony_sim/SimBytes.h"
#include "wire/FramedReader.h"

using namespace telephony;

namespace {

void patchBe(QByteArray &b, int at, qint32 v)
{
    b.replace(at, 4, be32(v));
}

// Offsets of the header and of the first record of a 25000 packet.
constexpr int kTotlenAt = 0;
constexpr int kLenAt = 16;
constexpr int kFirstRecordAt = 40;

// A logged-in extension as the simulator sends it; agent 1 on 101.
simbytes::Extension extension(int number)
{
    simbytes::Extension e;
    e.number = number;
    e.agent = QString::number(number - 100);
    e.logState = QStringLiteral("LOGGED_IN");
    return e;
}

// The 36 slot values a record carries for `groups`.
QList<int> slots(const QList<int> &groups)
{
    QList<int> all = groups;
    while (all.size() < ExtensionRecord::GroupSlots)
        all.append(0);
    return all;
}

ExtensionRecord record(qint32 number, const QString &agent, const QString &log, const QList<int> &groups = {})
{
    ExtensionRecord r;
    r.number = number;
    r.agent = agent;
    r.description = QStringLiteral("Operatore ") + QString::number(number);
    r.logState = log;
    r.actionState = QStringLiteral("FREE");
    r.lineState = QStringLiteral("IDLE");
    r.acdState = QStringLiteral("ACD_") + log;
    r.numberText = QString::number(number);
    r.groups = groups;
    r.loginTime = QStringLiteral("08:15:00");
    return r;
}

void compareRecord(const ExtensionRecord &got, const ExtensionRecord &want)
{
    QCOMPARE(got.number, want.number);
    QCOMPARE(got.agent, want.agent);
    QCOMPARE(got.description, want.description);
    QCOMPARE(got.logState, want.logState);
    QCOMPARE(got.actionState, want.actionState);
    QCOMPARE(got.lineState, want.lineState);
    QCOMPARE(got.acdState, want.acdState);
    QCOMPARE(got.numberText, want.numberText);
    QCOMPARE(got.groups, slots(want.groups));
    QCOMPARE(got.loginTime, want.loginTime);
}

// Bytes [at, at + n) of `b` are all NUL.
bool nuls(const QByteArray &b, int at, int n)
{
    return b.mid(at, n) == QByteArray(n, '\0');
}

} // namespace

class TestTelephonyFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ownerRoundTripOfAnExtensionConfiguration();
    void ownerRoundTripOfGroups();
    void ownerRoundTripOfTimeAndUnknownCode();
    void handWrittenPacketsFixTheByteOrder();
    void recordWalkFollowsLenAndTheBytesFramed();
    void unknownSubcodeAndTruncatedPacketsAreRefused();
    void pacchettoBuonoKnowsTheServersLengths();
    void operatorCommandBytes();
    void operatorCommandTextsAreCut();
    void simulatorTakesWholeCommandsOnly();
    void operatorReplySkipsTheHeaderExtensionOf56002And56003Only();
};

void TestTelephonyFormat::ownerRoundTripOfAnExtensionConfiguration()
{
    QList<int> thirtySeven;
    for (int g = 1; g <= 37; ++g)
        thirtySeven.append(g);
    QList<ExtensionRecord> sent{
        record(101, QStringLiteral("1001"), QStringLiteral("LOGGED_IN"), {3, 5}),
        record(102, QString(), QStringLiteral("LOGGED_OUT")),
        record(103, QStringLiteral("  77 "), QStringLiteral("PAUSED"), {0, 12, 0, 255}),
        record(104, QStringLiteral("ABCDEFGHIJKLMNOP"), QStringLiteral("WORKING"), {7}),
        record(105, QStringLiteral("1005"), QStringLiteral("HANDSHAKING"), thirtySeven),
        record(0x01020304, QStringLiteral("1006"), QStringLiteral("LOGGED_IN"), {1}),
    };
    sent[1].description.clear();
    sent[1].acdState.clear();
    sent[1].loginTime.clear();
    sent[2].description = QStringLiteral("Anna") + QChar(u'\0') + QStringLiteral("Bianchi ");
    sent[2].numberText = QStringLiteral(" 103");
    sent[3].description = QString(40, u'd');
    sent[3].acdState = QString(36, u'a');
    sent[3].loginTime = QStringLiteral("08:15:00.5");
    sent[5].numberText = QStringLiteral("300");

    // Blanks and NULs trimmed, texts cut to their width, slots past 36 lost.
    QList<ExtensionRecord> want = sent;
    want[2].agent = QStringLiteral("77");
    want[2].description = QStringLiteral("Anna Bianchi");
    want[2].numberText = QStringLiteral("103");
    want[3].agent = QStringLiteral("ABCDEFGHIJKLM");
    want[3].description = QString(33, u'd');
    want[3].loginTime = QStringLiteral("08:15:00");
    want[4].groups.removeLast();

    MonitorHeader sub;
    sub.subcode = ExtensionConfig;
    sub.words[0] = 7;
    sub.words[1] = -8;
    sub.words[2] = 0x01020304;
    sub.count = 6;
    const QByteArray bytes = encodeExtensions(sub, sent);
    QCOMPARE(bytes.size(), 4 + 2508);

    MonitorPacket p;
    const wire::Status s = decodeMonitor(bytes, p);
    QVERIFY2(s.ok(), qPrintable(s.error));
    QCOMPARE(p.header, (packet::Header{2508, -1, 9992, Monitor, 2508}));
    QCOMPARE(p.sub.subcode, qint32(ExtensionConfig));
    QCOMPARE(p.sub.words[0], 7);
    QCOMPARE(p.sub.words[1], -8);
    QCOMPARE(p.sub.words[2], 0x01020304);
    QCOMPARE(p.sub.count, 6);
    QCOMPARE(p.leftOver, 0);
    QCOMPARE(p.extensions.size(), 6);
    for (int i = 0; i < 6; ++i)
        compareRecord(p.extensions[i], want[i]);

    // Offsets counted by hand: records from byte 40, 412 bytes each.
    QCOMPARE(bytes.mid(44, 4), le32(101));
    QCOMPARE(bytes.mid(52, 13), padded("1001", 13));
    QCOMPARE(bytes.mid(40 + 412 + 12, 13), QByteArray(13, '\0'));
    QCOMPARE(bytes.mid(225, 4), QByteArray::fromHex("00030005"));
    QCOMPARE(bytes.mid(442, 8), QByteArray("08:15:00"));
    QCOMPARE(bytes.mid(40 + 5 * 412 + 4, 4), QByteArray::fromHex("04030201"));
    QCOMPARE(bytes.mid(40 + 5 * 412 + 163, 22), padded("300", 22));
    // What no field covers stays NUL, the first byte of each slot too.
    for (int i = 0; i < 6; ++i) {
        const int at = 40 + i * 412;
        QVERIFY2(nuls(bytes, at, 4) && nuls(bytes, at + 8, 4), qPrintable(QString::number(i)));
        QVERIFY2(nuls(bytes, at + 257, 145) && nuls(bytes, at + 410, 2), qPrintable(QString::number(i)));
        for (int slot = 0; slot < 36; ++slot)
            QVERIFY2(nuls(bytes, at + 185 + 2 * slot, 1), qPrintable(QString::number(slot)));
    }
}

void TestTelephonyFormat::ownerRoundTripOfGroups()
{
    QList<GroupRecord> four(4);
    four[0] = {1, 2, QStringLiteral("Vendite"), 4, 3, 9};
    four[1] = {2, 0, QStringLiteral("  Nord  "), 0, 0, -2};
    four[2] = {150, 70000, QStringLiteral("ABCDEFGHIJKLMNOPQ"), 12, 11, 1};
    four[3] = {300, 0, QString(), 0x01020304, 0, 0};
    MonitorHeader sub;
    sub.subcode = GroupConfig;
    sub.count = 4;
    const QByteArray bytes = encodeGroups(sub, four);

    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{280, -1, 9992, Monitor, 280}));
    QCOMPARE(p.sub.subcode, qint32(GroupConfig));
    QCOMPARE(p.sub.count, 4);
    QVERIFY(p.extensions.isEmpty());
    QCOMPARE(p.groups.size(), 4);
    const QStringList names{QStringLiteral("Vendite"), QStringLiteral("Nord"), QStringLiteral("ABCDEFGHIJKLMNOP"), QString()};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(p.groups[i].number, four[i].number);
        QCOMPARE(p.groups[i].third, four[i].third);
        QCOMPARE(p.groups[i].name, names[i]);
        QCOMPARE(p.groups[i].logged, four[i].logged);
        QCOMPARE(p.groups[i].free, four[i].free);
        QCOMPARE(p.groups[i].further, four[i].further);
    }

    // Offsets counted by hand: records from byte 40, 61 bytes each.
    QCOMPARE(bytes.mid(40, 4), le32(1));
    QCOMPARE(bytes.mid(52, 4), le32(2));
    QCOMPARE(bytes.mid(72, 16), padded("Vendite", 16));
    QCOMPARE(bytes.mid(89, 4), le32(4));
    QCOMPARE(bytes.mid(93, 4), le32(3));
    QCOMPARE(bytes.mid(97, 4), le32(9));
    QCOMPARE(bytes.mid(40 + 61 + 57, 4), le32(-2));
    for (int i = 0; i < 4; ++i) {
        const int at = 40 + i * 61;
        QVERIFY2(nuls(bytes, at + 4, 8) && nuls(bytes, at + 16, 16) && nuls(bytes, at + 48, 1),
                 qPrintable(QString::number(i)));
    }
}

void TestTelephonyFormat::ownerRoundTripOfTimeAndUnknownCode()
{
    TimeRecord t;
    t.time = QStringLiteral("12:34:56");
    const quint8 six[6] = {10, 20, 255, 128, 0, 1};
    for (int i = 0; i < 6; ++i)
        t.bytes[i] = six[i];
    QByteArray bytes = encodeTime(t);
    QCOMPARE(bytes.size(), 34);
    QCOMPARE(bytes.mid(20), QByteArray("12:34:56") + QByteArray::fromHex("0a14ff800001"));

    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{30, -1, 9992, Time, 30}));
    QCOMPARE(p.time.time, QStringLiteral("12:34:56"));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.time.bytes[i], six[i]);

    // A short time is NUL padded; a long one cut.
    t.time = QStringLiteral("9:05");
    QCOMPARE(encodeTime(t).mid(20, 8), padded("9:05", 8));
    t.time = QStringLiteral("12:34:56.789");
    QVERIFY(decodeMonitor(encodeTime(t), p).ok());
    QCOMPARE(p.time.time, QStringLiteral("12:34:56"));
    QCOMPARE(p.time.bytes[0], quint8(10));

    // An unknown code: the header only is decoded, whatever the body.
    bytes = encodeUnknown(25999, TimeRecord::Size);
    QCOMPARE(bytes.size(), 34);
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{30, -1, 9992, 25999, 30}));
    QVERIFY(p.extensions.isEmpty() && p.groups.isEmpty());
    QCOMPARE(encodeUnknown(25999, 0).size(), 20);
}

void TestTelephonyFormat::handWrittenPacketsFixTheByteOrder()
{
    // Header big-endian, TestaMonitor and record little-endian; values
    // whose bytes differ when swapped.
    QByteArray group = le32(258) + QByteArray(8, '\x7f') + le32(0x01020304) + QByteArray(16, '\x7f')
        + padded("  Vendite Nord", 16) + QByteArray(1, '\x7f') + le32(513) + le32(65536 + 2) + le32(-2);
    QCOMPARE(group.size(), 61);
    QByteArray bytes = be32(97) + be32(-1) + be32(0x01020304) + be32(25000) + be32(97) //
        + le32(201) + le32(0x11111111) + le32(0x22222222) + le32(0x33333333) + le32(1) + group;
    QCOMPARE(bytes.size(), 101);

    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header.reply, 0x01020304);
    QCOMPARE(p.header.lineaSvc, -1);
    QCOMPARE(p.header.len, 97);
    QCOMPARE(p.sub.subcode, 201);
    QCOMPARE(p.sub.words[0], 0x11111111);
    QCOMPARE(p.sub.words[2], 0x33333333);
    QCOMPARE(p.sub.count, 1);
    QCOMPARE(p.groups.size(), 1);
    const GroupRecord &g = p.groups[0];
    QCOMPARE(g.number, 258);
    QCOMPARE(g.third, 0x01020304);
    QCOMPARE(g.name, QStringLiteral("Vendite Nord"));
    QCOMPARE(g.logged, 513);
    QCOMPARE(g.free, 65538);
    QCOMPARE(g.further, -2);

    // An extension record: texts padded with blanks or NULs come out
    // trimmed, a slot counts by its second byte only.
    QByteArray slotBytes;
    for (int slot = 0; slot < 36; ++slot) {
        slotBytes.append(char(slot == 2 ? 9 : 0)); // first byte set, second empty: no group
        slotBytes.append(char(slot == 0 ? 3 : slot == 1 ? 5 : slot == 35 ? 255 : 0));
    }
    QByteArray rec = le32(-1) + le32(0x0000012C) + le32(-1) + padded(" 1001", 13, ' ') + padded(QByteArray("Mario\0Rossi", 11), 33)
        + padded("LOGGED_IN", 23, ' ') + padded("FREE", 23) + padded("IN USE", 23) + padded("", 36)
        + padded("300", 22) + slotBytes + QByteArray(145, 'z') + QByteArray("09:05:00", 8) + QByteArray(2, 'z');
    QCOMPARE(rec.size(), 412);
    bytes = be32(448) + be32(-1) + be32(9992) + be32(25000) + be32(448) + le32(202) + QByteArray(12, '\0') + le32(1) + rec;

    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.sub.subcode, 202);
    QCOMPARE(p.extensions.size(), 1);
    const ExtensionRecord &e = p.extensions[0];
    QCOMPARE(e.number, 300);
    QCOMPARE(e.agent, QStringLiteral("1001"));
    QCOMPARE(e.description, QStringLiteral("Mario Rossi"));
    QCOMPARE(e.logState, QStringLiteral("LOGGED_IN"));
    QCOMPARE(e.actionState, QStringLiteral("FREE"));
    QCOMPARE(e.lineState, QStringLiteral("IN USE"));
    QCOMPARE(e.acdState, QString());
    QCOMPARE(e.numberText, QStringLiteral("300"));
    QList<int> want(36, 0);
    want[0] = 3;
    want[1] = 5;
    want[35] = 255;
    QCOMPARE(e.groups, want);
    QCOMPARE(e.loginTime, QStringLiteral("09:05:00"));

    // The time record: eight characters, then six unsigned bytes.
    bytes = be32(30) + be32(-1) + be32(0) + be32(25002) + be32(30) + QByteArray("08:30:15") + QByteArray::fromHex("0a14ff800001");
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header.code, 25002);
    QCOMPARE(p.time.time, QStringLiteral("08:30:15"));
    const quint8 six[6] = {10, 20, 255, 128, 0, 1};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.time.bytes[i], six[i]);
}

void TestTelephonyFormat::recordWalkFollowsLenAndTheBytesFramed()
{
    const QList<simbytes::Extension> three{extension(101), extension(102), extension(103)};
    MonitorPacket p;

    // A body of 413 bytes: one record, the last byte left over.
    QByteArray bytes = simbytes::extensions(ExtensionChange, {three[0]}) + QByteArray(1, 'x');
    patchBe(bytes, kTotlenAt, 449);
    patchBe(bytes, kLenAt, 449);
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.extensions.size(), 1);
    QCOMPARE(p.extensions[0].number, 101);
    QCOMPARE(p.leftOver, 1);

    // The record count of TestaMonitor does not drive the walk.
    bytes = simbytes::extensions(ExtensionChange, three);
    bytes.replace(kFirstRecordAt - 4, 4, le32(1));
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.extensions.size(), 3);

    // Len announcing fewer bytes than framed: only what it announces.
    bytes = simbytes::extensions(ExtensionChange, three);
    patchBe(bytes, kLenAt, 36 + 2 * 412);
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.extensions.size(), 2);
    QCOMPARE(p.extensions[1].number, 102);
    QCOMPARE(p.leftOver, 0);

    patchBe(bytes, kLenAt, 36 + 412 + 5);
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.extensions.size(), 1);
    QCOMPARE(p.leftOver, 5);

    // Len announcing more than framed: never past the packet's bytes.
    patchBe(bytes, kLenAt, 3000);
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.extensions.size(), 3);
    QCOMPARE(p.leftOver, 0);
    QVERIFY(decodeMonitor(bytes.left(bytes.size() - 1), p).ok());
    QCOMPARE(p.extensions.size(), 2);
    QCOMPARE(p.leftOver, 411);

    // Len below the header count, or negative: no records.
    for (qint32 len : {0, 35, -1, std::numeric_limits<qint32>::min()}) {
        patchBe(bytes, kLenAt, len);
        QVERIFY(decodeMonitor(bytes, p).ok());
        QVERIFY2(p.extensions.isEmpty(), qPrintable(QString::number(len)));
        QCOMPARE(p.leftOver, 0);
    }

    // Groups are walked in 61-byte steps.
    QByteArray groups = simbytes::groups(GroupChange, {{1, QStringLiteral("a"), 1, 1, 1}, {2, QStringLiteral("b"), 2, 2, 2}});
    patchBe(groups, kLenAt, 36 + 61 + 60);
    QVERIFY(decodeMonitor(groups, p).ok());
    QCOMPARE(p.groups.size(), 1);
    QCOMPARE(p.leftOver, 60);
}

void TestTelephonyFormat::unknownSubcodeAndTruncatedPacketsAreRefused()
{
    MonitorPacket p;
    for (int subcode : {0, 199, 204, -200}) {
        const QByteArray bytes = simbytes::extensions(subcode, {extension(101)});
        QVERIFY2(!decodeMonitor(bytes, p).ok(), qPrintable(QString::number(subcode)));
        QVERIFY(p.extensions.isEmpty());
    }

    // Shorter than header and TestaMonitor (40 bytes with the length field),
    // or than header and RecOra (34).
    const auto decode = [&p](const QByteArray &b) { return decodeMonitor(b, p); };
    const QByteArray monitor = simbytes::groups(GroupConfig, {{1, QStringLiteral("a"), 1, 1, 1}});
    QVERIFY(refusesPrefixes(monitor.left(40), decode));
    QVERIFY(decodeMonitor(monitor.left(40), p).ok()); // sub-header whole, no record yet
    QVERIFY(p.groups.isEmpty());
    QVERIFY(refusesPrefixes(simbytes::time(QStringLiteral("10:00:00")), decode));
}

void TestTelephonyFormat::pacchettoBuonoKnowsTheServersLengths()
{
    QList<qint32> accepted;
    for (qint32 v = -10; v <= 3200; ++v) {
        if (pacchettoBuono(v))
            accepted << v;
    }
    QCOMPARE(accepted, (QList<qint32>{30, 97, 280, 448, 2508}));
    QVERIFY(!pacchettoBuono(std::numeric_limits<qint32>::min()));
    QVERIFY(!pacchettoBuono(std::numeric_limits<qint32>::max()));
    // They are the lengths of what the server sends: tst_monitorlink takes each.
}

void TestTelephonyFormat::operatorCommandBytes()
{
    const quint16 port = 0x1234;
    QCOMPARE(encodeOpExtension(205, port), QByteArray::fromHex("00000014"
                                                               "ffffffff"
                                                               "00001234"
                                                               "0000d6df"
                                                               "00000004"
                                                               "000000cd"));

    const OpCommandBody command{3, 300, QStringLiteral("OP7"), QStringLiteral("pw9")};
    const QByteArray bytes = encodeOpCommand(command, port);
    QCOMPARE(bytes, QByteArray::fromHex("00000032"
                                        "ffffffff"
                                        "00001234"
                                        "0000d6de"
                                        "00000022"
                                        "00000003"
                                        "0000012c"
                                        "4f5037" "00000000000000000000"
                                        "707739" "00000000000000000000"));

    OpCommandBody back;
    QVERIFY(decodeOpCommand(bytes.mid(20), back).ok());
    QCOMPARE(back.subcode, 3);
    QCOMPARE(back.extension, 300);
    QCOMPARE(back.op, QStringLiteral("OP7"));
    QCOMPARE(back.password, QStringLiteral("pw9"));
    QVERIFY(!decodeOpCommand(bytes.mid(20, 33), back).ok());
    qint32 extension = 0;
    QVERIFY(decodeOpExtension(encodeOpExtension(205, port).mid(20), extension).ok());
    QCOMPARE(extension, 205);
    QVERIFY(!decodeOpExtension(QByteArray(3, '\0'), extension).ok());

    // The simulator's server reads them the same way: tst_operatorserver.
}

void TestTelephonyFormat::operatorCommandTextsAreCut()
{
    const OpCommandBody command{9, 101, QStringLiteral("ABCDEFGHIJKLMNOPQ"), QStringLiteral("12345678901234")};
    const QByteArray bytes = encodeOpCommand(command, 1);
    QCOMPARE(bytes.size(), 54);
    QCOMPARE(bytes.mid(28, 13), QByteArray("ABCDEFGHIJKLM"));
    QCOMPARE(bytes.mid(41, 13), QByteArray("1234567890123"));


    // An empty password is thirteen NULs.
    const QByteArray empty = encodeOpCommand({1, 101, QStringLiteral("5"), QString()}, 1);
    QCOMPARE(empty.mid(41), QByteArray(13, '\0'));
}

void TestTelephonyFormat::simulatorTakesWholeCommandsOnly()
{
    // The simulator's server reads with the link's reader and rules.
    const QByteArray pair = encodeOpExtension(205, 1) + encodeOpCommand({1, 205, QStringLiteral("OP"), QString()}, 1);
    wire::FramedReader reader({kFraming}, QStringLiteral("OprSrv"));
    simbytes::Command c;
    QList<int> codes;
    qsizetype fed = 0;
    QList<qsizetype> takenAt;
    QObject::connect(&reader, &wire::FramedReader::packetReady, [&](const QByteArray &framed) {
        QVERIFY(simbytes::decodeCommand(framed, c));
        codes.append(c.code);
        takenAt.append(fed);
    });

    // Byte by byte: each packet taken on its last byte, not before.
    for (fed = 1; fed <= pair.size(); ++fed)
        reader.feed(pair.mid(fed - 1, 1));
    QCOMPARE(codes, (QList<int>{55007, 55006}));
    QCOMPARE(takenAt, (QList<qsizetype>{24, 24 + 54}));
    QCOMPARE(reader.held(), 0);
    QCOMPARE(c.op, QStringLiteral("OP"));

    // A length out of range throws away what is held.
    for (qint32 length : {15, 3101, -1}) {
        codes.clear();
        reader.feed(be32(length) + QByteArray(16, '\0') + pair);
        QVERIFY2(codes.isEmpty() && reader.held() == 0, qPrintable(QString::number(length)));
    }

    // A 55006 too short for its fields is taken, its fields left empty.
    QByteArray shortCommand = pair.mid(24, 20 + 8);
    patchBe(shortCommand, kTotlenAt, 16 + 8);
    patchBe(shortCommand, kLenAt, 8);
    reader.feed(shortCommand);
    QCOMPARE(codes, QList<int>{55006});
    QCOMPARE(c.subcode, 0);
    QCOMPARE(c.extension, 0);
}

void TestTelephonyFormat::operatorReplySkipsTheHeaderExtensionOf56002And56003Only()
{
    const auto header = [](qint32 code, qint32 bodySize) { return be32(16 + bodySize) + be32(-1) + be32(20600) + be32(code) + be32(16 + bodySize); };
    const QByteArray extension(16, 'h');
    OperatorReply r;

    for (qint32 code : {56002, 56003}) {
        QVERIFY(decodeOperatorReply(header(code, 16 + 5) + extension + "testo", r).ok());
        QCOMPARE(r.header.code, code);
        QCOMPARE(r.body, QByteArray("testo"));
        // Shorter than its header extension.
        QVERIFY2(!decodeOperatorReply(header(code, 10) + QByteArray(10, 'h'), r).ok(), qPrintable(QString::number(code)));
    }
    for (qint32 code : {56001, 56004, 56005, 56007, 56099}) {
        const QByteArray body = be32(7) + be32(9) + extension;
        QVERIFY(decodeOperatorReply(header(code, body.size()) + body, r).ok());
        QCOMPARE(r.header.code, code);
        QCOMPARE(r.body, body);
    }
    const QByteArray message = encodeOperatorMessage(QStringLiteral("ciao"));
    QCOMPARE(message.size(), 20 + 16 + 4);
    QCOMPARE(message.mid(20, 16), QByteArray(16, '\0'));
    QVERIFY(decodeOperatorReply(message, r).ok());
    QCOMPARE(r.header, (packet::Header{36, -1, 9992, ReplyMessage, 36}));
    QCOMPARE(r.body, QByteArray("ciao"));
    QVERIFY(!decodeOperatorReply(QByteArray(19, '\0'), r).ok());

    // The bodies that are logged: whole fields, or "too short", never zeros.
    ReplyPair pair;
    QVERIFY(decodeReplyPair(be32(7) + be32(-9), pair).ok());
    QCOMPARE(pair.first, 7);
    QCOMPARE(pair.second, -9);
    QList<qint32> values;
    QVERIFY(decodeReplyList(be32(3) + be32(101), values).ok());
    QCOMPARE(values, (QList<qint32>{3, 101}));
    QVERIFY(decodeReplyList({}, values).ok() && values.isEmpty());
    for (int size : {0, 4, 7})
        QVERIFY2(!decodeReplyPair(QByteArray(size, '\1'), pair).ok(), qPrintable(QString::number(size)));
    for (int size : {1, 6})
        QVERIFY2(!decodeReplyList(QByteArray(size, '\1'), values).ok(), qPrintable(QString::number(size)));
    QCOMPARE(replyText(QByteArray("  testo\0\0", 9)), QStringLiteral("testo"));
}

QTEST_GUILESS_MAIN(TestTelephonyFormat)
#include "tst_telephonyformat.moc"
