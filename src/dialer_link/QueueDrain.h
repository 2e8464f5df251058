#pragma once

#include <QByteArray>

class DebugFile;
class Logger;

// SvuotaCoda: throws away the bytes pending on a link to resynchronise, and
// keeps them as a hex dump in DEBUG.TXT. `channel` 1 to 5 picks the list of
// the log lines (used as the destination of the log); `fromBuffer` dumps a
// receive buffer without those lines.
void svuotaCoda(Logger &log, const DebugFile &debug, int channel, const QByteArray &bytes, qint32 packetId,
                bool fromBuffer = false);
