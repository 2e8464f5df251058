#include "dialer_link/Dispatcher.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "dialer_link/PacketWriter.h"

Dispatcher::Dispatcher(Logger &log, MainModel &model, const DebugFile &debug, const PacketWriter *writer, QObject *parent)
    : QObject(parent), m_log(log), m_model(model), m_debug(debug), m_writer(writer)
{
}

const char *Dispatcher::textOf(qint32 code)
{
    static const std::map<qint32, const char *> table = {
        {packet::RichiestaGruppi, "Ricevuta Richiesta gruppi"},
        {packet::RichiestaClientiGruppi, "Ricevuta Richiesta clienti x gruppi"},
        {packet::Esito, "Ricevuto Esito"},
        {packet::FreeQueue, "Ricevuto PDOUTDB_FREEQUEUE"},
        {packet::DiscardQuery, "Ricevuto Discard_Query"},
        {packet::QueryOp, "Ricevuto PDOUTOP_QUERY_OP"},
        {packet::EsitoOp, "Ricevuto Esito OP"},
        {packet::FreeQueueOp, "Ricevuto PDOUTOP_FREEQUEUE_OP"},
        {packet::DiscardQueryOp, "Ricevuto Discard_Query_OP"},
    };
    const auto it = table.find(code);
    return it == table.end() ? nullptr : it->second;
}

void Dispatcher::startTiming(qint32 code)
{
    m_serving = code;
    // Only the codes of the table are timed: junk cannot multiply the histograms.
    if (textOf(code))
        m_servingSince.start();
    else
        m_servingSince.invalidate();
}

void Dispatcher::requestServed()
{
    if (!m_servingSince.isValid())
        return;
    m_model.metrics.observeRequest(m_serving, double(m_servingSince.nsecsElapsed()) / 1e9);
    m_servingSince.invalidate();
}

void Dispatcher::dispatch(const packet::Packet &p)
{
    m_lastReceived = p.record;
    startTiming(p.header.code);
    const QString rx = QStringLiteral("RX");
    const char *text = textOf(p.header.code);
    if (!text) {
        m_log.scriviLog(QStringLiteral("MSG SCONOSC=") + QString::number(p.header.code), Logger::List1, rx, p.record.id,
                        Severity::Warning);
        m_model.traffic[MainModel::UnknownCodes]->add(1);
        m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Unknown);
        return;
    }
    m_log.scriviLog(QString::fromLatin1(text), Logger::List1, rx, p.record.id);
    const auto it = m_handlers.find(p.header.code);
    const wire::Status served = it != m_handlers.end() && it->second ? it->second({p.header, p.record, p.body}) : wire::Status();
    if (!served.ok()) {
        refuse(p, served);
        m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Refused);
    } else {
        m_model.traffic[MainModel::Dispatched]->add(1);
        m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Served);
    }
    if (m_writer && !m_writer->busy())
        requestServed();
}

void Dispatcher::refuse(const packet::Packet &p, const wire::Status &why)
{
    m_log.scriviLog(QStringLiteral("ERRORE NEI DATI: ") + why.error, Logger::List1, QStringLiteral("RX"), p.record.id,
                    Severity::Error);
    m_model.traffic[MainModel::DataErrors]->add(1);
    m_debug.appendLine(DebugFile::stamp() + QStringLiteral(" ERRORE NEI DATI codice ") + QString::number(p.header.code)
                       + QStringLiteral(" ID_RICH") + QString::number(p.record.id) + QStringLiteral(": ") + why.error);
    m_debug.appendHexDump(packet::encodePacket(p.header, p.record, p.body), hexdump::Offsets::Hex);
}
