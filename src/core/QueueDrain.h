#pragma once

#include <QByteArray>

class DebugFile;
class Logger;

// SvuotaCoda: throws away the bytes pending on a link to resynchronise, and
// keeps them as a hex dump in DEBUG.TXT. `channel` 1 to 5 picks the list of
// the log lines (used as the destination of the log); `fromBuffer` dumps a
// receive buffer without those lines. At most `dumpLimit` bytes are dumped
// (all when negative), then a line counts the rest: a flood of junk costs
// its first kilobytes, not its size four times over.
void svuotaCoda(Logger &log, const DebugFile &debug, int channel, const QByteArray &bytes, qint32 packetId,
                bool fromBuffer = false, qsizetype dumpLimit = -1);

// How much of a run of drains is dumped: the first kJunkDumpBytes of the
// junk between two good packets.
class JunkDumpBudget {
public:
    static constexpr qsizetype kJunkDumpBytes = 4096;

    // The bytes of a drain of `size` that may be dumped; spends them.
    qsizetype spend(qsizetype size);
    // A good packet ended the run of junk.
    void refill() { m_left = kJunkDumpBytes; }

private:
    qsizetype m_left = kJunkDumpBytes;
};
