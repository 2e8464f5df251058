#include "dialer_link/Dispatcher.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"

const Dispatcher::Entry *Dispatcher::find(qint32 code)
{
    static const std::map<qint32, Entry> table = {
        {packet::RichiestaGruppi, {"Ricevuta Richiesta gruppi", Service::Groups, false}},
        {packet::RichiestaClientiGruppi, {"Ricevuta Richiesta clienti x gruppi", Service::CustomersPerGroup, false}},
        {packet::Esito, {"Ricevuto Esito", Service::Outcome, false}},
        {packet::FreeQueue, {"Ricevuto PDOUTDB_FREEQUEUE", Service::GroupQueueRelease, false}},
        {packet::DiscardQuery, {"Ricevuto Discard_Query", Service::Discard, false}},
        {packet::QueryOp, {"Ricevuto PDOUTOP_QUERY_OP", Service::CustomersPerOperator, false}},
        {packet::EsitoOp, {"Ricevuto Esito OP", Service::Outcome, false}},
        {packet::FreeQueueOp, {"Ricevuto PDOUTOP_FREEQUEUE_OP", Service::OperatorQueueRelease, false}},
        {packet::DiscardQueryOp, {"Ricevuto Discard_Query_OP", Service::Discard, true}},
    };
    const auto it = table.find(code);
    return it == table.end() ? nullptr : &it->second;
}

void Dispatcher::dispatch(const packet::Packet &p)
{
    const QString rx = QStringLiteral("RX");
    const Entry *entry = find(p.header.code);
    if (!entry) {
        m_log.scriviLog(QStringLiteral("MSG SCONOSC=") + QString::number(p.header.code), Logger::List1, rx, p.record.id,
                        Severity::Warning);
        MainModel::add(*m_model.traffic[MainModel::UnknownCodes], 1);
        m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Unknown);
        return;
    }
    m_log.scriviLog(QString::fromLatin1(entry->text), Logger::List1, rx, p.record.id);
    const auto it = m_services.find(entry->service);
    if (it != m_services.end() && it->second) {
        const wire::Status served = it->second->serve({p.header, p.record, p.body, entry->operatorVariant});
        if (!served.ok()) {
            refuse(p, served);
            m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Refused);
            return;
        }
    }
    MainModel::add(*m_model.traffic[MainModel::Dispatched], 1);
    m_model.metrics.countRequest(p.header.code, Metrics::RequestResult::Served);
}

void Dispatcher::refuse(const packet::Packet &p, const wire::Status &why)
{
    m_log.scriviLog(QStringLiteral("ERRORE NEI DATI: ") + why.error, Logger::List1, QStringLiteral("RX"), p.record.id,
                    Severity::Error);
    MainModel::add(*m_model.traffic[MainModel::DataErrors], 1);
    m_debug.appendLine(DebugFile::stamp() + QStringLiteral(" ERRORE NEI DATI codice ") + QString::number(p.header.code)
                       + QStringLiteral(" ID_RICH") + QString::number(p.record.id) + QStringLiteral(": ") + why.error);
    m_debug.appendHexDump(packet::encodePacket(p.header, p.record, p.body), hexdump::Offsets::Hex);
}
