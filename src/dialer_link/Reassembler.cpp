#include "dialer_link/Reassembler.h"

namespace {
const QString kRx = QStringLiteral("RX");
}

void Reassembler::reset()
{
    m_pending.clear();
    m_head = 0;
    m_awaitingRest = false;
    m_length = 0;
}

bool Reassembler::take(qsizetype count, QByteArray &out)
{
    if (!m_sink.connected()) {
        m_sink.log(QStringLiteral("Socket non connessa"), QString(), m_record.id);
        return false;
    }
    const qsizetype n = std::min(count, m_pending.size() - m_head);
    out = m_pending.mid(m_head, n);
    m_head += n;
    if (n > 0)
        m_sink.bytesRead(static_cast<int>(n));
    return true;
}

void Reassembler::drain()
{
    const QByteArray rest = m_pending.mid(m_head);
    m_pending.clear();
    m_head = 0;
    m_awaitingRest = false;
    if (!rest.isEmpty())
        m_sink.drained(rest, m_header, m_record);
}

void Reassembler::onData(const QByteArray &bytes)
{
    m_pending += bytes;
    // Under 40 bytes the event is ignored; the bytes wait for the next one.
    if (m_pending.size() - m_head < packet::kMinRequestBytes)
        return;
    while (readOne()) {
    }
    // Compact what was consumed.
    m_pending.remove(0, m_head);
    m_head = 0;
}

// One round of the receive loop. True when another packet is already there.
bool Reassembler::readOne()
{
    const double level = m_sink.level();
    qsizetype available = m_pending.size() - m_head;
    m_sink.tick();
    if (!m_awaitingRest) {
        // A length field split across segments waits for its other bytes.
        if (available < 4)
            return false;
        m_header = {};
        m_record = {};
        QByteArray length;
        if (!take(4, length))
            return false;
        m_length = packet::readInt32Be(length, 0);
        if (m_length < 1 && available >= 1) {
            m_sink.log(QStringLiteral("PROBLEMA PacketLen=0 RX = ") + QString::number(available), QString(), 0);
            drain();
            return false;
        }
        if (m_length > packet::kMaxPacketLength) {
            // Waiting for gigabytes would stall the link for good.
            m_sink.log(QStringLiteral("PROBLEMA PacketLen=%1 RX = %2").arg(m_length).arg(available), QString(), 0);
            drain();
            return false;
        }
    } else {
        m_awaitingRest = false;
    }
    if (level > 0)
        m_sink.log(QStringLiteral("Ricevuto PacketLen=%1 BytesReceived=%2").arg(m_length).arg(available), QString(), 0);

    available = m_pending.size() - m_head;
    if (available < m_length) {
        if (level > 0)
            m_sink.log(QStringLiteral("Aspetto altri %1 bytes ").arg(m_length - available), QString(), 0);
        m_awaitingRest = true;
        return false;
    }

    // The packet is exactly the Totlen bytes after the length field: a short
    // or inconsistent packet never takes bytes of the next one.
    QByteArray framed;
    if (!take(m_length, framed))
        return false;
    m_header = packet::decodeHeader(QByteArray(4, '\0') + framed.left(16));
    m_header.totlen = m_length;
    m_record = packet::decodeRecordId(framed.mid(16, packet::kRecordIdSize));
    qsizetype bodyLength = std::max<qsizetype>(0, std::min<qsizetype>(m_header.len - 24, framed.size() - 40));
    if (bodyLength > packet::kBodyBufferSize) {
        m_sink.log(QStringLiteral("PROBLEMA"), kRx, m_record.id);
        bodyLength = packet::kBodyBufferSize;
    }
    const QByteArray body = framed.mid(40, bodyLength);

    if (level > 1) {
        const std::pair<const char *, QString> traces[] = {
            {"WS1-Totlen   ", QString::number(m_header.totlen)}, {"WS1-LineaSVC ", QString::number(m_header.lineaSvc)},
            {"WS1-Reply    ", QString::number(m_header.reply)},  {"WS1-Len      ", QString::number(m_header.len)},
            {"WS1-Code     ", QString::number(m_header.code)},   {"WS1-ID       ", QString::number(m_record.id)},
            {"WS1-Contact  ", m_record.contact}};
        for (const auto &[label, value] : traces)
            m_sink.log(QString::fromLatin1(label) + value, kRx, m_record.id);
    }
    m_sink.codeReceived(m_header.code);

    if (m_header.code < packet::kFirstRequestCode || m_header.len < 0 || m_record.id < 0) {
        m_sink.log(QStringLiteral("ERRORE NEI DATI"), kRx, m_record.id);
        m_sink.dataError();
        drain();
        return false;
    }
    const qsizetype more = m_pending.size() - m_head;
    if (more > 0 && level > 0)
        m_sink.log(QStringLiteral("Ho già altri %1 bytes ").arg(more), QString(), m_record.id);
    m_sink.packet(m_header, m_record, body);
    return more > 0;
}
