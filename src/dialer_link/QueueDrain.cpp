#include "dialer_link/QueueDrain.h"

#include "core/DebugFile.h"
#include "core/Logger.h"

void svuotaCoda(Logger &log, const DebugFile &debug, int channel, const QByteArray &bytes, qint32 packetId,
                bool fromBuffer)
{
    if (bytes.isEmpty())
        return;
    const QString count = QString::number(bytes.size());
    const QString tag = QStringLiteral("RX");
    debug.appendLine(DebugFile::stamp() + QStringLiteral(" SVUOTO CODA x ") + count + QStringLiteral(" bytes"));
    if (!fromBuffer)
        log.scriviLog(QStringLiteral("Svuoto coda %1 per %2 bytes").arg(channel).arg(count), channel, tag, packetId);
    debug.appendHexDump(bytes);
    if (!fromBuffer)
        log.scriviLog(QStringLiteral("Svuotata la coda ") + QString::number(channel), channel, tag, packetId);
}
