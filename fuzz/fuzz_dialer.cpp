// The dialer link's input: the framer over a stream, the packet decoder and
// every body codec. The first byte chooses which; the rest is the input.
// Decoded bodies are encoded again and must give back what was read.
#include "FuzzFraming.h"

#include "core/TextFormats.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"
#include "dialer_link/PacketFormat.h"

namespace {

constexpr const char *kTarget = "fuzz_dialer";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

// A whole framed packet: decoded, it encodes back to the bytes it came from
// (the ANSI texts survive the round trip byte for byte).
void checkPacket(const QByteArray &framed)
{
    packet::Packet p;
    if (!packet::decodePacket(framed, p).ok())
        return;
    expect(p.body.size() <= std::max<qsizetype>(0, framed.size() - packet::kPrefixSize), QStringLiteral("body beyond the packet"));
    const bool headerOnly = p.header.totlen <= packet::kHeaderOnlyTotlen && p.header.len == 0;
    QByteArray again = packet::encodeHeader(p.header);
    if (!headerOnly)
        again += packet::encodeRecordId(p.record) + p.body;
    expect(framed.startsWith(again), QStringLiteral("packet does not encode back to its bytes"));
}

void stream(const QByteArray &input)
{
    fuzz::frameBothWays(kTarget, {1, packet::kMaxPacketLength}, input, 64, checkPacket);
}

template <typename T>
void exactRoundTrip(const QByteArray &body, qsizetype (*size)(const T &))
{
    T decoded;
    if (!dialerbody::decode(body, decoded).ok())
        return;
    const QByteArray again = dialerbody::encode(decoded);
    expect(again.size() == size(decoded) && body.startsWith(again), QStringLiteral("body does not encode back"));
}

bool sameRecord(const dialerbody::CustomerRecord &a, const dialerbody::CustomerRecord &b)
{
    return a.group == b.group && a.kind == b.kind && a.totAbbattuto == b.totAbbattuto && a.position == b.position
        && a.tipoMandato == b.tipoMandato && a.callList == b.callList && a.contatore == b.contatore
        && a.phone == b.phone && a.info == b.info && a.recall == b.recall && a.lastOutcome == b.lastOutcome;
}

void customerList(const QByteArray &body, bool byOperator)
{
    using dialerbody::CustomerRecord;
    dialerbody::CustomerList list;
    if (!dialerbody::decode(body, byOperator, list).ok())
        return;
    const qsizetype expected = (byOperator ? 20 : 0) + 4 + qsizetype(CustomerRecord::Size) * list.records.size();
    expect(expected <= body.size(), QStringLiteral("more records than bytes"));
    const QByteArray again = dialerbody::encode(list);
    expect(again.size() == expected, QStringLiteral("customer list encodes to another size"));
    dialerbody::CustomerList back;
    expect(dialerbody::decode(again, byOperator, back).ok() && back.op == list.op
               && back.records.size() == list.records.size(),
           QStringLiteral("customer list does not decode back"));
    for (qsizetype i = 0; i < list.records.size(); ++i) {
        const CustomerRecord &r = list.records[i];
        expect(r.tipoMandato.size() == CustomerRecord::TextWidth && r.info.size() == CustomerRecord::InfoWidth
                   && r.recall.size() == CustomerRecord::RecallWidth,
               QStringLiteral("record texts not full width"));
        expect(sameRecord(r, back.records[i]), QStringLiteral("customer record does not decode back"));
    }
}

template <typename T>
void operatorBody(const QByteArray &body)
{
    T decoded;
    if (!dialerbody::decode(body, decoded).ok())
        return;
    expect(decoded.op.size() <= 20 && !decoded.op.startsWith(QLatin1Char(' ')) && !decoded.op.endsWith(QLatin1Char(' '))
               && !decoded.op.contains(QChar(u'\0')),
           QStringLiteral("operator code not cleaned"));
    T back;
    expect(dialerbody::decode(dialerbody::encode(decoded), back).ok() && back.op == decoded.op,
           QStringLiteral("operator code does not decode back"));
}

void outcome(const QByteArray &body)
{
    OutcomeRecord r;
    if (!OutcomeRecord::decode(body, r).ok()) {
        expect(body.size() < OutcomeRecord::Size, QStringLiteral("whole outcome refused"));
        return;
    }
    const QByteArray again = r.encode();
    OutcomeRecord back;
    expect(again.size() == OutcomeRecord::Size && OutcomeRecord::decode(again, back).ok(),
           QStringLiteral("outcome does not encode"));
    expect(back.timeCall == r.timeCall && back.code == r.code && back.spare8 == r.spare8 && back.operatore == r.operatore
               && back.campagna == r.campagna && back.calllist == r.calllist && back.customerId == r.customerId
               && back.progressive == r.progressive && back.az == r.az && back.spare112 == r.spare112,
           QStringLiteral("outcome does not decode back"));
    expect(!r.trimmedId().contains(QChar(u'\0')), QStringLiteral("NUL left in the customer id"));
    textformats::leadingInteger(r.trimmedId()); // the id's number must convert without overflow
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input = fuzz::bytes(data + 1, size - 1);
    switch (data[0] % 9) {
    case 0:
        stream(input);
        break;
    case 1:
        exactRoundTrip<dialerbody::CustomersRequest>(
            input, [](const dialerbody::CustomersRequest &r) { return 4 + 8 * r.pairs.size(); });
        break;
    case 2:
        operatorBody<dialerbody::OperatorRequest>(input);
        break;
    case 3:
        exactRoundTrip<dialerbody::GroupRelease>(input, [](const dialerbody::GroupRelease &) { return qsizetype(4); });
        break;
    case 4:
        operatorBody<dialerbody::OperatorRelease>(input);
        break;
    case 5:
        customerList(input, false);
        break;
    case 6:
        customerList(input, true);
        break;
    case 7:
        exactRoundTrip<dialerbody::GroupList>(input, [](const dialerbody::GroupList &l) { return 4 + 4 * l.groups.size(); });
        break;
    default:
        outcome(input);
        break;
    }
    return 0;
}
