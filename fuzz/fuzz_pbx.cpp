// The PBX line monitor's input: the framer over a stream with the line
// monitor's length bounds and the packet decoder. Decoded records and call
// messages are encoded again and must decode to the same values.
#include "FuzzFraming.h"

#include "pbx_lines/PbxFormat.h"

namespace {

constexpr const char *kTarget = "fuzz_pbx";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

bool sameLine(const pbx::LineRecord &a, const pbx::LineRecord &b)
{
    return a.number == b.number && a.first == b.first && a.state == b.state && a.second == b.second && a.mask == b.mask
        && a.name == b.name;
}

void checkPacket(const QByteArray &framed)
{
    using namespace pbx;
    Packet p;
    if (!decode(framed, p).ok())
        return;
    const qsizetype end = framed.size();
    if (p.header.code == Lines || p.header.code == LineOrExtension) {
        const bool lines = p.header.code == Lines;
        const int size = lines ? LineRecord::LinesSize : LineRecord::SingleSize;
        const qsizetype first = 20 + (lines ? 24 : 0);
        expect(p.leftOver >= 0 && p.leftOver < size && first + p.records.size() * size + p.leftOver == end,
               QStringLiteral("records do not fill the packet"));
        Packet back;
        const QByteArray again = lines ? encodeLines(p.records) : encodeSingle(p.records);
        expect(decode(again, back).ok() && back.records.size() == p.records.size() && back.leftOver == 0,
               QStringLiteral("lines do not decode back"));
        for (qsizetype i = 0; i < p.records.size(); ++i)
            expect(sameLine(p.records[i], back.records[i]), QStringLiteral("line does not decode back"));
        return;
    }
    if (p.header.code == CallMessage) {
        expect(p.call.text.size() <= end - 36, QStringLiteral("call text beyond the packet"));
        Packet back;
        expect(decode(encodeCall(p.call), back).ok() && back.call.text == p.call.text
                   && std::equal(std::begin(p.call.values), std::end(p.call.values), std::begin(back.call.values)),
               QStringLiteral("call message does not decode back"));
        const QString clean = cleanCallText(p.call.text);
        for (const QChar c : clean)
            expect(c.unicode() >= 32 && c.unicode() <= 127 && c != QLatin1Char('.'), QStringLiteral("unclean call text"));
        expect(clean == clean.trimmed(), QStringLiteral("call text not trimmed"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    checkPacket(input);
    fuzz::frameBothWays(kTarget, pbx::kFraming, input, 300, checkPacket);
    return 0;
}
