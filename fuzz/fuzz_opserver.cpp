// The operator-server link's input: the framer over a stream with the
// server's length bounds, the reply decoder, and the decoders of the
// command messages (the simulator's side). Commands decoded are encoded
// again and must decode to the same command.
#include "FuzzFraming.h"

#include "ct_monitor/TelephonyFormat.h"
#include "wire/FixedText.h"

namespace {

constexpr const char *kTarget = "fuzz_opserver";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

void checkReply(const QByteArray &framed)
{
    using namespace telephony;
    OperatorReply r;
    if (!decodeOperatorReply(framed, r).ok())
        return;
    const bool extended = r.header.code == ReplyCode || r.header.code == ReplyMessage;
    expect(r.body.size() == framed.size() - 20 - (extended ? OperatorReply::HeaderExtension : 0),
           QStringLiteral("reply body not what follows the header"));
    // What the link makes of it: a text, integers read only where they are.
    fixedtext::pulisciStringa(r.body);
    if (r.header.code == ReplyMessage) {
        const QString text = fixedtext::pulisciStringa(r.body);
        OperatorReply back;
        expect(decodeOperatorReply(encodeOperatorMessage(text), back).ok()
                   && fixedtext::pulisciStringa(back.body) == text,
               QStringLiteral("message does not decode back"));
    }
}

void checkCommand(const QByteArray &body)
{
    using namespace telephony;
    OpCommandBody c;
    if (!decodeOpCommand(body, c).ok()) {
        expect(body.size() < OpCommandBody::Size, QStringLiteral("whole command refused"));
        return;
    }
    OpCommandBody back;
    const QByteArray again = encodeOpCommand(c, 1234);
    expect(again.size() == 20 + OpCommandBody::Size && decodeOpCommand(again.mid(20), back).ok()
               && back.subcode == c.subcode && back.extension == c.extension && back.op == c.op
               && back.password == c.password,
           QStringLiteral("command does not decode back"));
    qint32 extension = 0;
    expect(decodeOpExtension(encodeOpExtension(c.extension, 1234).mid(20), extension).ok() && extension == c.extension,
           QStringLiteral("extension does not decode back"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    checkReply(input);
    checkCommand(input);
    qint32 extension = 0;
    expect(telephony::decodeOpExtension(input, extension).ok() == (input.size() >= 4), QStringLiteral("extension too short"));
    fuzz::frameBothWays(kTarget, telephony::kFraming, input, 100, [](const QByteArray &framed) {
        checkReply(framed);
        checkCommand(framed.mid(20));
    });
    return 0;
}
