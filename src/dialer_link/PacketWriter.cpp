#include "dialer_link/PacketWriter.h"

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "wire/LinkSocket.h"

namespace {
const QString kTrace = QStringLiteral("*");
const QString kTx = QStringLiteral("TX");
} // namespace

PacketWriter::PacketWriter(LinkSocket &socket, Logger &log, MainModel &model, const DebugFile &debug, bool fast,
                           QObject *parent)
    : QObject(parent), m_socket(socket), m_log(log), m_model(model), m_debug(debug), m_fast(fast)
{
    m_drainTimer.setSingleShot(true);
    m_drainTimer.setInterval(kDrainWaitMs);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(kPauseMs);
    connect(&m_drainTimer, &QTimer::timeout, this, [this] {
        if (m_drainWait) {
            m_drainWait = false;
            m_pauseTimer.start();
        }
    });
    connect(&m_pauseTimer, &QTimer::timeout, this, &PacketWriter::pauseOver);
    connect(&m_socket, &LinkSocket::bytesWritten, this, &PacketWriter::onBytesWritten);
}

bool PacketWriter::busy() const
{
    return !m_steps.empty() || m_waiting || m_socket.bytesToWrite() > 0;
}

void PacketWriter::measure()
{
    m_peakQueued = std::max(m_peakQueued, m_queuedBytes + m_socket.bytesToWrite());
}

void PacketWriter::reportIdle()
{
    if (!busy())
        Q_EMIT idle();
}

void PacketWriter::write(const packet::Header &header, const packet::RecordId &record, const QByteArray &body)
{
    const int id = m_nextPacket++;
    const QByteArray head = packet::encodeHeader(header);
    m_steps.push_back({Step::Send, head.left(4), {}, id});
    m_steps.push_back({Step::Pause, {}, {}, id});
    m_steps.push_back({Step::Send, head.mid(4), {}, id});
    m_steps.push_back({Step::Action, {}, [this, header, head, record] { traceHeader(header, head, record.id); }, id});
    if (header.totlen > 16) {
        const QByteArray rid = packet::encodeRecordId(record);
        m_steps.push_back({Step::Send, rid, {}, id});
        m_steps.push_back({Step::Action, {}, [this, record, rid] { traceRecord(record, rid); }, id});
        if (!body.isEmpty())
            m_steps.push_back({Step::Send, body, {}, id});
        m_steps.push_back({Step::Pause, {}, {}, id});
    }
    m_steps.push_back({Step::Action, {}, [this, header] {
                           m_model.traffic[MainModel::PacketsSent]->add(1);
                           Q_EMIT packetSent(header.code);
                       }, id});
    m_queuedBytes += head.size() + (header.totlen > 16 ? packet::kRecordIdSize + body.size() : 0);
    measure();
    if (!m_waiting)
        run();
}

void PacketWriter::sendReply(qint32 code, const QString &logText, const packet::RecordId &echo, const QByteArray &body,
                             bool logCode)
{
    if (logCode)
        m_log.scriviLog(QString::number(code), Logger::List1, kTx, echo.id);
    m_log.scriviLog(logText, Logger::List1, kTx, echo.id);
    write(packet::replyHeader(code, static_cast<int>(body.size()), m_socket.localPort()), echo, body);
}

void PacketWriter::run()
{
    while (!m_steps.empty() && !m_waiting) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        m_queuedBytes -= step.bytes.size();
        switch (step.kind) {
        case Step::Send:
            if (!m_socket.isConnected()) {
                m_log.scriviLog(QStringLiteral("Socket non connessa"), Logger::List1, Severity::Warning);
                dropPacket(step.packet);
            } else {
                m_socket.write(step.bytes);
                measure();
            }
            break;
        case Step::Pause:
            if (!m_fast && !m_flushing)
                startPause();
            break;
        case Step::Action:
            step.action();
            break;
        }
    }
    reportIdle();
}

void PacketWriter::dropPacket(int packet)
{
    while (!m_steps.empty() && m_steps.front().packet == packet) {
        m_queuedBytes -= m_steps.front().bytes.size();
        m_steps.pop_front();
    }
}

void PacketWriter::startPause()
{
    m_waiting = true;
    if (m_socket.bytesToWrite() > 0) {
        m_drainWait = true;
        m_drainTimer.start();
    } else {
        m_pauseTimer.start();
    }
}

void PacketWriter::onBytesWritten()
{
    if (m_drainWait && m_socket.bytesToWrite() == 0) {
        m_drainWait = false;
        m_drainTimer.stop();
        m_pauseTimer.start();
    }
    reportIdle();
}

void PacketWriter::pauseOver()
{
    m_waiting = false;
    run();
}

void PacketWriter::flush()
{
    m_drainTimer.stop();
    m_pauseTimer.stop();
    m_waiting = m_drainWait = false;
    m_flushing = true;
    run();
    m_flushing = false;
}

void PacketWriter::clear()
{
    m_drainTimer.stop();
    m_pauseTimer.stop();
    m_waiting = m_drainWait = false;
    m_steps.clear();
    m_queuedBytes = 0;
}

void PacketWriter::traceHeader(const packet::Header &h, const QByteArray &bytes, qint32 id)
{
    if (m_log.level() > 1) {
        const std::pair<const char *, qint32> lines[] = {{"ToH-Totlen   ", h.totlen}, {"ToH-LineaSVC ", h.lineaSvc},
                                                         {"Toh-Reply    ", h.reply},  {"Toh-Len      ", h.len},
                                                         {"Toh-Code     ", h.code}};
        for (const auto &[label, value] : lines)
            m_log.scriviLog(QString::fromLatin1(label) + QString::number(value), Logger::List1, kTrace, id);
    }
    m_model.traffic[MainModel::LastCodeSent]->set(h.code);
    m_debug.appendBytes(bytes);
}

void PacketWriter::traceRecord(const packet::RecordId &r, const QByteArray &bytes)
{
    if (m_log.level() > 1) {
        m_log.scriviLog(QStringLiteral("Toh-ID       ") + QString::number(r.id), Logger::List1, kTrace, r.id);
        m_log.scriviLog(QStringLiteral("Toh-Contact  ") + r.contact.leftJustified(packet::kContactSize, QLatin1Char(' '), true),
                        Logger::List1, kTrace, r.id);
    }
    m_debug.appendBytes(bytes);
}
