#pragma once

#include <QString>
#include <functional>

class DebugFile;
class Logger;
namespace wire {
class FramedReader;
}

// What a monitoring link's reader adds to its list, in the link's words
// ("DA WS2= ..."): at a diagnostic level above 0 the length of each
// packet, the bytes still awaited and those already behind it; at every
// level a refused length or a packet not completed in time, and the drain
// of what it threw away (SvuotaCoda, DEBUG.TXT).
struct LinkWords {
    int list;         // the Logger destination
    int channel;      // SvuotaCoda's channel
    QString received; // "... Ricevuto PacketLen=", then the length
    QString waiting;  // "... Aspetto altri ", then the count
    QString more;     // "... Ho già altri ", then the count
    // The "PROBLEMA" line of a length refused, or of a packet not complete in time.
    std::function<QString(qint32 length, qint64 pending, bool timedOut)> problem;
};

// Connect before the link's own handler, so that a packet's length comes first.
void logReader(wire::FramedReader &reader, Logger &log, const DebugFile &debug, LinkWords words);
