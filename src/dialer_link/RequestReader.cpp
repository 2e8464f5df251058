#include "dialer_link/RequestReader.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "dialer_link/DialerReplies.h"

namespace {
const QString kRx = QStringLiteral("RX");
} // namespace

RequestReader::RequestReader(Logger &log, MainModel &model, const DebugFile &debug, const Settings &settings,
                             QObject *parent)
    : QObject(parent),
      m_log(log),
      m_model(model),
      m_debug(debug),
      m_frames({{1, packet::kMaxPacketLength}, wire::BadLength::Drain, {},
                [&settings] { return settings.packetTimeoutMs(); }},
               QStringLiteral("Winsock1"))
{
    connectReader();
}

// What the reader reports, in this link's words.
void RequestReader::connectReader()
{
    m_frames.setGate([this] { return m_frames.source().isConnected() && !writerBusy(); });
    connect(&m_frames, &wire::FramedReader::arrived, this, &RequestReader::arrived);
    connect(&m_frames, &wire::FramedReader::bytesRead, this, [this](const QByteArray &bytes) {
        m_model.traffic[MainModel::BytesReceived]->add(bytes.size());
    });
    connect(&m_frames, &wire::FramedReader::packetReady, this, &RequestReader::handle);
    connect(&m_frames, &wire::FramedReader::waiting, this, [this](qint64 missing, bool first) {
        if (first && m_log.level() > 0)
            log(QStringLiteral("Aspetto altri ") + QString::number(missing) + QStringLiteral(" bytes "));
    });
    connect(&m_frames, &wire::FramedReader::badLength, this, [this](qint32 length, qint64 pending) {
        log(QStringLiteral("PROBLEMA PacketLen=") + QString::number(std::max(0, length)) + QStringLiteral(" RX = ")
                + QString::number(pending),
            {}, 0, Severity::Error);
    });
    connect(&m_frames, &wire::FramedReader::drained, this, [this](const QByteArray &bytes) {
        svuotaCoda(m_log, m_debug, kChannel, bytes, m_drainId, false, m_junk.spend(bytes.size()));
        m_drainId = 0;
    });
}

void RequestReader::reset()
{
    m_frames.reset();
    m_junk.refill();
}

bool RequestReader::writerBusy() const
{
    return m_writer && m_writer->busy();
}

void RequestReader::log(const QString &text, const QString &tag, qint32 id, Severity severity)
{
    m_log.scriviLog(text, Logger::List1, tag, id, severity);
}

void RequestReader::handle(const QByteArray &framed)
{
    const double level = m_log.level();
    Q_EMIT packetRead();
    packet::Packet p;
    const wire::Status decoded = packet::decodePacket(framed, p);
    if (level > 0)
        log(QStringLiteral("Ricevuto PacketLen=") + QString::number(p.header.totlen) + QStringLiteral(" BytesReceived=")
            + QString::number(framed.size() + m_frames.pending()));
    if (p.body.size() > packet::kBodyBufferSize) {
        log(QStringLiteral("PROBLEMA"), kRx, p.record.id, Severity::Error);
        p.body.truncate(packet::kBodyBufferSize);
    }
    if (level > 1) {
        const std::pair<const char *, QString> traces[] = {
            {"WS1-Totlen   ", QString::number(p.header.totlen)}, {"WS1-LineaSVC ", QString::number(p.header.lineaSvc)},
            {"WS1-Reply    ", QString::number(p.header.reply)},  {"WS1-Len      ", QString::number(p.header.len)},
            {"WS1-Code     ", QString::number(p.header.code)},   {"WS1-ID       ", QString::number(p.record.id)},
            {"WS1-Contact  ", p.record.contact}};
        for (const auto &[label, value] : traces)
            log(QString::fromLatin1(label) + value, kRx, p.record.id);
    }
    m_model.traffic[MainModel::LastCodeReceived]->set(p.header.code);
    if (!decoded.ok() || !validHeader(p)) {
        log(QStringLiteral("ERRORE NEI DATI"), kRx, p.record.id);
        m_model.traffic[MainModel::DataErrors]->add(1);
        m_drainId = p.record.id;
        m_frames.drain();
        return;
    }
    if (level > 0 && m_frames.pending() > 0)
        log(QStringLiteral("Ho già altri ") + QString::number(m_frames.pending()) + QStringLiteral(" bytes "), {}, p.record.id);
    m_junk.refill();
    Q_EMIT requestReceived(p);
}

bool RequestReader::validHeader(const packet::Packet &p)
{
    // A request always carries its identification record.
    return p.header.code >= packet::kFirstRequestCode && p.header.len >= 0 && p.record.id >= 0
        && p.header.totlen >= packet::kMinRequestTotlen;
}
