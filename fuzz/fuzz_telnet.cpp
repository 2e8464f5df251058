// The console's input: the host's bytes through the telnet codec and the
// VT100 screen. The stream fed whole and in pieces must give the same
// screen and replies with every bound kept (the console's own check), and
// the codec and screen keep their own bounds at every step.
#include "FuzzSupport.h"

#include "console/ConsoleFuzz.h"
#include "console/TelnetCodec.h"
#include "console/Vt100Screen.h"

namespace {

constexpr const char *kTarget = "fuzz_telnet";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    std::mt19937 random = fuzz::splitter(input);
    const QString problem = consolefuzz::check(input, random);
    expect(problem.isEmpty(), problem);

    TelnetCodec codec;
    codec.connected();
    Vt100Screen screen;
    QByteArray replies;
    fuzz::inPieces(input, random, 7, [&](const QByteArray &piece) {
        TelnetCodec::Output out;
        codec.feed(piece, out);
        expect(out.data.size() <= piece.size(), QStringLiteral("more data than bytes"));
        expect(codec.subnegotiation().size() <= TelnetCodec::kSubLimit, QStringLiteral("subnegotiation beyond its limit"));
        screen.feed(out.data);
        replies += out.reply;
        const Vt100State &state = screen.state();
        expect(state.tabCount() >= 0 && state.tabCount() <= Vt100State::kTabSlots, QStringLiteral("tab stops"));
        expect(state.scrollTop() >= 0 && state.scrollTop() < Vt100Screen::kRows, QStringLiteral("scrolling area"));
    });
    // Replies only ever answer what the host sent after an IAC.
    expect(replies.isEmpty() || input.contains(char(TelnetCodec::IAC)), QStringLiteral("reply without a command"));
    return 0;
}
