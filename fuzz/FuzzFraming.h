#pragma once

// A link's stream as its reader frames it: whole packets handed on, a
// corrupt length field draining what is held, the stream going on with what
// comes next. Framed whole and in pieces, one input must give the same
// packets and the same first corrupt offset, and no byte may go missing.

#include "FuzzSupport.h"

#include "wire/Framer.h"

#include <QtEndian>

namespace fuzz {

struct Cut {
    QList<QByteArray> packets; // those before the first corrupt length
    qsizetype corruptAt = -1;  // stream offset of the first corrupt length
    qsizetype bytes = 0;       // framed, drained and still held
};

template <typename Check>
Cut frame(const char *target, Framer::Rules rules, const QList<QByteArray> &pieces, Check check)
{
    Cut cut;
    Framer framer(rules);
    for (const QByteArray &piece : pieces) {
        framer.append(piece);
        for (Framer::Frame f = framer.next(); f.status != Framer::Frame::NeedMore; f = framer.next()) {
            const bool inBounds = f.length >= rules.minLength && f.length <= rules.maxLength;
            if (f.status == Framer::Frame::Corrupt) {
                expect(!inBounds, target, QStringLiteral("corrupt within bounds"));
                if (cut.corruptAt < 0)
                    cut.corruptAt = cut.bytes;
                cut.bytes += framer.takeAll().size();
                continue;
            }
            expect(inBounds && f.bytes.size() == 4 + f.length, target, QStringLiteral("frame out of bounds"));
            expect(qFromBigEndian<qint32>(f.bytes.constData()) == f.length, target,
                   QStringLiteral("length field not the frame's"));
            cut.bytes += f.bytes.size();
            if (cut.corruptAt < 0)
                cut.packets.append(f.bytes);
            check(f.bytes);
        }
    }
    expect(framer.size() < 4 || framer.expectedLength() >= rules.minLength, target,
           QStringLiteral("held bytes past a bad length"));
    cut.bytes += framer.size();
    return cut;
}

// The input framed whole and in pieces of 1..`most` bytes; `check` sees
// every whole packet of both runs.
template <typename Check>
void frameBothWays(const char *target, Framer::Rules rules, const QByteArray &input, int most, Check check)
{
    const Cut whole = frame(target, rules, {input}, check);
    QList<QByteArray> pieces;
    std::mt19937 random = splitter(input);
    inPieces(input, random, most, [&](const QByteArray &piece) { pieces.append(piece); });
    const Cut cut = frame(target, rules, pieces, check);
    expect(whole.bytes == input.size() && cut.bytes == input.size(), target, QStringLiteral("bytes lost by the framer"));
    expect(whole.packets == cut.packets && whole.corruptAt == cut.corruptAt, target,
           QStringLiteral("packets differ when the stream comes in pieces"));
}

} // namespace fuzz
