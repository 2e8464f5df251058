#include "dialer_link/Dispatcher.h"

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

void Dispatcher::dispatch(const packet::Header &h, const packet::RecordId &r, const QByteArray &body)
{
    const QString rx = QStringLiteral("RX");
    const Entry *entry = find(h.code);
    if (!entry) {
        m_log.scriviLog(QStringLiteral("MSG SCONOSC=") + QString::number(h.code), Logger::List1, rx, r.id);
        MainModel::add(*m_model.traffic[2], 1);
        return;
    }
    m_log.scriviLog(QString::fromLatin1(entry->text), Logger::List1, rx, r.id);
    const auto it = m_services.find(entry->service);
    if (it != m_services.end() && it->second)
        it->second->serve({h, r, body, entry->operatorVariant});
    MainModel::add(*m_model.traffic[0], 1);
}
