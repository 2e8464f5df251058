#include "campaign/OutcomeRecord.h"

#include "core/TextFormats.h"
#include "dialer_link/FixedText.h"
#include "dialer_link/PacketFormat.h"

OutcomeRecord OutcomeRecord::decode(const QByteArray &body)
{
    using packet::readInt32Le;
    const auto text = [&](int offset, int width) { return fixedtext::pulisciStringa(body.mid(offset, width)); };
    OutcomeRecord r;
    r.timeCall = readInt32Le(body, 0);
    r.code = readInt32Le(body, 4);
    r.spare8 = readInt32Le(body, 8);
    r.operatore = text(12, 20);
    r.campagna = text(32, 20);
    r.calllist = text(52, 20);
    r.customerId = fixedtext::daArrayAchar(body.mid(72, 30), 30);
    r.progressive = readInt32Le(body, 104);
    r.az = readInt32Le(body, 108);
    r.spare112 = readInt32Le(body, 112);
    return r;
}

QByteArray OutcomeRecord::encode() const
{
    using fixedtext::completaStringa;
    QByteArray out;
    packet::appendInt32Le(out, timeCall);
    packet::appendInt32Le(out, code);
    packet::appendInt32Le(out, spare8);
    out += completaStringa(operatore, 20) + completaStringa(campagna, 20) + completaStringa(calllist, 20);
    out += completaStringa(customerId, 30) + QByteArray(2, '\0');
    packet::appendInt32Le(out, progressive);
    packet::appendInt32Le(out, az);
    packet::appendInt32Le(out, spare112);
    out += QByteArray(20, '\0');
    return out;
}

QString OutcomeRecord::cleanedId() const
{
    return fixedtext::pulisciStringa(customerId);
}

qint64 OutcomeRecord::numericId() const
{
    return textformats::leadingInteger(trimmedId());
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
