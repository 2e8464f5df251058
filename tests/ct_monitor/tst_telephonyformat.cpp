// The telephony server's wire format: monitor packets as written here byte
// by byte, decoded and encoded again by the owner, and the operator
// commands and replies.
#include <QtTest>

#include "../support/Bytes.h"

#include <limits>

#include "ct_monitor/TelephonyFormat.h"
#include "telephony_sim/SimBytes.h"

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

// Header big-endian, TestaMonitor little-endian; values whose bytes differ
// when swapped.
QByteArray monitorHead(qint32 totlen, qint32 subcode)
{
    return be32(totlen) + be32(-1) + be32(9992) + be32(Monitor) + be32(totlen) + le32(subcode) + le32(0x11111111) + le32(-8)
        + le32(0x33333333) + le32(1);
}

// RecInterno as the format describes it, NUL wherever no field is.
QByteArray extensionBytes()
{
    QByteArray slots(2 * ExtensionRecord::GroupSlots, '\0'); // a slot's group is its second byte
    slots[1] = 3;
    slots[3] = 5;
    slots[71] = char(255);
    return QByteArray(4, '\0') + le32(300) + QByteArray(4, '\0') + padded("1001", 13) + padded("Mario Rossi", 33)
        + padded("LOGGED_IN", 23) + padded("FREE", 23) + padded("IN USE", 23) + padded("ACD", 36) + padded("300", 22) + slots
        + QByteArray(145, '\0') + QByteArray("09:05:00") + QByteArray(2, '\0');
}

// RecGruppo likewise.
QByteArray groupBytes()
{
    return le32(258) + QByteArray(8, '\0') + le32(0x01020304) + QByteArray(16, '\0') + padded("Vendite Nord", 16)
        + QByteArray(1, '\0') + le32(513) + le32(65536 + 2) + le32(-2);
}

// A record in one line, to compare whole.
QString fields(const ExtensionRecord &r)
{
    QStringList slots;
    for (int g : r.groups)
        slots << QString::number(g);
    return QStringList{QString::number(r.number), r.agent,       r.description, r.logState,        r.actionState,
                       r.lineState,               r.acdState,    r.numberText,  slots.join(u','), r.loginTime}
        .join(u'|');
}

QString fields(const GroupRecord &g)
{
    return QStringList{QString::number(g.number), QString::number(g.third), g.name, QString::number(g.logged),
                       QString::number(g.free), QString::number(g.further)}
        .join(u'|');
}

} // namespace

class TestTelephonyFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extensionRecordBytes();
    void groupRecordBytes();
    void timeAndUnknownCodeBytes();
    void recordWalkFollowsLenAndTheBytesFramed_data();
    void recordWalkFollowsLenAndTheBytesFramed();
    void unknownSubcodeAndTruncatedPacketsAreRefused();
    void pacchettoBuonoKnowsTheServersLengths();
    void operatorCommandBytes();
    void operatorReplySkipsTheHeaderExtensionOf56002And56003Only();
};

void TestTelephonyFormat::extensionRecordBytes()
{
    const QByteArray bytes = monitorHead(448, ExtensionChange) + extensionBytes();
    const QString want = QStringLiteral("300|1001|Mario Rossi|LOGGED_IN|FREE|IN USE|ACD|300|3,5,") + QStringLiteral("0,").repeated(33)
        + QStringLiteral("255|09:05:00");
    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{448, -1, 9992, Monitor, 448}));
    QCOMPARE(p.sub.subcode, qint32(ExtensionChange));
    QCOMPARE(p.sub.words[0], 0x11111111);
    QCOMPARE(p.sub.words[1], -8);
    QCOMPARE(p.sub.words[2], 0x33333333);
    QCOMPARE(p.sub.count, 1);
    QCOMPARE(p.extensions.size(), 1);
    QCOMPARE(fields(p.extensions[0]), want);
    QCOMPARE(encodeExtensions(p.sub, p.extensions), bytes);

    // Bytes where no field is, texts padded with blanks or holding a NUL,
    // a slot's first byte: read all the same.
    const int at = kFirstRecordAt;
    QByteArray dirty = bytes;
    dirty.replace(at + ExtensionRecord::Spare0, 4, le32(-1));
    dirty.replace(at + ExtensionRecord::Spare8, 4, le32(-1));
    dirty.replace(at + ExtensionRecord::Spare257, 145, QByteArray(145, 'z'));
    dirty.replace(at + ExtensionRecord::Spare410, 2, "zz");
    dirty.replace(at + ExtensionRecord::Agent, 13, padded(" 1001", 13, ' '));
    dirty.replace(at + ExtensionRecord::Description, 33, padded(QByteArray("Mario\0Rossi ", 12), 33));
    dirty.replace(at + ExtensionRecord::LogState, 23, padded("LOGGED_IN", 23, ' '));
    dirty[at + ExtensionRecord::Groups + 4] = 9;
    QVERIFY(decodeMonitor(dirty, p).ok());
    QCOMPARE(fields(p.extensions[0]), want);

    // Texts cut to their width, slots past 36 dropped, nothing written
    // beyond a field.
    ExtensionRecord wide = p.extensions[0];
    wide.agent = QStringLiteral("ABCDEFGHIJKLMNOP");
    wide.description = QString(40, u'd');
    wide.loginTime = QStringLiteral("09:05:00.5");
    wide.groups.append(7);
    QByteArray cut = bytes;
    cut.replace(at + ExtensionRecord::Agent, 13, "ABCDEFGHIJKLM");
    cut.replace(at + ExtensionRecord::Description, 33, QByteArray(33, 'd'));
    QCOMPARE(encodeExtensions(p.sub, {wide}), cut);
}

void TestTelephonyFormat::groupRecordBytes()
{
    const QByteArray bytes = monitorHead(97, GroupChange) + groupBytes();
    const QString want = QStringLiteral("258|16909060|Vendite Nord|513|65538|-2");
    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{97, -1, 9992, Monitor, 97}));
    QVERIFY(p.extensions.isEmpty());
    QCOMPARE(p.groups.size(), 1);
    QCOMPARE(fields(p.groups[0]), want);
    QCOMPARE(encodeGroups(p.sub, p.groups), bytes);

    // Bytes where no field is, the name padded with blanks: read the same.
    const int at = kFirstRecordAt;
    QByteArray dirty = bytes;
    dirty.replace(at + 4, 8, QByteArray(8, '\x7f'));
    dirty.replace(at + 16, 16, QByteArray(16, '\x7f'));
    dirty.replace(at + GroupRecord::Name, 16, padded("  Vendite Nord", 16, ' '));
    dirty[at + 48] = '\x7f';
    QVERIFY(decodeMonitor(dirty, p).ok());
    QCOMPARE(fields(p.groups[0]), want);

    // Groups are walked in 61-byte steps.
    QByteArray two = bytes + groupBytes();
    patchBe(two, kTotlenAt, 97 + 61);
    patchBe(two, kLenAt, 36 + 61 + 60);
    QVERIFY(decodeMonitor(two, p).ok());
    QCOMPARE(p.groups.size(), 1);
    QCOMPARE(p.leftOver, 60);

    // A name cut to its 16 bytes.
    GroupRecord wide = p.groups[0];
    wide.name = QStringLiteral("ABCDEFGHIJKLMNOPQ");
    QByteArray cut = bytes;
    cut.replace(at + GroupRecord::Name, 16, "ABCDEFGHIJKLMNOP");
    QCOMPARE(encodeGroups(p.sub, {wide}), cut);
}

void TestTelephonyFormat::timeAndUnknownCodeBytes()
{
    // RecOra: eight characters, then six unsigned bytes.
    const QByteArray six = QByteArray::fromHex("0a14ff800001");
    const QByteArray bytes = be32(30) + be32(-1) + be32(9992) + be32(Time) + be32(30) + QByteArray("08:30:15") + six;
    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes, p).ok());
    QCOMPARE(p.header, (packet::Header{30, -1, 9992, Time, 30}));
    QCOMPARE(p.time.time, QStringLiteral("08:30:15"));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(p.time.bytes), 6), six);
    QCOMPARE(encodeTime(p.time), bytes);

    // A short time is NUL padded; a long one cut.
    p.time.time = QStringLiteral("9:05");
    QCOMPARE(encodeTime(p.time).mid(20), padded("9:05", 8) + six);
    p.time.time = QStringLiteral("12:34:56.789");
    QCOMPARE(encodeTime(p.time).mid(20), QByteArray("12:34:56") + six);

    // An unknown code: the header only is decoded, whatever the body.
    QVERIFY(decodeMonitor(encodeUnknown(25999, TimeRecord::Size), p).ok());
    QCOMPARE(p.header, (packet::Header{30, -1, 9992, 25999, 30}));
    QVERIFY(p.extensions.isEmpty() && p.groups.isEmpty());
    QCOMPARE(encodeUnknown(25999, 0).size(), 20);
}

void TestTelephonyFormat::recordWalkFollowsLenAndTheBytesFramed_data()
{
    QTest::addColumn<qint32>("len");
    QTest::addColumn<int>("cut"); // bytes cut off the end of the framed packet
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("leftOver");
    QTest::newRow("as sent") << 36 + 3 * 412 << 0 << 3 << 0;
    // Len announcing fewer bytes than framed: only what it announces.
    QTest::newRow("two records") << 36 + 2 * 412 << 0 << 2 << 0;
    QTest::newRow("one record and 5 bytes") << 36 + 412 + 5 << 0 << 1 << 5;
    // Len announcing more than framed: never past the packet's bytes.
    QTest::newRow("beyond the packet") << 3000 << 0 << 3 << 0;
    QTest::newRow("beyond, a byte short") << 3000 << 1 << 2 << 411;
    // Len below the header count, or negative: no records.
    QTest::newRow("zero") << 0 << 0 << 0 << 0;
    QTest::newRow("below the header") << 35 << 0 << 0 << 0;
    QTest::newRow("negative") << -1 << 0 << 0 << 0;
    QTest::newRow("lowest") << std::numeric_limits<qint32>::min() << 0 << 0 << 0;
}

void TestTelephonyFormat::recordWalkFollowsLenAndTheBytesFramed()
{
    QFETCH(qint32, len);
    QFETCH(int, cut);
    QFETCH(int, records);
    QFETCH(int, leftOver);
    QByteArray bytes = simbytes::extensions(ExtensionChange, {extension(101), extension(102), extension(103)});
    bytes.replace(kFirstRecordAt - 4, 4, le32(1)); // the record count of TestaMonitor does not drive the walk
    patchBe(bytes, kLenAt, len);
    MonitorPacket p;
    QVERIFY(decodeMonitor(bytes.left(bytes.size() - cut), p).ok());
    QCOMPARE(p.extensions.size(), records);
    QCOMPARE(p.leftOver, leftOver);
    for (int i = 0; i < records; ++i)
        QCOMPARE(p.extensions[i].number, 101 + i);
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

    // Texts cut to 13 bytes; an empty password is thirteen NULs.
    const QByteArray cut = encodeOpCommand({9, 101, QStringLiteral("ABCDEFGHIJKLMNOPQ"), QStringLiteral("12345678901234")}, 1);
    QCOMPARE(cut.mid(20 + 8), QByteArray("ABCDEFGHIJKLM1234567890123"));
    QCOMPARE(encodeOpCommand({1, 101, QStringLiteral("5"), QString()}, 1).mid(41), QByteArray(13, '\0'));

    // The simulator's server takes a 55006 too short for its fields, its
    // fields left empty (whole commands: tst_monitor_loopback).
    QByteArray shortCommand = bytes.left(20 + 8);
    patchBe(shortCommand, kTotlenAt, 16 + 8);
    patchBe(shortCommand, kLenAt, 8);
    simbytes::Command c;
    QVERIFY(simbytes::decodeCommand(shortCommand, c));
    QCOMPARE(c.code, 55006);
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
