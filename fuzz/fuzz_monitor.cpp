// The monitor link's input: the framer over a stream with the telephony
// server's length bounds, and the monitor packet decoder. Decoded records
// are encoded again and must decode to the same records.
#include "FuzzFraming.h"

#include "ct_monitor/TelephonyFormat.h"

namespace {

constexpr const char *kTarget = "fuzz_monitor";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

bool sameExtension(const telephony::ExtensionRecord &a, const telephony::ExtensionRecord &b)
{
    return a.number == b.number && a.agent == b.agent && a.description == b.description && a.logState == b.logState
        && a.actionState == b.actionState && a.lineState == b.lineState && a.acdState == b.acdState
        && a.numberText == b.numberText && a.groups == b.groups && a.loginTime == b.loginTime;
}

bool sameGroup(const telephony::GroupRecord &a, const telephony::GroupRecord &b)
{
    return a.number == b.number && a.third == b.third && a.name == b.name && a.logged == b.logged && a.free == b.free
        && a.further == b.further;
}

void checkPacket(const QByteArray &framed)
{
    using namespace telephony;
    MonitorPacket p;
    if (!decodeMonitor(framed, p).ok())
        return;
    if (p.header.code == Time) {
        MonitorPacket back;
        expect(decodeMonitor(encodeTime(p.time), back).ok() && back.time.time == p.time.time
                   && std::equal(std::begin(p.time.bytes), std::end(p.time.bytes), std::begin(back.time.bytes)),
               QStringLiteral("time record does not decode back"));
        return;
    }
    if (p.header.code != Monitor)
        return;
    const qsizetype records = p.extensions.size() * ExtensionRecord::Size + p.groups.size() * GroupRecord::Size;
    const int size = p.extensions.isEmpty() && p.groups.isEmpty()
        ? std::max(ExtensionRecord::Size, GroupRecord::Size)
        : (p.extensions.isEmpty() ? GroupRecord::Size : ExtensionRecord::Size);
    expect(p.extensions.isEmpty() || p.groups.isEmpty(), QStringLiteral("extensions and groups in one packet"));
    expect(p.leftOver >= 0 && p.leftOver < size, QStringLiteral("left over of a whole record"));
    expect(40 + records + p.leftOver <= framed.size(), QStringLiteral("records beyond the packet"));
    for (const ExtensionRecord &r : p.extensions)
        expect(r.groups.size() == ExtensionRecord::GroupSlots, QStringLiteral("group slots"));
    MonitorPacket back;
    const QByteArray again = p.extensions.isEmpty() ? encodeGroups(p.sub, p.groups) : encodeExtensions(p.sub, p.extensions);
    expect(decodeMonitor(again, back).ok() && back.extensions.size() == p.extensions.size()
               && back.groups.size() == p.groups.size() && back.leftOver == 0 && back.sub.subcode == p.sub.subcode
               && back.sub.count == p.sub.count,
           QStringLiteral("monitor packet does not decode back"));
    for (qsizetype i = 0; i < p.extensions.size(); ++i)
        expect(sameExtension(p.extensions[i], back.extensions[i]), QStringLiteral("extension does not decode back"));
    for (qsizetype i = 0; i < p.groups.size(); ++i)
        expect(sameGroup(p.groups[i], back.groups[i]), QStringLiteral("group does not decode back"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    // One packet as it is, framed or not: the decoder must refuse, not read past it.
    checkPacket(input);
    fuzz::frameBothWays(kTarget, telephony::kFraming, input, 200, checkPacket);
    return 0;
}
