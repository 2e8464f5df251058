#include "dialer_link/RequestReader.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"

namespace {
const QString kRx = QStringLiteral("RX");
} // namespace

RequestReader::RequestReader(ByteSource &source, Logger &log, MainModel &model, const DebugFile &debug,
                             const Settings &settings, Hooks hooks, QObject *parent)
    : QObject(parent),
      m_source(source),
      m_log(log),
      m_model(model),
      m_debug(debug),
      m_settings(settings),
      m_hooks(std::move(hooks)),
      m_framer({1, packet::kMaxPacketLength})
{
    m_incomplete.setSingleShot(true);
    connect(&m_incomplete, &QTimer::timeout, this, &RequestReader::onIncompleteTimeout);
}

void RequestReader::reset()
{
    m_framer.reset();
    m_incomplete.stop();
    m_junk.refill();
    m_announcedWait = false;
}

bool RequestReader::writerBusy() const
{
    return m_hooks.writerBusy && m_hooks.writerBusy();
}

void RequestReader::log(const QString &text, const QString &tag, qint32 id, Severity severity)
{
    m_log.scriviLog(text, Logger::List1, tag, id, severity);
}

qint64 RequestReader::available() const
{
    return m_framer.size() + m_source.bytesAvailable();
}

bool RequestReader::readMore()
{
    if (m_source.bytesAvailable() <= 0)
        return false;
    const QByteArray chunk = m_source.read(kReadChunk);
    if (chunk.isEmpty())
        return false;
    MainModel::add(*m_model.traffic[MainModel::BytesReceived], chunk.size(), true);
    m_framer.append(chunk);
    m_peakHeld = std::max(m_peakHeld, m_framer.size());
    return true;
}

void RequestReader::pump()
{
    if (m_pumping)
        return; // the loop below picks up whatever woke us
    m_pumping = true;
    while (m_source.isConnected() && !writerBusy()) {
        const Framer::Frame f = m_framer.next();
        if (f.status == Framer::Frame::NeedMore) {
            if (readMore())
                continue;
            waitForRest();
            break;
        }
        m_incomplete.stop();
        m_announcedWait = false;
        if (f.status == Framer::Frame::Corrupt) {
            log(QStringLiteral("PROBLEMA PacketLen=") + QString::number(std::max(0, f.length)) + QStringLiteral(" RX = ")
                    + QString::number(available()),
                {}, 0, Severity::Error);
            drain(0);
            continue;
        }
        handle(f.bytes);
    }
    m_pumping = false;
}

void RequestReader::waitForRest()
{
    if (!m_framer.partial())
        return;
    if (m_log.level() > 0 && !m_announcedWait && m_framer.expectedLength() > 0) {
        const qint64 missing = 4 + qint64(m_framer.expectedLength()) - m_framer.size();
        log(QStringLiteral("Aspetto altri ") + QString::number(missing) + QStringLiteral(" bytes "));
        m_announcedWait = true;
    }
    if (!m_incomplete.isActive())
        m_incomplete.start(m_settings.packetTimeoutMs());
}

void RequestReader::onIncompleteTimeout()
{
    if (!m_framer.partial() || !m_source.isConnected())
        return;
    // Time the reader itself spent not reading (a reply was being written)
    // is not the dialer's: wait again.
    if (writerBusy()) {
        m_incomplete.start(m_settings.packetTimeoutMs());
        return;
    }
    while (readMore()) {
    }
    if (m_framer.expectedLength() > 0 && m_framer.size() >= 4 + qsizetype(m_framer.expectedLength())) {
        pump(); // it came whole after all
        return;
    }
    // A length whose bytes never come must not swallow the requests behind it.
    log(QStringLiteral("PROBLEMA PacketLen=") + QString::number(std::max(0, m_framer.expectedLength()))
            + QStringLiteral(" RX = ") + QString::number(available()),
        {}, 0, Severity::Error);
    drain(0);
    pump();
}

void RequestReader::drain(qint32 packetId)
{
    QByteArray bytes = m_framer.takeAll();
    while (m_source.bytesAvailable() > 0) {
        const QByteArray chunk = m_source.read(m_source.bytesAvailable());
        if (chunk.isEmpty())
            break;
        MainModel::add(*m_model.traffic[MainModel::BytesReceived], chunk.size(), true);
        bytes += chunk;
    }
    m_incomplete.stop();
    m_announcedWait = false;
    svuotaCoda(m_log, m_debug, kChannel, bytes, packetId, false, m_junk.spend(bytes.size()));
}

void RequestReader::handle(const QByteArray &framed)
{
    const double level = m_log.level();
    if (m_hooks.packetTick)
        m_hooks.packetTick();
    packet::Packet p;
    const wire::Status decoded = packet::decodePacket(framed, p);
    if (level > 0)
        log(QStringLiteral("Ricevuto PacketLen=") + QString::number(p.header.totlen) + QStringLiteral(" BytesReceived=")
            + QString::number(framed.size() + available()));
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
    m_model.traffic[MainModel::LastCodeReceived]->setText(QString::number(p.header.code));
    if (!decoded.ok() || !validHeader(p)) {
        log(QStringLiteral("ERRORE NEI DATI"), kRx, p.record.id);
        MainModel::add(*m_model.traffic[MainModel::DataErrors], 1);
        drain(p.record.id);
        return;
    }
    if (level > 0 && available() > 0)
        log(QStringLiteral("Ho già altri ") + QString::number(available()) + QStringLiteral(" bytes "), {}, p.record.id);
    m_junk.refill();
    if (m_hooks.dispatch)
        m_hooks.dispatch(p);
}

bool RequestReader::validHeader(const packet::Packet &p)
{
    // A request always carries its identification record.
    return p.header.code >= packet::kFirstRequestCode && p.header.len >= 0 && p.record.id >= 0
        && p.header.totlen >= packet::kMinRequestTotlen;
}
