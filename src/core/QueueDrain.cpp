#include "core/QueueDrain.h"

#include "core/DebugFile.h"
#include "core/Logger.h"

void svuotaCoda(Logger &log, const DebugFile &debug, int channel, const QByteArray &bytes, qint32 packetId,
                bool fromBuffer, qsizetype dumpLimit)
{
    if (bytes.isEmpty())
        return;
    const QString count = QString::number(bytes.size());
    const QString tag = QStringLiteral("RX");
    debug.appendLine(DebugFile::stamp() + QStringLiteral(" SVUOTO CODA x ") + count + QStringLiteral(" bytes"));
    if (!fromBuffer)
        log.scriviLog(QStringLiteral("Svuoto coda ") + QString::number(channel) + QStringLiteral(" per ") + count
                          + QStringLiteral(" bytes"),
                      channel, tag, packetId, Severity::Warning);
    debug.appendHexDumpCapped(bytes, dumpLimit < 0 ? bytes.size() : dumpLimit);
    if (!fromBuffer)
        log.scriviLog(QStringLiteral("Svuotata la coda ") + QString::number(channel), channel, tag, packetId);
}

qsizetype JunkDumpBudget::spend(qsizetype size)
{
    const qsizetype shown = std::min(size, m_left);
    m_left -= shown;
    return shown;
}
