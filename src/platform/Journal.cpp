#include "platform/Journal.h"

#include <QList>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

bool isJournal(StdStream stream, const QByteArray &journalStream)
{
#ifdef Q_OS_WIN
    Q_UNUSED(stream);
    Q_UNUSED(journalStream);
    return false;
#else
    const QList<QByteArray> parts = journalStream.trimmed().split(':');
    if (parts.size() != 2)
        return false;
    bool devOk = false, inodeOk = false;
    const qulonglong device = parts[0].toULongLong(&devOk);
    const qulonglong inode = parts[1].toULongLong(&inodeOk);
    struct stat st {};
    if (!devOk || !inodeOk || ::fstat(stream == StdStream::Output ? STDOUT_FILENO : STDERR_FILENO, &st) != 0)
        return false;
    return qulonglong(st.st_dev) == device && qulonglong(st.st_ino) == inode;
#endif
}

bool isJournal(StdStream stream)
{
    return isJournal(stream, qgetenv("JOURNAL_STREAM"));
}

} // namespace platform
