// The status page's request reader: a browser's bytes taken whole (as much
// as the reader has room for) or in small pieces must give the same
// requests, each ending at its empty line or cut at the bound, and the
// reader never holds more than the bound.
#include "FuzzSupport.h"

#include "web_status/HttpRequestReader.h"

namespace {

constexpr const char *kTarget = "fuzz_http";

void expect(bool ok, const QString &what)
{
    fuzz::expect(ok, kTarget, what);
}

// `most`: the largest read the socket gives at once.
QList<QByteArray> requests(const QByteArray &input, std::mt19937 *random)
{
    HttpRequestReader reader;
    QList<QByteArray> out;
    qsizetype at = 0;
    for (;;) {
        qsizetype n = reader.room();
        if (random && n > 0)
            n = std::min<qsizetype>(n, std::uniform_int_distribution<int>(1, 40)(*random));
        const QByteArray chunk = input.mid(at, n);
        at += chunk.size();
        reader.append(chunk);
        expect(reader.held() <= HttpRequestReader::kMaxRequest + 1, QStringLiteral("reader holds beyond the bound"));
        const std::optional<QByteArray> request = reader.next();
        if (request) {
            const qsizetype end = HttpRequestReader::requestEnd(*request);
            expect(end == request->size() || (end < 0 && request->size() == HttpRequestReader::kMaxRequest + 1),
                   QStringLiteral("request neither whole nor cut at the bound"));
            out.append(*request);
            continue;
        }
        if (at >= input.size())
            return out;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QList<QByteArray> whole = requests(input, nullptr);
    std::mt19937 random = fuzz::splitter(input);
    const QList<QByteArray> pieces = requests(input, &random);
    expect(whole == pieces, QStringLiteral("requests differ when the bytes come in pieces"));
    return 0;
}
