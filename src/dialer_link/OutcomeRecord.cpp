#include "dialer_link/OutcomeRecord.h"

#include "dialer_link/PacketFormat.h"
#include "wire/FixedText.h"

wire::Status OutcomeRecord::decode(const QByteArray &body, OutcomeRecord &out)
{
    using packet::readInt32Le;
    if (body.size() < Size)
        return wire::Status::tooShort(QStringLiteral("Esito"), body.size(), Size);
    const auto text = [&](int offset) { return fixedtext::pulisciStringa(body.mid(offset, TextWidth)); };
    OutcomeRecord r;
    r.timeCall = readInt32Le(body, TimeCall);
    r.code = readInt32Le(body, Code);
    r.spare8 = readInt32Le(body, Spare8);
    r.operatore = text(Operator);
    r.campagna = text(Campaign);
    r.calllist = text(CallList);
    r.customerId = fixedtext::daArrayAchar(body.mid(CustomerId, CustomerIdWidth), CustomerIdWidth);
    r.progressive = readInt32Le(body, Progressive);
    r.az = readInt32Le(body, Az);
    r.spare112 = readInt32Le(body, Spare112);
    out = r;
    return {};
}

QByteArray OutcomeRecord::encode() const
{
    using fixedtext::completaStringa;
    QByteArray out;
    packet::appendInt32Le(out, timeCall);
    packet::appendInt32Le(out, code);
    packet::appendInt32Le(out, spare8);
    out += completaStringa(operatore, TextWidth) + completaStringa(campagna, TextWidth) + completaStringa(calllist, TextWidth);
    out += completaStringa(customerId, CustomerIdWidth) + QByteArray(Progressive - Padding, '\0');
    packet::appendInt32Le(out, progressive);
    packet::appendInt32Le(out, az);
    packet::appendInt32Le(out, spare112);
    out += QByteArray(Size - Spare116, '\0');
    Q_ASSERT(out.size() == Size);
    return out;
}

QString OutcomeRecord::cleanedId() const
{
    return fixedtext::pulisciStringa(customerId);
}

QString OutcomeRecord::trimmedId() const
{
    QString t = customerId;
    t.remove(QChar(u'\0')); // NULs never reach a statement
    return t.trimmed();
}

OutcomeRecord OutcomeRecord::test(const QDateTime &now, std::mt19937 &random)
{
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    OutcomeRecord r;
    r.timeCall = now.toString(QStringLiteral("ddMMHHmm")).toInt();
    r.code = pick(0, 9);
    r.spare8 = pick(0, 1);
    r.operatore = QStringLiteral("pippo");
    r.campagna = QStringLiteral("campagna");
    r.calllist = QStringLiteral("calllist");
    r.customerId = QString::number(pick(0, 99999));
    r.progressive = 2145;
    r.az = pick(0, 3);
    r.spare112 = pick(0, 9);
    return r;
}
