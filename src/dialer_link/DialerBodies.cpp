#include "dialer_link/DialerBodies.h"

#include "dialer_link/PacketFormat.h"
#include "wire/AnsiCodec.h"
#include "wire/FixedText.h"

using fixedtext::completaStringa;
using packet::readInt32Le;

namespace dialerbody {
namespace {

constexpr int kOperatorWidth = 20;

QString raw(const QByteArray &bytes, qsizetype at, int width)
{
    return fixedtext::daArrayAchar(bytes.mid(at, width), width);
}

// A count read from the wire: never negative, and its items must be there.
wire::Status countedItems(const QByteArray &body, qsizetype countAt, qsizetype itemSize, const QString &what,
                          qint32 &count)
{
    if (body.size() < countAt + 4)
        return wire::Status::tooShort(what, body.size(), countAt + 4);
    count = readInt32Le(body, countAt);
    if (count < 0)
        return wire::Status::refused(what + QStringLiteral(": conteggio negativo ") + QString::number(count));
    // Divided, not multiplied: a huge count must not wrap round.
    if ((body.size() - countAt - 4) / itemSize < count)
        return wire::Status::tooShort(what, body.size(), countAt + 4 + itemSize * qint64(count));
    return {};
}

} // namespace

QByteArray encode(const CustomersRequest &r)
{
    QByteArray b;
    packet::appendInt32Le(b, static_cast<qint32>(r.pairs.size()));
    for (const auto &p : r.pairs) {
        packet::appendInt32Le(b, p.group);
        packet::appendInt32Le(b, p.quantity);
    }
    return b;
}

wire::Status decode(const QByteArray &body, CustomersRequest &out)
{
    qint32 count = 0;
    if (wire::Status s = countedItems(body, 0, 8, QStringLiteral("Richiesta clienti x gruppi"), count); !s.ok())
        return s;
    out.pairs.clear();
    for (qint32 i = 0; i < count; ++i)
        out.pairs.append({readInt32Le(body, 4 + 8 * qsizetype(i)), readInt32Le(body, 8 + 8 * qsizetype(i))});
    return {};
}

QByteArray encode(const OperatorRequest &r)
{
    QByteArray b;
    packet::appendInt32Le(b, r.group);
    packet::appendInt32Le(b, r.quantity);
    b += completaStringa(r.op, kOperatorWidth);
    return b;
}

wire::Status decode(const QByteArray &body, OperatorRequest &out)
{
    if (body.size() < OperatorRequest::Size)
        return wire::Status::tooShort(QStringLiteral("PDOUTOP_QUERY_OP"), body.size(), OperatorRequest::Size);
    out.group = readInt32Le(body, OperatorRequest::Group);
    out.quantity = readInt32Le(body, OperatorRequest::Quantity);
    out.op = fixedtext::pulisciStringa(body.mid(OperatorRequest::Operator, kOperatorWidth));
    return {};
}

QByteArray encode(const GroupRelease &r)
{
    QByteArray b;
    packet::appendInt32Le(b, r.group);
    return b;
}

wire::Status decode(const QByteArray &body, GroupRelease &out)
{
    if (body.size() < GroupRelease::Size)
        return wire::Status::tooShort(QStringLiteral("PDOUTDB_FREEQUEUE"), body.size(), GroupRelease::Size);
    out.group = readInt32Le(body, GroupRelease::Group);
    return {};
}

QByteArray encode(const OperatorRelease &r)
{
    QByteArray b;
    packet::appendInt32Le(b, r.spare);
    b += completaStringa(r.op, kOperatorWidth);
    return b;
}

wire::Status decode(const QByteArray &body, OperatorRelease &out)
{
    if (body.size() < OperatorRelease::Size)
        return wire::Status::tooShort(QStringLiteral("PDOUTOP_FREEQUEUE_OP"), body.size(), OperatorRelease::Size);
    out.spare = readInt32Le(body, OperatorRelease::Spare);
    out.op = fixedtext::pulisciStringa(body.mid(OperatorRelease::Operator, kOperatorWidth));
    return {};
}

QByteArray encode(const CustomerRecord &r)
{
    using R = CustomerRecord;
    QByteArray out;
    out.reserve(R::Size);
    packet::appendInt32Le(out, r.group);
    packet::appendInt32Le(out, r.kind);
    packet::appendInt32Le(out, r.totAbbattuto);
    packet::appendInt32Le(out, r.position);
    out += completaStringa(r.tipoMandato, R::TextWidth);
    out += completaStringa(r.callList, R::TextWidth);
    out += completaStringa(r.contatore, R::ContatoreWidth);
    out += completaStringa(r.phone, R::TextWidth);
    out += completaStringa(r.info, R::InfoWidth);
    out += QByteArray(R::Recall - R::Padding, '\0');
    out += r.recall.left(R::RecallWidth).leftJustified(R::RecallWidth, '\0');
    packet::appendInt32Le(out, r.lastOutcome);
    Q_ASSERT(out.size() == R::Size);
    return out;
}

CustomerRecord decodeRecordAt(const QByteArray &bytes, qsizetype at)
{
    using R = CustomerRecord;
    Q_ASSERT(at >= 0 && at + R::Size <= bytes.size());
    CustomerRecord r;
    r.group = readInt32Le(bytes, at + R::Group);
    r.kind = readInt32Le(bytes, at + R::Kind);
    r.totAbbattuto = readInt32Le(bytes, at + R::TotAbbattuto);
    r.position = readInt32Le(bytes, at + R::Position);
    r.tipoMandato = raw(bytes, at + R::TipoMandato, R::TextWidth);
    r.callList = raw(bytes, at + R::CallList, R::TextWidth);
    r.contatore = raw(bytes, at + R::Contatore, R::ContatoreWidth);
    r.phone = raw(bytes, at + R::Phone, R::TextWidth);
    r.info = raw(bytes, at + R::Info, R::InfoWidth);
    r.recall = bytes.mid(at + R::Recall, R::RecallWidth);
    r.lastOutcome = readInt32Le(bytes, at + R::LastOutcome);
    return r;
}

QByteArray encode(const CustomerList &list)
{
    QByteArray b;
    if (list.byOperator)
        b += completaStringa(list.op, kOperatorWidth);
    packet::appendInt32Le(b, static_cast<qint32>(list.records.size()));
    for (const CustomerRecord &r : list.records)
        b += encode(r);
    return b;
}

wire::Status decode(const QByteArray &body, bool byOperator, CustomerList &out)
{
    const int start = byOperator ? kOperatorWidth : 0;
    qint32 count = 0;
    if (wire::Status s = countedItems(body, start, CustomerRecord::Size, QStringLiteral("Elenco clienti"), count); !s.ok())
        return s;
    out.byOperator = byOperator;
    out.op = byOperator ? raw(body, 0, kOperatorWidth) : QString();
    out.records.clear();
    for (qint32 i = 0; i < count; ++i)
        out.records.append(decodeRecordAt(body, start + 4 + qsizetype(CustomerRecord::Size) * i));
    return {};
}

QByteArray encode(const GroupList &list)
{
    QByteArray b;
    packet::appendInt32Le(b, static_cast<qint32>(list.groups.size()));
    for (qint32 g : list.groups)
        packet::appendInt32Le(b, g);
    return b;
}

wire::Status decode(const QByteArray &body, GroupList &out)
{
    qint32 count = 0;
    if (wire::Status s = countedItems(body, 0, 4, QStringLiteral("Pacchetto gruppi"), count); !s.ok())
        return s;
    out.groups.clear();
    for (qint32 i = 0; i < count; ++i)
        out.groups.append(readInt32Le(body, 4 + 4 * qsizetype(i)));
    return {};
}

QByteArray queryEnd()
{
    QByteArray b;
    packet::appendInt32Le(b, 0);
    return b;
}

} // namespace dialerbody
