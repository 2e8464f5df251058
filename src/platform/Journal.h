#pragma once

#include <QByteArray>

namespace platform {

enum class StdStream { Output, Error };

// Whether `stream` is systemd's journal: systemd sets JOURNAL_STREAM to the
// "device:inode" of the stream it connected, and a stream redirected since
// (a shell's pipe, a file) no longer matches. Always false on Windows.
bool isJournal(StdStream stream, const QByteArray &journalStream);
bool isJournal(StdStream stream);

} // namespace platform
