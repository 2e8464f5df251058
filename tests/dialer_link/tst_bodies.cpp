// Packet bodies of the dialer link: fields at their offsets, counts checked
// against the bytes present, and no decode of a body cut short.
#include <QtTest>

#include "../support/Bytes.h"

#include <QtEndian>

#include <limits>

#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"
#include "dialer_link/PacketFormat.h"

using namespace dialerbody;

namespace {

// A text as the record decoders keep it: full width, NULs included.
QString asReceived(const QString &text, int width)
{
    return text + QString(width - text.size(), QChar(u'\0'));
}

void put(QByteArray &bytes, int at, const QByteArray &field)
{
    bytes.replace(at, field.size(), field);
}

// The same for a body decoded by `decode(bytes, Body &)`.
template <typename Body>
bool refusesPrefixes(const QByteArray &full)
{
    return refusesPrefixes(full, [](const QByteArray &b) {
        Body out;
        return decode(b, out);
    });
}

CustomerRecord sampleRecord(int i)
{
    CustomerRecord r;
    r.group = 12;
    r.kind = 2;
    r.totAbbattuto = 345;
    r.position = i + 3;
    r.tipoMandato = QStringLiteral("CAMP=ESTATE");
    r.callList = QStringLiteral("06123456%1").arg(i, 2, 10, QLatin1Char('0'));
    r.contatore = QString::number(1000 + i);
    r.phone = r.callList;
    r.info = QStringLiteral("Rossi & Figli S.n.c. \u00e8");
    r.recall = i % 2 ? QByteArray("1430") : QByteArray();
    r.lastOutcome = -7;
    return r;
}

void compareRecord(const CustomerRecord &got, const CustomerRecord &sent)
{
    QCOMPARE(got.group, sent.group);
    QCOMPARE(got.kind, sent.kind);
    QCOMPARE(got.totAbbattuto, sent.totAbbattuto);
    QCOMPARE(got.position, sent.position);
    QCOMPARE(got.tipoMandato, asReceived(sent.tipoMandato, 20));
    QCOMPARE(got.callList, asReceived(sent.callList, 20));
    QCOMPARE(got.contatore, asReceived(sent.contatore, 30));
    QCOMPARE(got.phone, asReceived(sent.phone, 20));
    QCOMPARE(got.info, asReceived(sent.info, 180));
    QCOMPARE(got.recall, padded(sent.recall, 4));
    QCOMPARE(got.lastOutcome, sent.lastOutcome);
}

} // namespace

class TestBodies : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void customersRequestAndGroupList();
    void countsAreCheckedAgainstTheBytes();
    void operatorAndGroupReleasesAndQueryEnd();
    void customerRecordLayout();
    void customerListsRoundTrip();
    void outcomeRecordLayoutAndIds();
};

void TestBodies::customersRequestAndGroupList()
{
    CustomersRequest r;
    r.pairs = {{7, 5}, {12, 1}, {-3, 0}};
    const QByteArray bytes = encode(r);
    QCOMPARE(bytes, hex("03000000" "07000000" "05000000" "0C000000" "01000000" "FDFFFFFF" "00000000"));
    CustomersRequest back;
    QVERIFY(decode(bytes, back).ok());
    QVERIFY(back.pairs == r.pairs);

    QVERIFY(refusesPrefixes<CustomersRequest>(bytes));
    QVERIFY(decode(le32(0), back).ok());
    QVERIFY(back.pairs.isEmpty());

    const GroupList list{{101, 7, 65000}};
    const QByteArray groups = encode(list);
    QCOMPARE(groups, hex("03000000" "65000000" "07000000" "E8FD0000"));
    GroupList groupsBack;
    QVERIFY(decode(groups, groupsBack).ok());
    QCOMPARE(groupsBack.groups, list.groups);
    QVERIFY(refusesPrefixes<GroupList>(groups));
}

void TestBodies::countsAreCheckedAgainstTheBytes()
{
    const QByteArray pair = le32(1) + le32(2);
    const QByteArray record = encode(sampleRecord(0));
    const QByteArray op = padded("140", 20);
    CustomersRequest cr;
    GroupList gl;
    CustomerList cl;

    // Negative counts, with bytes enough behind them for any sign confusion.
    QVERIFY(!decode(le32(-1) + pair + pair, cr).ok());
    QVERIFY(!decode(le32(-1) + pair + pair, gl).ok());
    QVERIFY(!decode(le32(-1) + record, false, cl).ok());
    QVERIFY(!decode(op + le32(std::numeric_limits<qint32>::min()) + record, true, cl).ok());

    // More announced than present, up to a count whose size overflows 32 bits.
    for (qint32 count : {2, 3, std::numeric_limits<qint32>::max()}) {
        const wire::Status s1 = decode(le32(count) + pair, cr);
        const wire::Status s2 = decode(le32(count) + le32(9), gl);
        const wire::Status s3 = decode(le32(count) + record, false, cl);
        const wire::Status s4 = decode(op + le32(count) + record, true, cl);
        for (const wire::Status &s : {s1, s2, s3, s4})
            QVERIFY2(s.error.contains(QLatin1String("troppo corto")), qPrintable(QString::number(count) + s.error));
    }

    // Bytes beyond the announced count are ignored.
    QVERIFY(decode(le32(1) + pair + le32(3) + le32(4), cr).ok());
    QVERIFY(cr.pairs == (QList<CustomersRequest::Pair>{{1, 2}}));
    QVERIFY(decode(le32(2) + le32(8) + le32(9) + le32(10), gl).ok());
    QCOMPARE(gl.groups, (QList<qint32>{8, 9}));
    QVERIFY(decode(le32(1) + record + encode(sampleRecord(1)), false, cl).ok());
    QCOMPARE(cl.records.size(), 1);
    QCOMPARE(cl.records[0].position, 3);
}

void TestBodies::operatorAndGroupReleasesAndQueryEnd()
{
    OperatorRequest q;
    q.group = 12;
    q.quantity = 5;
    q.op = QStringLiteral("140");
    QCOMPARE(encode(q), hex("0C000000" "05000000") + padded("140", 20));
    OperatorRelease rel;
    rel.op = QStringLiteral("op 7");
    QCOMPARE(encode(rel), hex("00000000") + padded("op 7", 20));

    // The code comes back through PulisciStringa: blanks and NULs at the ends go.
    const QByteArray code = padded(QByteArray("  140\0\0", 7), 20);
    OperatorRequest q2;
    QVERIFY(decode(hex("0C000000" "05000000") + code + "extra", q2).ok());
    QCOMPARE(q2.group, 12);
    QCOMPARE(q2.quantity, 5);
    QCOMPARE(q2.op, QStringLiteral("140"));
    OperatorRelease rel2;
    QVERIFY(decode(hex("09000000") + code, rel2).ok());
    QCOMPARE(rel2.spare, 9);
    QCOMPARE(rel2.op, QStringLiteral("140"));

    // An operator code wider than its field is cut, the layout kept.
    q.op = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QCOMPARE(encode(q).size(), OperatorRequest::Size);
    QVERIFY(decode(encode(q), q2).ok());
    QCOMPARE(q2.op, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));

    QVERIFY(refusesPrefixes<OperatorRequest>(encode(q)));
    QVERIFY(refusesPrefixes<OperatorRelease>(encode(rel)));

    QCOMPARE(encode(GroupRelease{77}), hex("4D000000"));
    GroupRelease back;
    QVERIFY(decode(hex("B3FFFFFF"), back).ok());
    QCOMPARE(back.group, -77);
    QVERIFY(refusesPrefixes<GroupRelease>(hex("4D000000")));

    QCOMPARE(queryEnd(), hex("00000000"));
}

void TestBodies::customerRecordLayout()
{
    CustomerRecord r = sampleRecord(1);
    r.info = QStringLiteral("Rossi \u00e8 ") + QString(190, QLatin1Char('x')); // wider than its 180 bytes

    QByteArray expected(296, '\0');
    put(expected, 0, hex("0C000000" "02000000" "59010000" "04000000"));
    put(expected, 16, "CAMP=ESTATE");
    put(expected, 36, "0612345601");
    put(expected, 56, "1001");
    put(expected, 86, "0612345601");
    put(expected, 106, "Rossi \xE8 " + QByteArray(172, 'x'));
    put(expected, 288, "1430");
    put(expected, 292, hex("F9FFFFFF"));
    const QByteArray bytes = encode(r);
    QCOMPARE(bytes.size(), 296);
    QCOMPARE(bytes, expected);

    // Decoding at an offset inside a larger body reads the same fields.
    const CustomerRecord back = decodeRecordAt(QByteArray(7, 'J') + expected + "tail", 7);
    r.info = r.info.left(180);
    compareRecord(back, r);
}

void TestBodies::customerListsRoundTrip()
{
    CustomerList byGroup;
    byGroup.records = {sampleRecord(0), sampleRecord(1)};
    CustomerList byOperator = byGroup;
    byOperator.byOperator = true;
    byOperator.op = QStringLiteral("  140");

    const QByteArray groupBody = encode(byGroup);
    QCOMPARE(groupBody, le32(2) + encode(sampleRecord(0)) + encode(sampleRecord(1)));
    QCOMPARE(encode(byOperator), padded("  140", 20) + groupBody);

    for (const CustomerList *sent : {&byGroup, &byOperator}) {
        const QByteArray body = encode(*sent);
        CustomerList back;
        QVERIFY(decode(body, sent->byOperator, back).ok());
        QCOMPARE(back.byOperator, sent->byOperator);
        QCOMPARE(back.op, sent->byOperator ? asReceived(sent->op, 20) : QString());
        QCOMPARE(back.records.size(), 2);
        for (int i = 0; i < 2; ++i)
            compareRecord(back.records[i], sent->records[i]);

        QVERIFY(refusesPrefixes(body, [byOp = sent->byOperator](const QByteArray &b) {
            CustomerList out;
            return decode(b, byOp, out);
        }));
    }
}

void TestBodies::outcomeRecordLayoutAndIds()
{
    QByteArray wire(136, 'Y'); // spare bytes the decoder must not read
    put(wire, 0, le32(25121430));
    put(wire, 4, le32(3));
    put(wire, 8, le32(1));
    put(wire, 12, padded(" pippo", 20));
    put(wire, 32, padded("campagna \xF2", 20));
    put(wire, 52, QByteArray("  calllist\0\0  ", 14) + QByteArray(6, ' '));
    put(wire, 72, padded("00123abc", 30));
    put(wire, 104, le32(2145));
    put(wire, 108, le32(2));
    put(wire, 112, le32(9));

    OutcomeRecord r;
    QVERIFY(OutcomeRecord::decode(wire, r).ok());
    QCOMPARE(r.timeCall, 25121430);
    QCOMPARE(r.code, 3);
    QCOMPARE(r.spare8, 1);
    QCOMPARE(r.operatore, QStringLiteral("pippo"));
    QCOMPARE(r.campagna, QStringLiteral("campagna \u00f2"));
    QCOMPARE(r.calllist, QStringLiteral("calllist"));
    QCOMPARE(r.customerId, asReceived(QStringLiteral("00123abc"), 30));
    QCOMPARE(r.progressive, 2145);
    QCOMPARE(r.az, 2);
    QCOMPARE(r.spare112, 9);

    // Encoding zeroes the padding and the unused tail.
    QByteArray expected = wire;
    put(expected, 12, padded("pippo", 20));
    put(expected, 52, padded("calllist", 20));
    put(expected, 102, QByteArray(2, '\0'));
    put(expected, 116, QByteArray(20, '\0'));
    QCOMPARE(r.encode(), expected);

    QVERIFY(refusesPrefixes(wire, [](const QByteArray &b) {
        OutcomeRecord out;
        return OutcomeRecord::decode(b, out);
    }));

    // The customer id's two cleaned forms.
    QVERIFY(OutcomeRecord::decode(QByteArray(72, '\0') + padded("  00123abc", 30) + QByteArray(34, '\0'), r).ok());
    QCOMPARE(r.cleanedId(), QStringLiteral("00123abc"));
    QCOMPARE(r.trimmedId(), QStringLiteral("00123abc"));

    // A NUL inside the id: a blank in one form, gone in the other.
    r.customerId = asReceived(QString(QLatin1String("12\0" "34", 5)), 30);
    QCOMPARE(r.cleanedId(), QStringLiteral("12 34"));
    QCOMPARE(r.trimmedId(), QStringLiteral("1234"));

    r.customerId = asReceived({}, 30);
    QCOMPARE(r.cleanedId(), QString());
    QCOMPARE(r.trimmedId(), QString());
}

QTEST_GUILESS_MAIN(TestBodies)
#include "tst_bodies.moc"
