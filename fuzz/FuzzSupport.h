#pragma once

// Shared by the fuzz targets: the input as a QByteArray over libFuzzer's own
// buffer (no copy, so a read past its end lands in AddressSanitizer's red
// zone), a failed invariant reported and aborted on, and a small generator
// of split points drawn from the input itself, so a run replays exactly.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

[[noreturn]] inline void fail(const char *target, const QString &what)
{
    std::fprintf(stderr, "%s: invariant broken: %s\n", target, qPrintable(what));
    std::abort();
}

inline void expect(bool ok, const char *target, const QString &what)
{
    if (!ok)
        fail(target, what);
}

// A generator seeded by the input, for split points that differ from one
// input to the next but are the same each time one input is replayed.
inline std::mt19937 splitter(const QByteArray &input)
{
    quint32 h = 2166136261u; // FNV-1a: the same on every run and platform
    for (const char c : input)
        h = (h ^ quint8(c)) * 16777619u;
    return std::mt19937(h);
}

// The input in pieces of 1..`most` bytes, each handed to `take`.
template <typename Take>
void inPieces(const QByteArray &input, std::mt19937 &random, int most, Take take)
{
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype n = std::uniform_int_distribution<int>(1, most)(random);
        take(input.mid(at, n));
        at += n;
    }
}

} // namespace fuzz
